#include "dbase/table_statement.h"

#include <algorithm>
#include <charconv>

#include "dbase/dbase_layout.h"
#include "platform/strings.h"

namespace vx {

namespace {

// The widest field a dBASE descriptor can describe that other readers still accept.
constexpr int kMaxCharacterLength = 254;

class Scanner {
  public:
    explicit Scanner(std::string_view text) : text_(text) {}

    void SkipSpace() {
        while (pos_ < text_.size() && IsSpace(text_[pos_]))
            ++pos_;
    }
    bool AtEnd() {
        SkipSpace();
        return pos_ >= text_.size();
    }
    bool Take(char c) {
        SkipSpace();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    // A bare word, or a name in square brackets (which may hold blanks).
    bool Name(std::string& name, bool& bracketed) {
        SkipSpace();
        name.clear();
        bracketed = pos_ < text_.size() && text_[pos_] == '[';
        if (bracketed) {
            std::size_t close = text_.find(']', pos_ + 1);
            if (close == std::string_view::npos) return false;
            name = text_.substr(pos_ + 1, close - pos_ - 1);
            pos_ = close + 1;
            return true;
        }
        std::size_t start = pos_;
        while (pos_ < text_.size() && !IsSpace(text_[pos_]) &&
               std::string_view("()[],;").find(text_[pos_]) == std::string_view::npos) {
            ++pos_;
        }
        name = text_.substr(start, pos_ - start);
        return !name.empty();
    }
    bool Keyword(std::string_view word) {
        std::size_t keep = pos_;
        std::string found;
        bool bracketed = false;
        if (Name(found, bracketed) && !bracketed && EqualsNoCase(found, word)) return true;
        pos_ = keep;
        return false;
    }
    bool Integer(int& value) {
        SkipSpace();
        const char* first = text_.data() + pos_;
        const char* last = text_.data() + text_.size();
        auto [end, ec] = std::from_chars(first, last, value);
        if (ec != std::errc()) return false;
        pos_ += static_cast<std::size_t>(end - first);
        return true;
    }

  private:
    static bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
    std::string_view text_;
    std::size_t pos_ = 0;
};

bool IsOneOf(std::string_view name, std::initializer_list<std::string_view> words) {
    for (auto word : words) {
        if (EqualsNoCase(name, word)) return true;
    }
    return false;
}

ColumnSpec Field(char type, int length, int decimals) {
    ColumnSpec mapped;
    mapped.type = type;
    mapped.length = static_cast<std::uint8_t>(length);
    mapped.decimals = static_cast<std::uint8_t>(decimals);
    return mapped;
}

}  // namespace

// SQL column types and the dBASE fields they become. Each field is wide enough for every
// value of its type, so that nothing valid is cut:
//
//   Char(n), Character, Varchar, Text, String   C  n (1 to 254; 254 when no size is given)
//   Integer, Int, Long                          N  11, 0   every 32-bit value with its sign
//   Smallint, Short                             N  6, 0    every 16-bit value with its sign
//   Largeint, Bigint                            N  20, 0   every 64-bit value with its sign
//   Decimal(p, s), Numeric, Dec                 N  p + 1 (sign) + 1 (point, when s > 0), s;
//                                                  at least 12 wide when s = 0, so that the
//                                                  field never reads back as a 32-bit
//                                                  integer it could overflow; Decimal alone
//                                                  is Decimal(18, 0)
//   Float, Double, Real, Single                 N  32, 15  16 integer digits and 15 decimals:
//                                                  every value a 15-digit writer prints
//                                                  without an exponent
//   Logical, Bit, Boolean, YesNo                L  1
//   Date, DateTime, Timestamp                   D  8       (a time of day is not kept)
//   Time                                        C  9       hhmmssmmm, as MIF writes it
bool MapColumnType(std::string_view typeName, int argumentCount, const int arguments[2],
                   ColumnSpec& column, std::string& error) {
    auto sized = [&](int maxArguments) {
        if (argumentCount > maxArguments) {
            error = "Too many sizes for the type " + std::string(typeName) + ".";
            return false;
        }
        return true;
    };
    ColumnSpec mapped;
    if (IsOneOf(typeName, {"char", "character", "varchar", "text", "string"})) {
        if (!sized(1)) return false;
        int length = argumentCount == 1 ? arguments[0] : kMaxCharacterLength;
        if (length < 1) {
            error = "The size of a character field must be at least 1.";
            return false;
        }
        mapped = Field('C', std::min(length, kMaxCharacterLength), 0);
    } else if (IsOneOf(typeName, {"integer", "int", "long"})) {
        if (!sized(0)) return false;
        mapped = Field('N', 11, 0);
    } else if (IsOneOf(typeName, {"smallint", "short"})) {
        if (!sized(0)) return false;
        mapped = Field('N', 6, 0);
    } else if (IsOneOf(typeName, {"largeint", "bigint"})) {
        if (!sized(0)) return false;
        mapped = Field('N', 20, 0);
    } else if (IsOneOf(typeName, {"decimal", "numeric", "dec"})) {
        if (!sized(2)) return false;
        int precision = argumentCount >= 1 ? arguments[0] : 18;
        int scale = argumentCount == 2 ? arguments[1] : 0;
        if (precision < 1 || scale < 0) {
            error = "The precision and scale of a decimal field are not valid.";
            return false;
        }
        int width = std::max(precision, scale) + 1 + (scale > 0 ? 1 : 0);
        if (scale == 0) width = std::max(width, 12);
        if (width > kMaxCharacterLength) {
            error = "A decimal field of that precision is too wide for a dBASE table.";
            return false;
        }
        mapped = Field('N', width, scale);
    } else if (IsOneOf(typeName, {"float", "double", "real", "single"})) {
        if (!sized(1)) return false;
        mapped = Field('N', 32, 15);
    } else if (IsOneOf(typeName, {"logical", "bit", "boolean", "yesno"})) {
        if (!sized(0)) return false;
        mapped = Field('L', 1, 0);
    } else if (IsOneOf(typeName, {"date", "datetime", "timestamp"})) {
        if (!sized(0)) return false;
        mapped = Field('D', 8, 0);
    } else if (IsOneOf(typeName, {"time"})) {
        if (!sized(0)) return false;
        mapped = Field('C', 9, 0);
    } else {
        error = "Unknown field type " + std::string(typeName) + ".";
        return false;
    }
    mapped.name = std::move(column.name);
    column = std::move(mapped);
    return true;
}

bool ParseCreateTable(std::string_view sql, CreateTableStatement& statement, std::string& error) {
    statement = CreateTableStatement{};
    Scanner in(sql);
    bool bracketed = false;
    if (!in.Keyword("CREATE") || !in.Keyword("TABLE")) {
        error = "Syntax error: the statement is not CREATE TABLE.";
        return false;
    }
    if (!in.Name(statement.table, bracketed) || statement.table.empty()) {
        error = "Syntax error in CREATE TABLE: the table name is missing.";
        return false;
    }
    if (!in.Take('(')) {
        error = "Syntax error in CREATE TABLE: \"(\" expected after the table name.";
        return false;
    }
    std::size_t recordLength = 1;
    for (;;) {
        ColumnSpec column;
        std::string typeName;
        if (!in.Name(column.name, bracketed) || column.name.empty()) {
            error = "Syntax error in field definition: a field name is missing.";
            return false;
        }
        if (column.name.size() > kDbfNameSize) {
            error = "The field name " + column.name + " is longer than 10 characters.";
            return false;
        }
        for (const auto& other : statement.columns) {
            if (EqualsNoCase(other.name, column.name)) {
                error = "The field name " + column.name + " is used twice.";
                return false;
            }
        }
        if (!in.Name(typeName, bracketed) || bracketed) {
            error = "Syntax error in field definition: the type of " + column.name + " is missing.";
            return false;
        }
        int arguments[2] = {0, 0};
        int argumentCount = 0;
        if (in.Take('(')) {
            do {
                if (argumentCount == 2 || !in.Integer(arguments[argumentCount])) {
                    error = "Syntax error in the size of field " + column.name + ".";
                    return false;
                }
                ++argumentCount;
            } while (in.Take(','));
            if (!in.Take(')')) {
                error = "Syntax error in the size of field " + column.name + ".";
                return false;
            }
        }
        if (!MapColumnType(typeName, argumentCount, arguments, column, error)) return false;
        recordLength += column.length;
        statement.columns.push_back(std::move(column));
        if (in.Take(',')) continue;
        if (in.Take(')')) break;
        error = "Syntax error in field definition: \",\" or \")\" expected after " +
                statement.columns.back().name + ".";
        return false;
    }
    in.Take(';');
    if (!in.AtEnd()) {
        error = "Syntax error: unexpected text after the field list.";
        return false;
    }
    std::size_t headerLength = kDbfHeaderSize + statement.columns.size() * kDbfDescriptorSize + 1;
    if (recordLength > 0xFFFF || headerLength > 0xFFFF) {
        error = "Too many fields, or fields too wide, for a dBASE table.";
        return false;
    }
    return true;
}

}  // namespace vx
