#include "model/tokenizer.h"

#include <cstring>

#include "model/number_conversion.h"
#include "platform/system_services.h"

const std::array<unsigned char, 128> kSeparatorTable = [] {
    std::array<unsigned char, 128> table{};
    for (unsigned char c : {'(', ')', ',', ':', ';', '=', '[', ']', '{', '}'}) {
        table[c] = 1;
    }
    return table;
}();

namespace {

bool IsLineEnd(unsigned char c) {
    return c == '\0' || c == '\n' || c == '\r';
}

unsigned char FoldAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

} // namespace

StringSeparator::StringSeparator() {
    // The code page does not change during a read, so its lead bytes are
    // asked once here rather than for every byte of every line.
    for (int value = 0; value < 256; ++value) {
        const auto c = static_cast<unsigned char>(value);
        ByteClass byteClass = kOrdinary;
        if (IsLineEnd(c)) {
            // Checked before the lead-byte test: a line end is never taken as
            // the second half of a character, so no scan runs past it.
            byteClass = kLineEnd;
        } else if (IsLeadByte(c)) {
            byteClass = kLeadByte;
        } else if (c == ' ' || c == '\t') {
            byteClass = kWhitespace;
        } else if (c == static_cast<unsigned char>(quote)) {
            byteClass = kQuote;
        } else if (c < 128 && separators[c] != 0) {
            byteClass = kSeparator;
        }
        classes_[c] = byteClass;
    }
}

StringSeparator::~StringSeparator() = default;

int StringSeparator::Separate(const char* text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    // A lead byte takes the byte after it whatever that byte is, except a line
    // end: a lone lead byte just before the end stays in its token by itself.
    const auto characterLength = [](const unsigned char* lead) {
        return IsLineEnd(lead[1]) ? 1 : 2;
    };
    int t = 0;
    for (;;) {
        switch (classes_[*p]) {
        case kLineEnd:
            count = t;
            return t;
        case kWhitespace:
            ++p;
            break;
        case kSeparator:
            StoreToken(t++, reinterpret_cast<const char*>(p), 1);
            ++p;
            break;
        case kQuote: {
            // Inside quotes only a lead byte, the closing quote and the line
            // end mean anything; spaces and separators are kept.
            const unsigned char* start = ++p;
            for (;;) {
                const ByteClass byteClass = classes_[*p];
                if (byteClass == kQuote || byteClass == kLineEnd) {
                    break;
                }
                p += byteClass == kLeadByte ? characterLength(p) : 1;
            }
            const auto length = static_cast<std::size_t>(p - start);
            if (classes_[*p] == kQuote) {
                // Closed: stored even when empty.
                StoreToken(t++, reinterpret_cast<const char*>(start), length);
                ++p;
            } else if (length > 0) {
                // Left open: the rest of the line is the last token.
                StoreToken(t++, reinterpret_cast<const char*>(start), length);
            }
            break;
        }
        case kOrdinary:
        case kLeadByte: {
            const unsigned char* start = p;
            for (;;) {
                const ByteClass byteClass = classes_[*p];
                if (byteClass == kOrdinary) {
                    ++p;
                } else if (byteClass == kLeadByte) {
                    p += characterLength(p);
                } else {
                    break;
                }
            }
            StoreToken(t++, reinterpret_cast<const char*>(start),
                       static_cast<std::size_t>(p - start));
            break;
        }
        }
    }
}

bool StringSeparator::SetToken(int index, const char* text) {
    if (index < 0) {
        return false;
    }
    StoreToken(index, text, std::strlen(text));
    return true;
}

void StringSeparator::StoreToken(int index, const char* text, std::size_t length) {
    const auto slot = static_cast<std::size_t>(index);
    if (slot >= tokens_.size()) {
        tokens_.resize(slot + 1);
    }
    // assign keeps the slot's storage when it is large enough, so once the
    // slots have grown a line allocates nothing.
    tokens_[slot].assign(text, length);
}

int AsciiFileString::ReadLine() {
    if (std::fgets(line_.data(), kMaxPieceLength + 1, stream) == nullptr) {
        count = -1;
        return -1;
    }
    return Separate(line_.data());
}

bool TokenIs(const StringSeparator& separator, int index, const char* word) {
    if (index < 0 || index >= separator.count) {
        return false;
    }
    const auto* a = reinterpret_cast<const unsigned char*>(separator.Token(index).c_str());
    const auto* b = reinterpret_cast<const unsigned char*>(word);
    for (;; ++a, ++b) {
        const unsigned char x = FoldAscii(*a);
        if (x != FoldAscii(*b)) {
            return false;
        }
        if (x == 0) {
            return true;
        }
    }
}

float TokenFloat(const StringSeparator& separator, int index) {
    if (index < 0 || index >= separator.count) {
        return 0.0f;
    }
    return TextToFloat(separator.Token(index).c_str());
}

int TokenInt(const StringSeparator& separator, int index) {
    if (index < 0 || index >= separator.count) {
        return 0;
    }
    return TextToInt(separator.Token(index).c_str());
}
