#include "gdal_plugin/attribute_fields.h"

#include <charconv>
#include <cmath>
#include <limits>

#include <cpl_string.h>
#include <ogr_feature.h>

#include "dbase/attribute_table.h"
#include "dbase/field_format.h"
#include "dbase/table_statement.h"
#include "platform/strings.h"
#include "vxv/layer_reader.h"

namespace vx {

namespace {

constexpr const char* kAnsi = "CP1252";
// What a dBASE head can count: its length and a record's are 16-bit.
constexpr std::size_t kMaxRecordLength = 0xFFFF;
constexpr std::size_t kMaxColumns = (0xFFFF - 33) / 32;
constexpr int kMaxTextWidth = 254;
// The key column as the layer table writer makes it, Decimal(20, 0).
constexpr std::size_t kKeyWidth = 21;

std::string Recode(const std::string& text, const char* from, const char* to) {
    if (text.empty()) return text;
    char* recoded = CPLRecode(text.c_str(), from, to);
    std::string out = recoded != nullptr ? recoded : "";
    CPLFree(recoded);
    return out;
}

bool IsKey(const std::string& name) {
    return EqualsNoCase(name, kKeyColumn);
}

// An object's number as the key column stores it ("12", or "12.00000" for a MIF import).
std::optional<std::int64_t> KeyNumber(const std::optional<std::string>& value) {
    if (!value) return std::nullopt;
    const std::optional<double> number = ParseDouble(*value);
    if (!number || !(std::fabs(*number) < 9e15) || std::floor(*number) != *number) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(*number);
}

bool IsNumeric(const TableField& field) {
    return field.Type == kAdInteger || field.Type == kAdNumeric || field.Type == kAdDouble ||
           field.Type == kAdSingle;
}

void SetValue(OGRFeature& feature, int index, const TableField& field, const std::string& value) {
    switch (field.Type) {
        case kAdBoolean:
            feature.SetField(index, value == "True" ? 1 : 0);
            break;
        case kAdDate: {
            const std::optional<CalendarDate> date = ParseDateText(value);
            if (date) feature.SetField(index, date->year, date->month, date->day);
            break;
        }
        case kAdInteger:
        case kAdNumeric:
        case kAdDouble:
        case kAdSingle:
            // Plain numbers, read by GDAL without regard to the locale.
            feature.SetField(index, value.c_str());
            break;
        default:
            feature.SetField(index, ToUtf8(value).c_str());
            break;
    }
}

template <typename Number>
std::string NumberText(Number value) {
    char text[64];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value);
    return ec == std::errc() ? std::string(text, end) : std::string();
}

std::string FixedText(double value, int decimals) {
    char text[400];
    const auto [end, ec] =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return ec == std::errc() ? std::string(text, end) : std::string();
}

std::string TwoDigits(int value) {
    std::string text = NumberText(value);
    return text.size() < 2 ? "0" + text : text;
}

}  // namespace

std::string ToUtf8(const std::string& ansi) {
    return Recode(ansi, kAnsi, CPL_ENC_UTF8);
}

std::string FromUtf8(const std::string& utf8) {
    return Recode(utf8, CPL_ENC_UTF8, kAnsi);
}

bool LayerTable::Read(const LayerModel& model, const std::string& vxvPath, std::string& reason) {
    TableConnection connection;
    TableRecordset recordset;
    if (!OpenAttributeTable(model, vxvPath, connection, recordset)) {
        reason = "its table " + ToUtf8(model.TableNames.front()) + " is missing or damaged";
        return false;
    }
    if (!recordset.IsOpen()) return true;
    fields_ = recordset.Fields();
    for (int i = 0; i < recordset.FieldCount(); ++i) {
        if (keyField_ < 0 && IsKey(fields_[static_cast<std::size_t>(i)].Name)) keyField_ = i;
        if (labelField_ < 0 &&
            EqualsNoCase(fields_[static_cast<std::size_t>(i)].Name, kTextLabelColumn)) {
            labelField_ = i;
        }
    }
    for (; !recordset.IsEOF(); recordset.MoveNext()) {
        if (rows_.size() >= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
            break;  // a dBASE table counts its rows in 32 bits
        }
        std::vector<std::optional<std::string>>& row = rows_.emplace_back();
        row.reserve(fields_.size());
        for (int i = 0; i < recordset.FieldCount(); ++i)
            row.push_back(recordset.Value(i));
        if (keyField_ < 0) continue;
        // The first row of a number holds.
        if (const auto key = KeyNumber(row[static_cast<std::size_t>(keyField_)])) {
            byKey_.try_emplace(*key, rows_.size() - 1);
        }
    }
    for (std::size_t i = 0; i < fields_.size(); ++i)
        whole_.push_back(WholeType(i));
    return true;
}

LayerTable::Whole LayerTable::WholeType(std::size_t field) const {
    const TableField& f = fields_[field];
    if (!IsNumeric(f) || f.NumericScale != 0) return Whole::kNo;
    // What the width can hold when the values do not say more.
    Whole type = f.DefinedSize <= 11   ? Whole::kInt32
                 : f.DefinedSize <= 18 ? Whole::kInt64
                                       : Whole::kReal;
    bool int32 = true;
    bool int64 = true;
    bool any = false;
    for (const auto& row : rows_) {
        if (!row[field]) continue;
        any = true;
        const std::optional<long long> value = ParseInteger(*row[field]);
        if (!value) {
            int32 = int64 = false;
            break;
        }
        int32 = int32 && *value >= std::numeric_limits<std::int32_t>::min() &&
                *value <= std::numeric_limits<std::int32_t>::max();
    }
    if (!any) return type;
    if (int32 && f.DefinedSize <= 11) return Whole::kInt32;
    return int64 ? Whole::kInt64 : Whole::kReal;
}

void LayerTable::DefineFields(OGRFeatureDefn& definition) const {
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const TableField& field = fields_[i];
        OGRFieldDefn defn(ToUtf8(field.Name).c_str(), OFTString);
        const Whole whole = i < whole_.size() ? whole_[i] : Whole::kNo;
        if (whole == Whole::kInt32 || whole == Whole::kInt64) {
            defn.SetType(whole == Whole::kInt32 ? OFTInteger : OFTInteger64);
            defn.SetWidth(field.DefinedSize);
            definition.AddFieldDefn(&defn);
            continue;
        }
        switch (field.Type) {
            case kAdInteger:
            case kAdNumeric:
            case kAdDouble:
            case kAdSingle:
                defn.SetType(OFTReal);
                defn.SetWidth(field.DefinedSize);
                defn.SetPrecision(field.NumericScale);
                break;
            case kAdBoolean:
                defn.SetType(OFTInteger);
                defn.SetSubType(OFSTBoolean);
                defn.SetWidth(1);
                break;
            case kAdDate:
                defn.SetType(OFTDate);
                break;
            default:
                defn.SetWidth(field.DefinedSize);
                break;
        }
        definition.AddFieldDefn(&defn);
    }
}

const std::vector<std::optional<std::string>>* LayerTable::RowOf(std::int64_t number) const {
    if (keyField_ >= 0) {
        const auto found = byKey_.find(number);
        return found == byKey_.end() ? nullptr : &rows_[found->second];
    }
    if (number < 1 || static_cast<std::uint64_t>(number) > rows_.size()) return nullptr;
    return &rows_[static_cast<std::size_t>(number - 1)];
}

void LayerTable::Fill(OGRFeature& feature, std::int64_t number) const {
    const auto* row = RowOf(number);
    if (row == nullptr) return;
    for (std::size_t i = 0; i < fields_.size() && i < row->size(); ++i) {
        if ((*row)[i]) SetValue(feature, static_cast<int>(i), fields_[i], *(*row)[i]);
    }
}

std::string LayerTable::TextLabel(std::int64_t number) const {
    const auto* row = RowOf(number);
    if (row == nullptr || labelField_ < 0) return {};
    const auto& value = (*row)[static_cast<std::size_t>(labelField_)];
    return value ? ToUtf8(*value) : std::string();
}

std::string TablePlan::UniqueName(const std::string& wanted) const {
    auto taken = [&](const std::string& name) {
        if (IsKey(name)) return true;
        for (const Column& column : columns_) {
            if (EqualsNoCase(column.name, name)) return true;
        }
        return false;
    };
    std::string name = wanted.substr(0, kDbfNameSize);
    for (int n = 1; taken(name); ++n) {
        const std::string suffix = "_" + NumberText(n);
        name = wanted.substr(0, kDbfNameSize - suffix.size()) + suffix;
    }
    return name;
}

bool TablePlan::AddField(const OGRFieldDefn& field, std::vector<std::string>& warnings,
                         std::string& error) {
    const int index = fieldCount_++;
    const std::string given = field.GetNameRef();
    if (IsKey(given)) {
        if (sourceKey_ < 0) sourceKey_ = index;
        return true;
    }
    Column column;
    column.field = index;
    const int width = field.GetWidth();
    const int precision = field.GetPrecision();
    switch (field.GetType()) {
        case OFTInteger:
            column.kind = field.GetSubType() == OFSTBoolean ? Kind::kLogical : Kind::kInteger;
            column.sqlType = column.kind == Kind::kLogical ? "Logical" : "Integer";
            break;
        case OFTInteger64:
            column.kind = Kind::kInteger;
            column.sqlType = "Largeint";
            break;
        case OFTReal:
            column.kind = Kind::kReal;
            if (width > 2 && precision > 0 && width - 2 >= precision && width <= kMaxTextWidth) {
                column.sqlType =
                    "Decimal(" + NumberText(width - 2) + "," + NumberText(precision) + ")";
            } else {
                column.sqlType = "Float";
            }
            break;
        case OFTString:
            column.kind = Kind::kText;
            column.sqlType =
                "Char(" + NumberText(width > 0 && width <= kMaxTextWidth ? width : kMaxTextWidth) +
                ")";
            break;
        case OFTDate:
            column.kind = Kind::kDate;
            column.sqlType = "Date";
            break;
        case OFTDateTime:
            column.kind = Kind::kDateTime;
            column.sqlType = "DateTime";
            break;
        case OFTTime:
            column.kind = Kind::kTime;
            column.sqlType = "Time";
            break;
        default:
            warnings.push_back("the field " + given + " of type " +
                               OGRFieldDefn::GetFieldTypeName(field.GetType()) +
                               " has no column in a dBASE table: its values are not kept");
            return true;
    }
    // Names the table statement cannot take, or that do not fit, are changed.
    std::string name;
    for (char c : FromUtf8(given)) {
        if (c != '[' && c != ']' && static_cast<unsigned char>(c) >= ' ') name += c;
    }
    const std::string trimmed(Trim(name));
    column.name = UniqueName(trimmed.empty() ? "FIELD" : trimmed);
    if (ToUtf8(column.name) != given) {
        warnings.push_back("the field " + given + " is named " + ToUtf8(column.name) +
                           " in the layer's table (dBASE names have at most ten characters)");
    }
    ColumnSpec mapped;
    std::string typeName = column.sqlType.substr(0, column.sqlType.find('('));
    int arguments[2] = {0, 0};
    int count = 0;
    for (std::size_t at = column.sqlType.find('('); at != std::string::npos && count < 2;
         at = column.sqlType.find(',', at + 1)) {
        arguments[count++] = std::atoi(column.sqlType.c_str() + at + 1);
    }
    if (!MapColumnType(typeName, count, arguments, mapped, error)) return false;
    column.width = mapped.length;
    column.decimals = mapped.decimals;
    if (recordLength_ == 0) recordLength_ = 1 + kKeyWidth + kMaxTextWidth;  // flag, key, a label
    if (recordLength_ + mapped.length > kMaxRecordLength || columns_.size() + 2 > kMaxColumns) {
        error = "the field " + given + " does not fit: a dBASE table holds " +
                NumberText(kMaxRecordLength) + " bytes a row at most";
        return false;
    }
    recordLength_ += mapped.length;
    if (column.kind == Kind::kText && EqualsNoCase(column.name, kTextLabelColumn) &&
        labelColumn_ < 0) {
        labelColumn_ = static_cast<int>(columns_.size());
    }
    columns_.push_back(std::move(column));
    return true;
}

std::string TablePlan::Columns(bool labelColumn) const {
    std::string text;
    for (const Column& column : columns_) {
        if (!text.empty()) text += ",";
        text += "\r\n[" + column.name + "] " + column.sqlType;
    }
    if (labelColumn) {
        if (!text.empty()) text += ",";
        text += "\r\n[" + UniqueName(std::string(kTextLabelColumn)) + "] Char(254)";
    }
    return text;
}

std::string TablePlan::Cut(std::string text, Column& column, std::vector<std::string>& warnings) {
    if (text.size() <= static_cast<std::size_t>(column.width)) return text;
    if (!column.warnedCut) {
        warnings.push_back("texts longer than " + NumberText(column.width) +
                           " characters are cut in the column " + ToUtf8(column.name));
        column.warnedCut = true;
    }
    text.resize(static_cast<std::size_t>(column.width));
    return text;
}

std::string TablePlan::LabelValue(const std::string& label, std::vector<std::string>& warnings) {
    if (extraLabel_.name.empty()) {
        extraLabel_.name = UniqueName(std::string(kTextLabelColumn));
        extraLabel_.width = kMaxTextWidth;
    }
    return Cut(FromUtf8(label), extraLabel_, warnings);
}

std::string TablePlan::Value(OGRFeature& feature, Column& column,
                             std::vector<std::string>& warnings) {
    const int i = column.field;
    if (i < 0 || i >= feature.GetFieldCount() || !feature.IsFieldSetAndNotNull(i)) return {};
    auto tooLarge = [&]() {
        if (!column.warnedLarge) {
            warnings.push_back("values too large for the column " + ToUtf8(column.name) +
                               " are left empty");
            column.warnedLarge = true;
        }
        return std::string();
    };
    switch (column.kind) {
        case Kind::kText:
            return Cut(FromUtf8(feature.GetFieldAsString(i)), column, warnings);
        case Kind::kInteger: {
            std::string text = NumberText(feature.GetFieldAsInteger64(i));
            return text.size() > static_cast<std::size_t>(column.width) ? tooLarge() : text;
        }
        case Kind::kReal: {
            const double value = feature.GetFieldAsDouble(i);
            if (!std::isfinite(value)) return tooLarge();
            std::string text = FixedText(value, column.decimals);
            const std::size_t point = text.find('.');
            const std::size_t integer = point == std::string::npos ? text.size() : point;
            const int room =
                column.decimals > 0 ? column.width - column.decimals - 1 : column.width;
            return text.empty() || integer > static_cast<std::size_t>(room) ? tooLarge() : text;
        }
        case Kind::kLogical:
            return feature.GetFieldAsInteger(i) != 0 ? "T" : "F";
        case Kind::kDate:
        case Kind::kDateTime:
        case Kind::kTime: {
            int year = 0, month = 0, day = 0, hour = 0, minute = 0, zone = 0;
            float second = 0.0f;
            if (!feature.GetFieldAsDateTime(i, &year, &month, &day, &hour, &minute, &second,
                                            &zone)) {
                return {};
            }
            if (column.kind == Kind::kTime) {
                const int millis = static_cast<int>(std::lround(second * 1000.0f));
                std::string ms = NumberText(millis % 1000);
                ms.insert(0, 3 - ms.size(), '0');
                return TwoDigits(hour) + TwoDigits(minute) + TwoDigits(millis / 1000) + ms;
            }
            if (column.kind == Kind::kDateTime && (hour != 0 || minute != 0 || second != 0.0f) &&
                !column.warnedTime) {
                warnings.push_back("the column " + ToUtf8(column.name) +
                                   " keeps dates only: times of day are not kept");
                column.warnedTime = true;
            }
            if (year < 1 || year > 9999) return tooLarge();
            std::string y = NumberText(year);
            y.insert(0, 4 - y.size(), '0');
            return y + TwoDigits(month) + TwoDigits(day);
        }
    }
    return {};
}

std::string TablePlan::RowValues(OGRFeature& feature, const std::string& label,
                                 std::vector<std::string>& warnings) {
    std::string row;
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        if (c > 0) row += ',';
        Column& column = columns_[c];
        std::string value = Value(feature, column, warnings);
        if (static_cast<int>(c) == labelColumn_ && value.empty()) {
            value = Cut(FromUtf8(label), column, warnings);
        }
        AppendRowValue(row, value);
    }
    return row;
}

}  // namespace vx
