#include "mif/mif_header.h"

#include <string>
#include <unordered_map>
#include <unordered_set>

#include "mif/mif_charset.h"
#include "mif/mif_coordsys.h"
#include "platform/strings.h"

namespace vx {

namespace {

constexpr std::size_t kMaxFieldName = 10;
constexpr std::size_t kStemLength = 8;
constexpr std::int32_t kMaxColumns = 32767;
constexpr std::string_view kIdColumn = "SPATIAL_ID Decimal(20, 0)";

// The keyword of a header line: its first word, when a blank follows it.
std::string HeaderKeyword(std::string_view line) {
    line = TrimLeadingBlanks(line);
    std::size_t blank = line.find(' ');
    return blank == std::string_view::npos ? std::string() : UpperAnsi(line.substr(0, blank));
}

// The character of `Delimiter ";"`: the one inside the quotes, or the first after the
// keyword when a writer left the quotes out.
char DelimiterOf(std::string_view line) {
    std::string_view rest = TrimLeadingBlanks(line);
    rest = TrimLeadingBlanks(rest.substr(rest.find(' ')));
    if (!rest.empty() && rest.front() == '"') rest.remove_prefix(1);
    if (rest.empty()) throw MifReadError("Delimiter without a character");
    return rest.front();
}

// `Charset "WindowsCyrillic"`: the code page of the file's text, which the attribute table
// carries on. "Neutral" names none, and the text keeps the default; a name not known is left
// in `unknown`.
void ReadCharset(MifReadState& ctx, std::string_view line, std::string& unknown) {
    std::string_view name = TrimBlanks(line);
    const std::size_t blank = name.find(' ');
    name = blank == std::string_view::npos ? std::string_view() : TrimBlanks(name.substr(blank));
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        name = name.substr(1, name.size() - 2);
    const std::string codePage = CodePageOfMifCharset(name);
    if (!codePage.empty()) {
        ctx.table.codePage = codePage;
    } else if (!EqualsNoCase(name, "Neutral")) {
        unknown = name;
    }
}

// Hands out the column names of one Columns clause: names too long for a dBASE field become
// their first characters, "_" and a number, unique among all names of the clause.
class ColumnNames {
  public:
    void Keep(const std::string& name) { used_.insert(UpperAnsi(name)); }

    std::string Shorten(const std::string& name) {
        std::int32_t& next =
            next_.try_emplace(UpperAnsi(name.substr(0, kStemLength)), 1).first->second;
        for (std::int32_t k = next;; ++k) {
            std::string digits = std::to_string(k);
            // Longer numbers take characters from the stem, so the name stays at 10.
            std::string candidate =
                name.substr(0, kMaxFieldName - 1 - digits.size()) + "_" + digits;
            if (used_.insert(UpperAnsi(candidate)).second) {
                next = k + 1;
                return candidate;
            }
        }
    }

  private:
    std::unordered_set<std::string> used_;
    std::unordered_map<std::string, std::int32_t> next_;  // stem -> first number to try
};

// The number of the `Columns n` line.
std::int32_t ColumnCount(std::string_view line) {
    std::string_view clause = TrimLeadingBlanks(line);
    std::size_t blank = clause.find(' ');
    if (blank == std::string_view::npos) throw MifReadError("Columns without a count");
    std::string countText;
    for (char c : clause.substr(blank + 1)) {
        if (c != ' ') countText += c;
    }
    const std::int32_t count = MifLong(countText);
    if (count < 1 || count > kMaxColumns) throw MifReadError("bad column count");
    return count;
}

}  // namespace

void ReadMifColumns(MifReadState& ctx, MifInput& in) {
    const std::int32_t count = ColumnCount(in.line);

    ColumnNames names;
    std::string list;
    for (std::int32_t position = 1; position <= count; ++position) {
        in.ReadLineOrThrow();
        if (ContainsNoCase(in.line, "Spatial_ID")) {
            // The engine numbers its objects itself; a source id column is only remembered.
            ctx.table.sourceIdColumn = position;
            ctx.table.sourceIdPresent = true;
            continue;
        }
        std::string_view declaration = TrimBlanks(in.line);
        std::size_t split = declaration.find(' ');
        if (split == std::string_view::npos) throw MifReadError("column without a type");
        std::string name(declaration.substr(0, split));
        std::string type(TrimBlanks(declaration.substr(split + 1)));
        // dBASE field names cannot hold a hyphen.
        for (char& c : name)
            if (c == '-') c = '_';
        for (char& c : type)
            if (c == '-') c = '_';
        if (name.size() > kMaxFieldName)
            name = names.Shorten(name);
        else
            names.Keep(name);
        if (!list.empty()) {
            list += ',';
            list += kCrLf;
        }
        list += '[';
        list += name;
        list += "] ";
        list += type;
    }

    if (list.find_first_not_of(' ') != std::string::npos) {
        ctx.table.columnList = kIdColumn;
        ctx.table.columnList += ',';
        ctx.table.columnList += kCrLf;
        ctx.table.columnList += list;
    } else {
        ctx.table.columnList = kIdColumn;
    }
}

bool ReadMifHeader(MifReadState& ctx, MifInput& in) {
    try {
        // The Charset item.
        in.line = in.ReadTextItem();
        std::string unknownCharset;
        if (HeaderKeyword(in.line) == "CHARSET") ReadCharset(ctx, in.line, unknownCharset);
        while (UpperAnsi(TrimBlanks(in.line)) != "DATA") {
            in.ReadLineOrThrow();
            const std::string keyword = HeaderKeyword(in.line);
            if (keyword == "CHARSET") {
                ReadCharset(ctx, in.line, unknownCharset);
            } else if (keyword == "DELIMITER") {
                ctx.table.delimiter = DelimiterOf(in.line);
            } else if (keyword == "COORDSYS") {
                ReadMifCoordSys(ctx, in.line);
                if (ctx.Failed()) return false;
            } else if (keyword == "COLUMNS") {
                if (ctx.options.CreateDbf) {
                    ReadMifColumns(ctx, in);
                } else {
                    // Passed over unread, so that a column named like a clause ("delimiter",
                    // "coordsys") is never taken for one.
                    for (std::int32_t n = ColumnCount(in.line); n > 0; --n)
                        in.ReadLineOrThrow();
                }
            }
            // Unique, Index, Transform and anything else have no effect on the layer.
        }
        if (!unknownCharset.empty() && !ctx.Failed())
            ctx.ReportStage(UnknownCodePageLine(unknownCharset));
    } catch (const std::exception&) {
        ctx.ReportStage("Error Reading MIF Header");
        ctx.Fail();
        return false;
    }
    return !ctx.Failed();
}

}  // namespace vx
