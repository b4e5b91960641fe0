#include "app/startup_failure.h"

#include <cstdio>
#include <memory>

#include "model/loader_mqa.h"
#include "model/model.h"
#include "model/module_directory.h"
#include "platform/file_handle.h"

namespace {

const char* ReasonOf(int result) {
    switch (result) {
    case kLoadFormatError:
        return "ファイルの書式に誤りがあります。";
    case kLoadUnexpectedEnd:
        return "ファイルが途中で終わっています。";
    case kLoadBadHeader:
        return "Metasequoia の文書ではありません。";
    case kLoadBadVersion:
        return "対応していない形式のバージョンです (Format Text Ver 1.0 のみ対応)。";
    default:
        // The reader finished this time: the load ran out of memory.
        return "読み込み中にメモリが不足しました。";
    }
}

} // namespace

std::string DescribeModelLoadFailure(const std::string& relativeName) {
    const std::string path = std::string(GetModuleDirectory()) + relativeName;
    std::string message = "モデルファイル「" + relativeName + "」を読み込めませんでした。\n";

    const FileHandle file = OpenFileForReading(path);
    if (!file) {
        return message + "ファイルが見つかりません: " + path;
    }
    Model scratch;
    int result = kLoadOk;
    try {
        result = LoaderMQA(file.get(), &scratch).Load();
    } catch (const std::exception&) {
        result = kLoadOk; // reported as running out of memory below
    }
    return message + ReasonOf(result);
}
