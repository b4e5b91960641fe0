// A fixed set of documents, valid and broken, that exercises every path of
// the tokenizer, the document reader and mesh building: hand-written edge
// cases, documents generated from a seed, and mutations of given documents.
// The same seed gives the same bytes on every machine.
#pragma once

#include <string>
#include <vector>

struct CorpusDocument {
    std::string name;  // unique, stable: fixtures are keyed by it
    std::string bytes; // the document as it lies in a file
};

// The hand-written cases, the generated documents, and mutations of the
// generated ones and of `seeds` (for example the committed assets).
std::vector<CorpusDocument> DocumentCorpus(const std::vector<CorpusDocument>& seeds);
