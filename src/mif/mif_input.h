#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/pair_line_reader.h"

// The MIF reader's input: one sequential stream over the source file, read either as whole
// lines or as items (numbers and words cut at blanks, commas and line ends), with the line
// buffer and the hand-back flag the object readers share.
namespace vx {

// A malformed source: the stage that catches it reports its own message.
class MifReadError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class MifInput {
  public:
    MifInput();
    bool Open(const std::string& path);
    void Close() { reader_.Close(); }
    // Back to the first line. With readAhead the file is read from there on by a second
    // thread ahead of the caller, vertex lines parsed there too.
    bool Rewind(bool readAhead = false);

    // True when nothing is left to read: no real line, no trailing blank line, and no rest
    // of a line that item reads stopped in.
    bool AtEnd();

    // Reads the next whole line (or the rest of the line an item read stopped in) into the
    // line buffer; false at the end.
    bool ReadLine();
    // The same, but the end of the file is an error.
    void ReadLineOrThrow();
    // Reads the next line into the line buffer, or empties the buffer at the end: what an
    // object reader does when it looks at the line after its object.
    void ReadLookAhead();

    // A text item: leading blanks skipped; a quoted item runs to its closing quote, any other
    // to the next comma or the line end. An empty line is an empty item.
    std::string ReadTextItem();
    // A number item: ends at a blank, a comma or the line end; blank lines are skipped.
    double ReadNumber();
    // Two numbers, as two ReadNumber calls would read them; a line holding just the pair
    // (the form of nearly every vertex) is parsed in one step, on the read-ahead thread when
    // there is one.
    void ReadPair(double& x, double& y);
    // Pairs of whole vertex lines, as ReadPair would read them, while the lines ahead are
    // such pairs: up to `max`, each handed to sink(x, y). Returns how many; 0 when ReadPair
    // must take the next one.
    template <typename Sink>
    std::size_t ReadPairs(std::size_t max, Sink&& sink) {
        if (inLine_ || havePeek_ || realEnd_) return 0;
        return reader_.ReadPairs(max, sink);
    }
    // A number item that must be a whole count of at least 1.
    std::int32_t ReadCount();

    // 1-based number of the last line taken from the file.
    long long LineNumber() const { return reader_.LineNumber(); }

    std::string line;        // the line buffer
    bool reuseLine = false;  // the line buffer holds a line handed back to the object loop
    // When set, sees every line taken from the file with its number, except the plain pairs
    // ReadPair parses in place (which hold nothing but two numbers).
    std::function<void(std::string_view, long long)> lineWatcher;

  private:
    bool ReadFileLine(std::string& out);
    void CheckNotFailed() const;
    bool FetchLine(std::string& out);
    bool StartItem(bool skipEmptyLines);
    void FinishItem();

    PairLineReader reader_;
    std::string current_;  // the physical line item reads work in
    std::size_t pos_ = 0;
    bool inLine_ = false;  // current_ has been read partly
    std::string peek_;
    bool havePeek_ = false;
    bool realEnd_ = false;
    int trailingBlanks_ = 0;
};

// Small text helpers of the MIF syntax, where a blank is the space character only.
std::string_view TrimBlanks(std::string_view text);
std::string_view TrimLeadingBlanks(std::string_view text);
// Splits at every single blank (two blanks in a row give an empty piece). With maxPieces
// above 0 the last piece keeps the rest of the text.
std::vector<std::string_view> SplitBlanks(std::string_view text, std::size_t maxPieces = 0);
bool ContainsNoCase(std::string_view text, std::string_view word);
// The first word of a line, blanks trimmed, upper-cased: how object lines are recognised.
std::string FirstWordUpper(std::string_view line);

// Numbers of the MIF text. A trailing comma is ignored; anything else that is not part of the
// number, and a value that is not finite, throws MifReadError.
double MifDouble(std::string_view text);
// The same without throwing: false when the text is not a number.
bool TryMifDouble(std::string_view text, double& value);
// A whole number, rounded half to even as the file's writers expect; outside 32 bits throws.
std::int32_t MifLong(std::string_view text);

}  // namespace vx
