#include "model/tokenizer.h"

#include <algorithm>
#include <cstring>

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

void StringSeparator::BeginLine(std::size_t length) {
    ++line_;
    // Every byte of the line lands in at most one token and every token adds
    // one NUL, so twice the length is always room enough; and no line has
    // more tokens than bytes.
    const std::size_t room = 2 * length + 2;
    if (store_.size() < room) {
        store_.resize(room);
    }
    if (slots_.size() < length + 1) {
        slots_.resize(length + 1);
    }
    storeUsed_ = 0;
}

int StringSeparator::Separate(const char* text) {
    BeginLine(std::strlen(text));
    char* const base = store_.data();
    char* out = base;
    Slot* const slots = slots_.data();
    const ByteClass* const classes = classes_.data();
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    int t = 0;
    // Ends the token whose text started at start: terminates it, fills slot t.
    const auto endToken = [&](const char* start) {
        slots[t++] = {static_cast<std::size_t>(start - base), static_cast<std::size_t>(out - start),
                      line_};
        *out++ = '\0';
    };
    // A lead byte takes the byte after it whatever that byte is, except a line
    // end: a lone lead byte just before the end stays in its token by itself.
    const auto copyDoubleByte = [&] {
        *out++ = static_cast<char>(*p++);
        if (!IsLineEnd(*p)) {
            *out++ = static_cast<char>(*p++);
        }
    };
    for (;;) {
        switch (classes[*p]) {
        case kLineEnd:
            storeUsed_ = static_cast<std::size_t>(out - base);
            capacity_ = std::max(capacity_, t);
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
            for (;;) {
                const ByteClass byteClass = classes[*p];
                if (byteClass == kQuote || byteClass == kLineEnd) {
                    break;
                }
                if (byteClass == kLeadByte) {
                    copyDoubleByte();
                } else {
                    *out++ = static_cast<char>(*p++);
                }
            }
            if (classes[*p] == kQuote) {
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
            for (;;) {
                const ByteClass byteClass = classes[*p];
                if (byteClass == kOrdinary) {
                    *out++ = static_cast<char>(*p++);
                } else if (byteClass == kLeadByte) {
                    copyDoubleByte();
                } else {
                    break;
                }
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
    const std::size_t room = storeUsed_ + length + 1;
    if (store_.size() < room) {
        store_.resize(room);
    }
    std::memcpy(store_.data() + storeUsed_, text, length + 1);
    const auto slot = static_cast<std::size_t>(index);
    if (slots_.size() <= slot) {
        slots_.resize(slot + 1);
    }
    slots_[slot] = {storeUsed_, length, line_};
    storeUsed_ += length + 1;
    capacity_ = std::max(capacity_, index + 1);
    return true;
}

int AsciiFileString::ReadLine() {
    if (std::fgets(line_.data(), kMaxPieceLength + 1, stream) == nullptr) {
        count = -1;
        return -1;
    }
    return Separate(line_.data());
}
