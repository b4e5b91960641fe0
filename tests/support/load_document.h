// Runs the document reader over text held in memory.
#pragma once

#include <string>

#include "model/loader_mqa.h"
#include "model/model.h"
#include "tests/support/memory_stream.h"

// The two lines every document starts with.
inline const std::string kDocumentHeader = "Metasequoia Document\nFormat Text Ver 1.0\n";

// Reads text into model and returns what Load returned.
inline int LoadDocument(const std::string& text, Model& model) {
    MemoryStream input(text);
    LoaderMQA loader(input.get(), &model);
    return loader.Load();
}
