#include "model/tokenizer.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

#include "platform/system_services.h"

const std::array<unsigned char, 128> kSeparatorTable = [] {
    std::array<unsigned char, 128> table{};
    for (unsigned char c : {'(', ')', ',', ':', ';', '=', '[', ']', '{', '}'}) {
        table[c] = 1;
    }
    return table;
}();

namespace {

// Each byte value as a text of its own, for separator tokens.
constexpr auto kOneCharacterTexts = [] {
    std::array<std::array<char, 2>, 256> texts{};
    for (int value = 0; value < 256; ++value) {
        texts[static_cast<std::size_t>(value)][0] = static_cast<char>(value);
    }
    return texts;
}();

// Whether a byte may end a word: every byte below 0x21 or from 0x80 on, the
// quote and the ten separators. All line ends, blanks, quotes, separators
// and lead bytes are among them; the other bytes it names (control
// characters, bytes from 0x80 on that start no character) are looked up and
// found to continue the word.
[[maybe_unused]] bool MayEndWord(unsigned char c) {
    return c < 0x21 || c >= 0x80 || c == '"' || (c < 128 && kSeparatorTable[c] != 0);
}

// Steps over the bytes from p on that cannot end a word, sixteen at a time
// where the processor allows. Reads up to kScanPadding bytes past the byte it
// stops at, which is at the latest the line's terminator.
unsigned char* SkipPlainBytes(unsigned char* p) {
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i below = _mm_set1_epi8(0x21); // signed: bytes from 0x80 on are below it too
    for (;; p += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        // ( ) and : ; differ in their lowest bit, [ { and ] } in bit 5.
        const __m128i pairs = _mm_and_si128(bytes, _mm_set1_epi8(static_cast<char>(0xFE)));
        const __m128i cases = _mm_and_si128(bytes, _mm_set1_epi8(static_cast<char>(0xDF)));
        __m128i stop = _mm_cmplt_epi8(bytes, below);
        stop = _mm_or_si128(stop, _mm_cmpeq_epi8(bytes, _mm_set1_epi8('"')));
        stop = _mm_or_si128(stop, _mm_cmpeq_epi8(bytes, _mm_set1_epi8(',')));
        stop = _mm_or_si128(stop, _mm_cmpeq_epi8(bytes, _mm_set1_epi8('=')));
        stop = _mm_or_si128(stop, _mm_cmpeq_epi8(pairs, _mm_set1_epi8('(')));
        stop = _mm_or_si128(stop, _mm_cmpeq_epi8(pairs, _mm_set1_epi8(':')));
        stop = _mm_or_si128(stop, _mm_cmpeq_epi8(cases, _mm_set1_epi8('[')));
        stop = _mm_or_si128(stop, _mm_cmpeq_epi8(cases, _mm_set1_epi8(']')));
        const int mask = _mm_movemask_epi8(stop);
        if (mask != 0) {
            return p + std::countr_zero(static_cast<unsigned>(mask));
        }
    }
#else
    while (!MayEndWord(*p)) {
        ++p;
    }
    return p;
#endif
}

// Bytes read from the stream at a time: large enough that reading costs
// little per line, small enough to stay in the processor's cache.
constexpr std::size_t kInputBufferBytes = 64 * 1024;

} // namespace

StringSeparator::StringSeparator() {
    // The code page does not change during a read, so its lead bytes are
    // asked once here rather than for every byte of every line.
    for (int value = 0; value < 256; ++value) {
        const auto c = static_cast<unsigned char>(value);
        ByteClass byteClass = kOrdinary;
        if (IsLineEnd(static_cast<char>(c))) {
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
        if (c < 0x80 && byteClass == kLeadByte) {
            asciiNeverLeads_ = false;
        }
    }
}

StringSeparator::~StringSeparator() = default;

int StringSeparator::Separate(const char* text) {
    const std::size_t length = std::strlen(text);
    // text may be a token of this very buffer: then it already fits, and
    // memmove copes with the overlap.
    if (buffer_.size() < length + 1 + kScanPadding) {
        buffer_.resize(length + 1 + kScanPadding);
    }
    std::memmove(buffer_.data(), text, length + 1);
    return SeparateLine(buffer_.data());
}

int StringSeparator::SeparateLine(char* text) {
    ++line_;
    auto* p = reinterpret_cast<unsigned char*>(text);
    Slot* slots = slots_.data();
    auto slotCount = static_cast<int>(slots_.size());
    const ByteClass* const classes = classes_.data();
    const std::uint64_t line = line_;
    int t = 0;
    const auto addToken = [&](const unsigned char* start, std::size_t length) {
        if (t == slotCount) {
            slots_.resize(2 * slots_.size() + 16);
            slots = slots_.data();
            slotCount = static_cast<int>(slots_.size());
        }
        slots[t++] = {reinterpret_cast<const char*>(start), length, line};
    };
    const auto finish = [&] {
        capacity_ = std::max(capacity_, t);
        count = t;
        return t;
    };
    const auto addSeparator = [&](unsigned char c) {
        addToken(reinterpret_cast<const unsigned char*>(kOneCharacterTexts[c].data()), 1);
    };
    // A lead byte takes the byte after it whatever that byte is, except a line
    // end: a lone lead byte just before the end stays in its token by itself.
    const auto characterLength = [](const unsigned char* lead) {
        return IsLineEnd(static_cast<char>(lead[1])) ? 1 : 2;
    };
    // Reads a quoted token whose opening quote p has just passed. Inside
    // quotes only a lead byte, the closing quote and the line end mean
    // anything; spaces and separators are kept. False at the line end.
    const auto readQuoted = [&] {
        const unsigned char* start = p;
        ByteClass byteClass = classes[*p];
        while (byteClass != kQuote && byteClass != kLineEnd) {
            p += byteClass == kLeadByte ? characterLength(p) : 1;
            byteClass = classes[*p];
        }
        const auto length = static_cast<std::size_t>(p - start);
        *p = '\0';
        if (byteClass == kQuote) {
            addToken(start, length); // closed: kept even when empty
            ++p;
            return true;
        }
        if (length > 0) {
            addToken(start, length); // left open: the rest of the line is the last token
        }
        return false;
    };
    for (;;) {
        const unsigned char c = *p;
        switch (classes[c]) {
        case kLineEnd:
            return finish();
        case kWhitespace:
            ++p;
            break;
        case kSeparator:
            addSeparator(c);
            ++p;
            break;
        case kQuote:
            ++p;
            if (!readQuoted()) {
                return finish();
            }
            break;
        case kOrdinary:
        case kLeadByte: {
            const unsigned char* start = p;
            ByteClass byteClass = classes[*p];
            for (;;) {
                if (byteClass == kOrdinary) {
                    p = SkipPlainBytes(p + 1);
                } else if (byteClass == kLeadByte) {
                    p += characterLength(p);
                } else {
                    break;
                }
                byteClass = classes[*p];
            }
            // The byte after the word becomes its terminator; what it was
            // (line end, space, separator or quote) is handled next.
            const unsigned char delimiter = *p;
            *p = '\0';
            addToken(start, static_cast<std::size_t>(p - start));
            if (byteClass == kLineEnd) {
                return finish();
            }
            ++p;
            if (byteClass == kSeparator) {
                addSeparator(delimiter);
            } else if (byteClass == kQuote && !readQuoted()) {
                return finish();
            }
            break;
        }
        }
    }
}

bool StringSeparator::SetToken(int index, const char* text) {
    if (index < 0) {
        return false;
    }
    const auto slot = static_cast<std::size_t>(index);
    if (assigned_.size() <= slot) {
        assigned_.resize(slot + 1);
    }
    if (slots_.size() <= slot) {
        slots_.resize(slot + 1);
    }
    std::string& copy = assigned_[slot];
    copy = text;
    slots_[slot] = {copy.c_str(), copy.size(), line_};
    capacity_ = std::max(capacity_, index + 1);
    return true;
}

AsciiFileString::AsciiFileString(std::FILE* input)
    : stream(input), input_(kInputBufferBytes + 1 + kScanPadding) {}

void AsciiFileString::RestoreAfterPiece() {
    if (terminatorWritten_) {
        input_[terminatorAt_] = replaced_;
        terminatorWritten_ = false;
    }
}

void AsciiFileString::Refill() {
    constexpr auto piece = static_cast<std::size_t>(kMaxPieceLength);
    if (streamEnded_ || end_ - begin_ >= piece) {
        return;
    }
    // What is left moves to the front; it is shorter than one piece.
    std::memmove(input_.data(), input_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
    while (!streamEnded_ && end_ < piece) {
        const std::size_t read =
            std::fread(input_.data() + end_, 1, kInputBufferBytes - end_, stream);
        end_ += read;
        // A read error ends the input as the end of the stream does.
        streamEnded_ = read == 0;
    }
}

int AsciiFileString::ReadLine() {
    return TakeLine() != nullptr ? SplitTakenLine() : -1;
}

int AsciiFileString::SplitTakenLine() {
    // Splitting writes terminators into the piece, so it is split only once.
    char* const line = taken_;
    taken_ = nullptr;
    return line != nullptr ? SeparateLine(line) : count;
}

const char* AsciiFileString::TakeLine() {
    RestoreAfterPiece();
    Refill();
    if (begin_ == end_) {
        taken_ = nullptr;
        count = -1;
        return nullptr;
    }
    ClearTokens();
    // A piece runs to its newline or stops after kMaxPieceLength bytes.
    char* const start = input_.data() + begin_;
    const std::size_t available = std::min<std::size_t>(end_ - begin_, kMaxPieceLength);
    const void* newline = std::memchr(start, '\n', available);
    const std::size_t length =
        newline != nullptr ? static_cast<std::size_t>(static_cast<const char*>(newline) - start) + 1
                           : available;
    begin_ += length;
    if (newline == nullptr) {
        // Ends the piece where fgets would have: the next piece's first byte
        // (or the spare byte after the input) holds a terminator meanwhile.
        terminatorAt_ = begin_;
        replaced_ = input_[begin_];
        input_[begin_] = '\0';
        terminatorWritten_ = true;
    }
    taken_ = start;
    return start;
}

std::size_t AsciiFileString::SkipBuffered(std::size_t bytes) {
    RestoreAfterPiece();
    taken_ = nullptr;
    const std::size_t skipped = std::min(bytes, end_ - begin_);
    begin_ += skipped;
    return skipped;
}
