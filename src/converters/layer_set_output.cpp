#include "converters/layer_set_output.h"

#include "dbase/attribute_table.h"
#include "dbase/table_engine.h"
#include "dbase/vx_recordset.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/strings.h"
#include "vxv/layer_writer.h"

namespace vx {

namespace {

constexpr std::string_view kVxvExtension = ".vxv";

const char* SuffixOf(int kind) {
    switch (kind) {
        case kKindRegion:
            return "_rg";
        case kKindLine:
            return "_ln";
        default:
            return "_pt";
    }
}

}  // namespace

bool LayerFilesFor(const std::string& target, int kind, bool suffixed, LayerFiles& files) {
    const std::string name = NameOf(target);
    if (name.size() <= kVxvExtension.size() || !EndsWithNoCase(name, kVxvExtension)) return false;
    // Only the extension at the end is replaced: a name such as "a.vxv.vxv" must not have
    // its inner ".vxv" rewritten as well.
    const std::string stem = target.substr(0, target.size() - kVxvExtension.size());
    const std::string base = suffixed ? stem + SuffixOf(kind) : stem;
    files.vxv = suffixed ? base + ".vxv" : target;
    files.vxs = base + ".vxs";
    files.dbf = base + ".dbf";
    return true;
}

std::vector<std::string> LayerSetFiles(const std::string& target) {
    std::vector<std::string> paths;
    LayerFiles files;
    if (!LayerFilesFor(target, kKindPoint, false, files)) return paths;
    paths = {files.vxv, files.vxs, files.dbf};
    for (int kind : {kKindRegion, kKindLine, kKindPoint}) {
        LayerFilesFor(target, kind, true, files);
        paths.insert(paths.end(), {files.vxv, files.vxs, files.dbf});
    }
    return paths;
}

bool WriteModelLayer(LayerModel& model, int kind, std::int32_t count, const LayerFiles& files,
                     std::string& error) {
    if (!ComputeLayerBounds(model, kind, count)) {
        error = "an object without coordinates";
        return false;
    }
    if (kind == kKindRegion) CheckRegionHoles(model, count);
    ApplySphereRadiusRule(model.Layer);
    return WriteLayer(model, kind, count, files.vxv, files.vxs, error);
}

void NameLayerTable(LayerModel& model, const LayerFiles& files) {
    const std::string name = NameOf(files.dbf);
    model.TableNames = {name};
    model.TableNameLengths = {static_cast<std::int32_t>(name.size())};
}

bool WriteLayerTable(const std::string& dbfPath, const std::string& columns, std::int64_t rows,
                     const std::function<std::string(std::int64_t)>& rowValues,
                     std::string& error) {
    const std::string folder = FolderOf(dbfPath);
    const std::string fileName = NameOf(dbfPath);
    const std::string table = fileName.substr(0, fileName.size() - 4);
    TableConnection connection;
    if (!connection.Open(folder.empty() ? "." : folder)) {
        error = "no folder " + folder;
        return false;
    }
    // The engine refuses to create a table that is there; this one is being replaced.
    for (std::string old = connection.TablePath(table); !old.empty();
         old = connection.TablePath(table)) {
        if (!DeleteFile(old)) {
            error = "cannot replace " + old;
            return false;
        }
    }
    std::string sql = "CREATE TABLE [" + table + "]\r\n(\r\nSPATIAL_ID Decimal(20, 0)";
    if (!columns.empty()) sql += "," + columns;
    sql += "\r\n)";
    if (!connection.Execute(sql, error)) return false;
    const std::string path = connection.TablePath(table);

    VXRecordset recordset;
    recordset.OpenDBF(path);
    if (!recordset.HasTable()) {
        error = "cannot open the new table " + path;
        return false;
    }
    recordset.ResizeRecords(kAttributeFlushRows);
    std::int32_t pending = 0;
    std::string row;
    for (std::int64_t n = 1; n <= rows; ++n) {
        row = std::to_string(n);
        const std::string values = rowValues(n);
        if (!values.empty()) row += "," + values;
        recordset.InsertRecordEX(row);
        if (++pending == kAttributeFlushRows) {
            recordset.UpdateFileEx(path);
            recordset.ResizeRecords(kAttributeFlushRows);
            pending = 0;
        }
    }
    recordset.UpdateFileEx(path);
    if (recordset.WriteFailed()) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

void RemoveFiles(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        if (FileExists(path)) DeleteFile(path);
    }
}

}  // namespace vx
