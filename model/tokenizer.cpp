#include "model/tokenizer.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

#include "model/inline_always.h"
#include "platform/services/system_services.h"

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

// SeparateLine's state while it reads one line: where it stands and the tokens
// found so far, with one reader for each kind of token. It lives only during
// one call and every part of it is inlined, so its fields stay in registers.
class StringSeparator::LineReader {
  public:
    LineReader(StringSeparator& owner, char* text)
        : owner_(owner), p_(reinterpret_cast<unsigned char*>(text)), slots_(owner.slots_.data()),
          slotCount_(static_cast<int>(owner.slots_.size())), classes_(owner.classes_.data()),
          line_(owner.line_) {}

    // Reads the tokens up to the line's end; returns how many there are.
    KORVANE_INLINE_ALWAYS int ReadTokens() {
        for (;;) {
            switch (classes_[*p_]) {
            case kLineEnd:
                return tokens_;
            case kWhitespace:
                ++p_;
                break;
            case kSeparator:
                ReadSeparator();
                break;
            case kQuote:
                ++p_;
                if (!ReadQuoted()) {
                    return tokens_;
                }
                break;
            case kOrdinary:
            case kLeadByte:
                if (!ReadWord()) {
                    return tokens_;
                }
                break;
            }
        }
    }

  private:
    KORVANE_INLINE_ALWAYS void AddToken(const unsigned char* start, std::size_t length) {
        if (tokens_ == slotCount_) {
            owner_.slots_.resize(2 * owner_.slots_.size() + 16);
            slots_ = owner_.slots_.data();
            slotCount_ = static_cast<int>(owner_.slots_.size());
        }
        slots_[tokens_++] = {reinterpret_cast<const char*>(start), length, line_};
    }

    // A separator's own byte may become a terminator, so its text comes from
    // the table of one-character texts.
    KORVANE_INLINE_ALWAYS void AddSeparator(unsigned char c) {
        AddToken(reinterpret_cast<const unsigned char*>(kOneCharacterTexts[c].data()), 1);
    }

    KORVANE_INLINE_ALWAYS void ReadSeparator() { AddSeparator(*p_++); }

    // Reads a word and what ends it. False at the line's end.
    KORVANE_INLINE_ALWAYS bool ReadWord() {
        const unsigned char* start = p_;
        ByteClass byteClass = classes_[*p_];
        for (;;) {
            if (byteClass == kOrdinary) {
                p_ = SkipPlainBytes(p_ + 1);
            } else if (byteClass == kLeadByte) {
                p_ += CharacterLength(p_);
            } else {
                break;
            }
            byteClass = classes_[*p_];
        }
        // The byte after the word becomes its terminator; what it was (line
        // end, space, separator or quote) is handled next.
        const unsigned char delimiter = *p_;
        *p_ = '\0';
        AddToken(start, static_cast<std::size_t>(p_ - start));
        if (byteClass == kLineEnd) {
            return false;
        }
        ++p_;
        if (byteClass == kSeparator) {
            AddSeparator(delimiter);
        } else if (byteClass == kQuote) {
            return ReadQuoted();
        }
        return true;
    }

    // Reads a quoted token whose opening quote has just been passed. Inside
    // quotes only a lead byte, the closing quote and the line end mean
    // anything; spaces and separators are kept. False at the line's end.
    KORVANE_INLINE_ALWAYS bool ReadQuoted() {
        const unsigned char* start = p_;
        ByteClass byteClass = classes_[*p_];
        while (byteClass != kQuote && byteClass != kLineEnd) {
            p_ += byteClass == kLeadByte ? CharacterLength(p_) : 1;
            byteClass = classes_[*p_];
        }
        const auto length = static_cast<std::size_t>(p_ - start);
        *p_ = '\0';
        if (byteClass == kQuote) {
            AddToken(start, length); // closed: kept even when empty
            ++p_;
            return true;
        }
        if (length > 0) {
            AddToken(start, length); // left open: the rest of the line is the last token
        }
        return false;
    }

    // A lead byte takes the byte after it whatever that byte is, except a line
    // end: a lone lead byte just before the end stays in its token by itself.
    KORVANE_INLINE_ALWAYS static int CharacterLength(const unsigned char* lead) {
        return IsLineEnd(static_cast<char>(lead[1])) ? 1 : 2;
    }

    StringSeparator& owner_;
    unsigned char* p_; // the next byte to read
    Slot* slots_;      // owner_.slots_, cached while it does not grow
    int slotCount_;
    int tokens_ = 0;
    const ByteClass* const classes_;
    const std::uint64_t line_;
};

int StringSeparator::SeparateLine(char* text) {
    ++line_;
    const int tokens = LineReader(*this, text).ReadTokens();
    capacity_ = std::max(capacity_, tokens);
    count = tokens;
    return tokens;
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
