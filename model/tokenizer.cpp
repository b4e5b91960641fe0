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

char* StringSeparator::BeginLine(std::size_t length) {
    ++line_;
    // Every byte of the line lands in at most one token and every token adds
    // one NUL, so twice the length is always room enough.
    const std::size_t needed = 2 * length + 2;
    if (store_.size() < needed) {
        store_.resize(needed);
    }
    storeUsed_ = 0;
    return store_.data();
}

void StringSeparator::SetSlot(int index, const char* text, std::size_t length) {
    const auto slot = static_cast<std::size_t>(index);
    if (slot >= slots_.size()) {
        slots_.resize(slot + 1);
    }
    slots_[slot] = {static_cast<std::size_t>(text - store_.data()), length, line_};
}

int StringSeparator::Separate(const char* text) {
    char* const base = BeginLine(std::strlen(text));
    char* out = base;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    int t = 0;
    // Ends the token that started at start: terminates it and fills slot t.
    const auto endToken = [&](const char* start) {
        const auto length = static_cast<std::size_t>(out - start);
        *out++ = '\0';
        SetSlot(t++, start, length);
    };
    // A lead byte takes the byte after it whatever that byte is, except a line
    // end: a lone lead byte just before the end stays in its token by itself.
    const auto copyCharacter = [&] {
        if (classes_[*p] == kLeadByte && !IsLineEnd(p[1])) {
            *out++ = static_cast<char>(*p++);
        }
        *out++ = static_cast<char>(*p++);
    };
    for (;;) {
        switch (classes_[*p]) {
        case kLineEnd:
            storeUsed_ = static_cast<std::size_t>(out - base);
            count = t;
            return t;
        case kWhitespace:
            ++p;
            break;
        case kSeparator: {
            const char* start = out;
            *out++ = static_cast<char>(*p++);
            endToken(start);
            break;
        }
        case kQuote: {
            // Inside quotes only a lead byte, the closing quote and the line
            // end mean anything; spaces and separators are kept.
            ++p;
            const char* start = out;
            while (classes_[*p] != kQuote && classes_[*p] != kLineEnd) {
                copyCharacter();
            }
            if (classes_[*p] == kQuote) {
                endToken(start); // closed: kept even when empty
                ++p;
            } else if (out > start) {
                endToken(start); // left open: the rest of the line is the last token
            }
            break;
        }
        case kOrdinary:
        case kLeadByte: {
            const char* start = out;
            while (classes_[*p] == kOrdinary || classes_[*p] == kLeadByte) {
                copyCharacter();
            }
            endToken(start);
            break;
        }
        }
    }
}

bool StringSeparator::SetToken(int index, const char* text) {
    if (index < 0) {
        return false;
    }
    const std::size_t length = std::strlen(text);
    if (store_.size() < storeUsed_ + length + 1) {
        store_.resize(storeUsed_ + length + 1);
    }
    char* start = store_.data() + storeUsed_;
    std::memcpy(start, text, length + 1);
    storeUsed_ += length + 1;
    SetSlot(index, start, length);
    return true;
}

std::string_view StringSeparator::Token(int index) const {
    // Empty texts still point at a terminator, so data() is always a C string.
    constexpr std::string_view kEmpty("", 0);
    if (index < 0 || index >= Capacity()) {
        return kEmpty;
    }
    const Slot& slot = slots_[static_cast<std::size_t>(index)];
    if (slot.line != line_) {
        return kEmpty;
    }
    return {store_.data() + slot.offset, slot.length};
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
    // Tokens are NUL-terminated and hold no NUL, as the C library's
    // case-insensitive comparison expects.
    const auto* a = reinterpret_cast<const unsigned char*>(separator.Token(index).data());
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
    return TextToFloat(separator.Token(index).data());
}

int TokenInt(const StringSeparator& separator, int index) {
    if (index < 0 || index >= separator.count) {
        return 0;
    }
    return TextToInt(separator.Token(index).data());
}
