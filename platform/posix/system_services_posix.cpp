#include "platform/services/system_services.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace {

unsigned int leadByteCodePage = 932;

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD"; // U+FFFD in UTF-8

// iconv's name for a Windows code page.
std::string ConverterNameOf(unsigned int codePage) {
    return codePage == kUtf8CodePage ? "UTF-8" : "CP" + std::to_string(codePage);
}

} // namespace

bool IsLeadByte(unsigned char value) {
    switch (leadByteCodePage) {
    case 932: // Shift-JIS
        return (value >= 0x81 && value <= 0x9F) || (value >= 0xE0 && value <= 0xFC);
    case 936: // GBK
    case 949: // Unified Hangul
    case 950: // Big5
        return value >= 0x81 && value <= 0xFE;
    default: // single-byte code pages and UTF-8 (whose trail bytes are never ASCII) have none
        return false;
    }
}

void SetLeadByteCodePage(unsigned int codePage) {
    leadByteCodePage = codePage;
}

std::string NativePath(std::string_view path) {
    std::string native(path);
    std::replace(native.begin(), native.end(), '\\', '/');
    return native;
}

std::string Utf8FromAnsi(std::string_view ansiText) {
    std::string utf8;
    const iconv_t converter = iconv_open("UTF-8", ConverterNameOf(leadByteCodePage).c_str());
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        // A code page this system cannot convert: only ASCII reads the same everywhere.
        for (const char c : ansiText) {
            if ((static_cast<unsigned char>(c) & 0x80) != 0) {
                utf8 += kReplacementCharacter;
            } else {
                utf8 += c;
            }
        }
        return utf8;
    }
    char* in = const_cast<char*>(ansiText.data());
    std::size_t inLeft = ansiText.size();
    while (inLeft > 0) {
        char converted[256];
        char* out = converted;
        std::size_t outLeft = sizeof converted;
        const std::size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
        utf8.append(converted, static_cast<std::size_t>(out - converted));
        if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // An invalid sequence, or a lead byte cut off by the end: step over one byte.
            utf8 += kReplacementCharacter;
            ++in;
            --inLeft;
        }
    }
    iconv_close(converter);
    return utf8;
}
