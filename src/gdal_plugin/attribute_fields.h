#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "dbase/table_engine.h"
#include "model/layer_model.h"

class OGRFeature;
class OGRFeatureDefn;
class OGRFieldDefn;

// A layer's dBASE table as OGR fields, both ways. Texts in tables are Windows-1252, in OGR
// UTF-8.
namespace vx {

// The name of the key column that ties row n of a layer's table to object n.
inline constexpr std::string_view kKeyColumn = "SPATIAL_ID";
// The column in which a MIF import keeps the text of each text object of a point layer.
inline constexpr std::string_view kTextLabelColumn = "TextLabel";

std::string ToUtf8(const std::string& ansi);
// Characters Windows-1252 has no byte for become "?"; GDAL warns of them once.
std::string FromUtf8(const std::string& utf8);

// The table of a layer read whole: its fields, and the row of each object by its number.
class LayerTable {
  public:
    // Reads the table the layer in the context names, from the layer's folder. False, with
    // the reason, when the layer names a table that is missing or damaged; a layer that names
    // none has a table without fields.
    bool Read(const LayerModel& model, const std::string& vxvPath, std::string& reason);

    // Adds the table's fields, with their types and widths, to a layer definition.
    void DefineFields(OGRFeatureDefn& definition) const;
    // Sets the fields of the object with number `number`; its fields stay unset when the
    // table has no row for it.
    void Fill(OGRFeature& feature, std::int64_t number) const;
    // The TextLabel value of the object with that number, in UTF-8; empty for none.
    std::string TextLabel(std::int64_t number) const;

  private:
    const std::vector<std::optional<std::string>>* RowOf(std::int64_t number) const;

    // How a numeric field without decimals reads: as the narrowest integer that holds every
    // value it has, or as a real when none does.
    enum class Whole { kNo, kInt32, kInt64, kReal };
    Whole WholeType(std::size_t field) const;

    std::vector<TableField> fields_;
    std::vector<Whole> whole_;
    std::vector<std::vector<std::optional<std::string>>> rows_;
    std::unordered_map<std::int64_t, std::size_t> byKey_;
    int keyField_ = -1;
    int labelField_ = -1;
};

// How the fields of features become the columns and rows of a layer's table.
class TablePlan {
  public:
    // Plans a column for an OGR field: its dBASE name (ten characters, unique) and type. A
    // field of a type no column can hold gets none. Warnings say what is changed or given up.
    // False, with the error, when the table would grow past what a dBASE table can hold.
    bool AddField(const OGRFieldDefn& field, std::vector<std::string>& warnings,
                  std::string& error);
    // Whether a text field of the source is named TextLabel, so that the texts of labels go
    // there rather than into a column of their own.
    bool LabelInField() const { return labelColumn_ >= 0; }
    bool HasColumns() const { return !columns_.empty(); }

    // The column definitions as CREATE TABLE takes them after the key column's; with
    // `labelColumn` a last TextLabel column for the texts of labels.
    std::string Columns(bool labelColumn) const;
    // One row's values for the columns, comma-separated, from the feature's fields (field i
    // of the feature is field i of the definition the plan was made from); `label` goes into
    // the source's TextLabel field where that is empty. A value a column cannot hold is left
    // empty and warned of once.
    std::string RowValues(OGRFeature& feature, const std::string& label,
                          std::vector<std::string>& warnings);
    // The value of the label column: `label` in Windows-1252, cut (and warned of) when longer
    // than the column.
    std::string LabelValue(const std::string& label, std::vector<std::string>& warnings);
    // The source's own key column, whose values the layer replaces by its object numbers;
    // -1 when the source has none.
    int SourceKeyField() const { return sourceKey_; }

  private:
    enum class Kind { kText, kInteger, kReal, kLogical, kDate, kDateTime, kTime };
    struct Column {
        int field = -1;  // the OGR field
        std::string name;
        Kind kind = Kind::kText;
        std::string sqlType;
        int width = 0;
        int decimals = 0;
        bool warnedCut = false;
        bool warnedLarge = false;
        bool warnedTime = false;
    };
    std::string Value(OGRFeature& feature, Column& column, std::vector<std::string>& warnings);
    std::string Cut(std::string text, Column& column, std::vector<std::string>& warnings);
    std::string UniqueName(const std::string& wanted) const;

    std::vector<Column> columns_;
    int fieldCount_ = 0;
    int sourceKey_ = -1;
    int labelColumn_ = -1;
    Column extraLabel_;
    std::size_t recordLength_ = 0;
};

}  // namespace vx
