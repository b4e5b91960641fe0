#include "app/startup_failure.h"

#include "model/loader_mqa.h"
#include "platform/services/system_services.h"

namespace {

const char* ReaderReasonOf(int result) {
    switch (result) {
    case kLoadUnexpectedEnd:
        return "ファイルが途中で終わっています。";
    case kLoadBadHeader:
        return "Metasequoia の文書ではありません。";
    case kLoadBadVersion:
        return "対応していない形式のバージョンです (Format Text Ver 1.0 のみ対応)。";
    case kLoadFormatError:
    default:
        return "ファイルの書式に誤りがあります。";
    }
}

} // namespace

std::string DescribeModelLoadFailure(std::string_view moduleDirectory,
                                     std::string_view relativeName,
                                     const ModelLoadOutcome& outcome) {
    // Names come from the system in its ANSI code page; the message is UTF-8.
    const std::string message =
        "モデルファイル「" + Utf8FromAnsi(relativeName) + "」を読み込めませんでした。\n";
    switch (outcome.status) {
    case ModelLoadStatus::kFileMissing:
        // The full path as the system writes it (slashes outside Windows),
        // separators turned after decoding, where no character hides a backslash.
        return message + "ファイルが見つかりません: " +
               NativePath(Utf8FromAnsi(std::string(moduleDirectory) + std::string(relativeName)));
    case ModelLoadStatus::kReaderError:
        return message + ReaderReasonOf(outcome.readerResult);
    case ModelLoadStatus::kOutOfMemory:
        return message + "読み込み中にメモリが不足しました。";
    case ModelLoadStatus::kNotLoaded:
    case ModelLoadStatus::kLoaded:
        break;
    }
    return message;
}
