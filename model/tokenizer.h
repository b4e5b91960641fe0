// The line tokenizer of the document reader: StringSeparator splits one line
// into tokens, FileStringSeparator adds fetching the next line from a source,
// AsciiFileString fetches lines from an open standard I/O stream.
#pragma once

#include <array>
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

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

    // Slot index, 0 <= index < Capacity(). Only slots below count belong to
    // the current line; the others may hold tokens of earlier lines.
    const std::string& Token(int index) const { return tokens_[static_cast<std::size_t>(index)]; }
    // Number of slots: the largest token count seen so far. Never shrinks.
    int Capacity() const { return static_cast<int>(tokens_.size()); }

    int count = 0; // tokens of the current line; -1 once the input has ended
    const std::array<unsigned char, 128> separators = kSeparatorTable; // non-zero: stands alone
    const char quote = '"'; // opens and closes a token that keeps spaces and separators

  private:
    enum ByteClass : unsigned char {
        kOrdinary,
        kLeadByte,
        kLineEnd,
        kWhitespace,
        kQuote,
        kSeparator
    };

    void StoreToken(int index, const char* text, std::size_t length);

    std::vector<std::string> tokens_;
    // What every byte value means outside quotes, fixed at construction from
    // separators, quote and the code page's lead bytes.
    std::array<ByteClass, 256> classes_{};
};

class FileStringSeparator : public StringSeparator {
  public:
    // Tokenizes the next line of the source; returns its token count (0 for a
    // blank line) or -1 at the end of the input, and sets count alike.
    virtual int ReadLine() = 0;
};

class AsciiFileString : public FileStringSeparator {
  public:
    // A line longer than this is delivered in pieces of this many bytes.
    static constexpr int kMaxPieceLength = 8190;

    explicit AsciiFileString(std::FILE* input) : stream(input) {}

    int ReadLine() override;

    std::FILE* stream; // the open input; never closed here

  private:
    // fgets stores at most kMaxPieceLength bytes and a terminator.
    std::array<char, 8192> line_{};
};

// True when index < count and token index equals word, ASCII letters compared
// without regard to case.
bool TokenIs(const StringSeparator& separator, int index, const char* word);
// atof of token index narrowed to float, or 0 when index >= count.
float TokenFloat(const StringSeparator& separator, int index);
// atoi of token index, or 0 when index >= count.
int TokenInt(const StringSeparator& separator, int index);
