// The line tokenizer of the document reader: StringSeparator splits one line
// into tokens, FileStringSeparator adds fetching the next line from a source,
// AsciiFileString fetches lines from an open standard I/O stream.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "model/ascii_text.h"
#include "model/number_conversion.h"

// The ten characters that always stand alone as one-character tokens:
// ( ) , : ; = [ ] { }
extern const std::array<unsigned char, 128> kSeparatorTable;

class StringSeparator {
  public:
    StringSeparator();
    virtual ~StringSeparator();
    StringSeparator(const StringSeparator&) = delete;
    StringSeparator& operator=(const StringSeparator&) = delete;

    // Splits text (up to its NUL, CR or LF) into tokens 0 upward; sets count
    // and returns it.
    int Separate(const char* text);
    // Makes slot index hold a copy of text, first growing the slots to
    // index + 1 when there are fewer. False only for a negative index.
    bool SetToken(int index, const char* text);

    // The text of slot index, NUL-terminated; valid until the next Separate
    // or SetToken. Slots below count hold the current line; a slot the
    // current line did not fill reads as empty.
    std::string_view Token(int index) const {
        if (index >= 0 && index < capacity_) {
            const Slot& slot = slots_[static_cast<std::size_t>(index)];
            if (slot.line == line_) {
                return {slot.text, slot.length};
            }
        }
        return {"", 0}; // still a C string: data() is never null
    }
    // Number of slots: the largest token count seen so far. Never shrinks.
    int Capacity() const { return capacity_; }
    // True when no ASCII byte starts a double-byte character in the code
    // page, so that ASCII text splits alike in every code page (as in all
    // real ones).
    bool AsciiNeverLeads() const { return asciiNeverLeads_; }

    // Bytes after a line's terminator that may be read (and ignored) by code
    // that scans sixteen or sixty-four bytes at a time.
    static constexpr std::size_t kScanPadding = 64;

    int count = 0; // tokens of the current line; -1 once the input has ended
    const std::array<unsigned char, 128> separators = kSeparatorTable; // non-zero: stands alone
    const char quote = '"'; // opens and closes a token that keeps spaces and separators

  protected:
    // Splits the line at text, which ends at its first NUL, CR or LF, into
    // tokens in place: the tokens point into it, and the byte after each
    // becomes its terminator. The line must stay put until the next line,
    // and kScanPadding readable bytes must follow its terminator.
    int SeparateLine(char* text);
    // Forgets the current line's tokens: count becomes 0.
    void ClearTokens() {
        ++line_;
        count = 0;
    }

  private:
    class LineReader; // SeparateLine's reading of one line, in tokenizer.cpp

    enum ByteClass : unsigned char {
        kOrdinary,
        kLeadByte,
        kLineEnd,
        kWhitespace,
        kQuote,
        kSeparator
    };

    // A token's text and the line it belongs to.
    struct Slot {
        const char* text = "";
        std::size_t length = 0;
        std::uint64_t line = 0;
    };

    // The copy of the text given to Separate. Tokens are cut out of a line
    // where they stand: the byte after each is overwritten with a NUL, and a
    // separator, whose own byte may be overwritten so, is served from a table
    // of one-character texts. It only grows, so once it has room for the
    // longest text no call allocates.
    std::vector<char> buffer_;
    // Texts given to SetToken, by slot; a deque never moves them as it grows.
    std::deque<std::string> assigned_;
    // Room for tokens, grown ahead of need; only the first capacity_ of them
    // count as slots.
    std::vector<Slot> slots_;
    int capacity_ = 0;
    std::uint64_t line_ = 1; // counts lines split; slots of another line are stale
    // What every byte value means outside quotes, fixed at construction from
    // separators, quote and the code page's lead bytes.
    std::array<ByteClass, 256> classes_{};
    bool asciiNeverLeads_ = true;
};

class FileStringSeparator : public StringSeparator {
  public:
    // Tokenizes the next line of the source; returns its token count (0 for a
    // blank line) or -1 at the end of the input, and sets count alike.
    virtual int ReadLine() = 0;
};

// Lines are cut from a large buffer refilled from the stream, the way fgets
// with room for kMaxPieceLength bytes would deliver them, and split where
// they lie in it.
class AsciiFileString : public FileStringSeparator {
  public:
    // A line longer than this is delivered in pieces of this many bytes.
    static constexpr int kMaxPieceLength = 8190;

    explicit AsciiFileString(std::FILE* input);

    int ReadLine() override;

    // ReadLine in two steps, so that a caller may read a line of a shape it
    // knows straight from its bytes, and split only the others. TakeLine cuts
    // the next piece as ReadLine would and forgets the tokens of the last
    // one; it returns the piece's first byte, or nullptr (and count -1) at
    // the end of the input. The piece ends at its first newline or, when it
    // has none, before a NUL that follows it; a NUL or CR inside ends its
    // text for the tokenizer. kScanPadding readable bytes follow its end. It
    // stays valid until the next TakeLine or ReadLine. SplitTakenLine then
    // gives the tokens ReadLine would have given for it; called again, it
    // only returns count.
    const char* TakeLine();
    int SplitTakenLine();

    // Steps over up to `bytes` bytes that follow the current line and have
    // already been read from the stream; returns how many it stepped over.
    // The stream's own position is where the rest of them begin.
    std::size_t SkipBuffered(std::size_t bytes);

    std::FILE* stream; // the open input; never closed here

  private:
    // Reads from the stream until at least one whole piece lies ahead or
    // the stream has ended.
    void Refill();
    // Puts back the byte that the last piece's terminator replaced.
    void RestoreAfterPiece();

    // Bytes read from the stream, then a spare byte and the scan's padding.
    std::vector<char> input_;
    std::size_t begin_ = 0;    // the next piece starts here
    std::size_t end_ = 0;      // bytes of input_ read so far
    bool streamEnded_ = false; // the stream has no more bytes
    // Where the current piece's terminator was written, and the byte it replaced.
    std::size_t terminatorAt_ = 0;
    char replaced_ = '\0';
    bool terminatorWritten_ = false;
    char* taken_ = nullptr; // the piece TakeLine cut last
};

// True when index < count and token index equals word, ASCII letters compared
// without regard to case (all other bytes must match exactly).
inline bool TokenIs(const StringSeparator& separator, int index, std::string_view word) {
    return index >= 0 && index < separator.count &&
           EqualsIgnoringAsciiCase(separator.Token(index), word);
}

// atof of token index narrowed to float, or 0 when index >= count.
inline float TokenFloat(const StringSeparator& separator, int index) {
    return index >= 0 && index < separator.count ? TextToFloat(separator.Token(index).data())
                                                 : 0.0f;
}

// atoi of token index, or 0 when index >= count.
inline int TokenInt(const StringSeparator& separator, int index) {
    return index >= 0 && index < separator.count ? TextToInt(separator.Token(index).data()) : 0;
}
