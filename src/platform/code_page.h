#pragma once

#include <cstddef>
#include <map>
#include <span>
#include <string>
#include <string_view>

// Code pages of the text a map file carries. A code page is named as iconv names it ("CP1252",
// "CP1251", "UTF-8", "ISO-8859-5"); the formats' own names for them are their readers' and
// writers' business. Text stays in its bytes wherever it can; it is converted only where a
// target cannot name the code page it is in.
namespace vx {

// The code page of a source that names none.
inline constexpr std::string_view kDefaultCodePage = "CP1252";
inline constexpr std::string_view kUtf8CodePage = "UTF-8";

// The usual spelling of a code page name: upper case, "WINDOWS-1251" as "CP1251",
// "ISO8859_5" as "ISO-8859-5", "UTF8" as "UTF-8". Empty when the converter does not know the
// name.
std::string CanonicalCodePage(std::string_view name);

// The status line for a source whose code page is named by a name not known.
std::string UnknownCodePageLine(std::string_view name);

// Converts text from one code page to another. A character the target cannot hold, or a byte
// that is no character of the source, becomes "?" and is counted.
class TextRecoder {
  public:
    TextRecoder(std::string_view from, std::string_view to);
    ~TextRecoder();
    TextRecoder(const TextRecoder&) = delete;
    TextRecoder& operator=(const TextRecoder&) = delete;

    // False when the converter does not know one of the names.
    bool Valid() const { return valid_; }
    // `text` in the target code page.
    std::string Convert(std::string_view text);
    void Convert(std::string_view text, std::string& out);
    // Characters lost so far.
    std::size_t Lost() const { return lost_; }

  private:
    // Text goes through UTF-8: decode_ from the source (none when it is UTF-8), encode_ to
    // the target (none when it is UTF-8).
    void Step(void* handle, std::string_view text, std::string& out, bool utf8In);

    void* decode_ = nullptr;
    void* encode_ = nullptr;
    bool valid_ = false;
    std::string pivot_;
    std::size_t lost_ = 0;
};

// The characters beyond ASCII that a text holds, with how often each occurs; what choosing a
// code page for the text needs to know.
class CharacterTally {
  public:
    // Counts the characters of UTF-8 text; bytes that are no UTF-8 count as one unknown
    // character each.
    void AddUtf8(std::string_view text);
    bool Empty() const { return counts_.empty(); }
    // Each character as its UTF-8 bytes; a byte that was no UTF-8 stands alone.
    const std::map<std::string, std::size_t>& Counts() const { return counts_; }

  private:
    std::map<std::string, std::size_t> counts_;
};

// The code page among `candidates` that holds most of the tallied characters (the first of
// equals), and how many characters it cannot hold.
struct CodePageChoice {
    std::string codePage;
    std::size_t lost = 0;
};
CodePageChoice ChooseCodePage(const CharacterTally& tally,
                              std::span<const std::string_view> candidates);

}  // namespace vx
