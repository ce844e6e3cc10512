#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dbase/attribute_table.h"
#include "dbase/vx_recordset.h"
#include "platform/file_system.h"
#include "support/test_support.h"

namespace vx::test {

// Rows with a column list as the MIF header gives it, SPATIAL_ID first.
inline AttributeRows WithColumns(std::string columns) {
    AttributeRows rows;
    rows.columnList = std::move(columns);
    return rows;
}

// The table of a layer made as the attribute stage makes it, in `dir`: created from the rows'
// column list under `name`, then filled from the MID text for the objects of `order`; fails
// the test when a step fails. The table's path.
inline std::string MakeLayerTable(const TempDir& dir, const std::string& name, AttributeRows rows,
                                  const std::string& mid, const std::vector<std::int32_t>& order,
                                  int kind = kKindRegion,
                                  const std::vector<std::string>& labels = {}) {
    if (rows.midPath.empty()) rows.midPath = dir / (name + ".mid");
    WriteFile(rows.midPath, mid);
    TableConnection connection;
    EXPECT_TRUE(connection.Open(dir.path()));
    const std::string path = dir / (name + ".dbf");
    std::string error;
    EXPECT_TRUE(CreateAttributeTable(connection, name, path, rows, !labels.empty(), error))
        << error;
    EXPECT_TRUE(FillAttributeRows(path, rows, order, labels, kind));
    return path;
}

// A table made by the table engine from `CREATE TABLE [name] (columns)` in `folder` (made
// when missing), its rows inserted by the table class; fails the test when a step fails.
// The table's path.
inline std::string MakeTable(const std::string& folder, const std::string& name,
                             const std::string& columns, const std::vector<std::string>& rows) {
    TableConnection connection;
    std::string error;
    EXPECT_TRUE(CreateFolder(folder) && connection.Open(folder));
    EXPECT_TRUE(connection.Execute("CREATE TABLE [" + name + "] (" + columns + ")", error))
        << error;
    VXRecordset table;
    table.OpenDBF(connection.TablePath(name));
    for (const std::string& row : rows)
        table.InsertRecord(row);
    table.UpdateFile();
    EXPECT_FALSE(table.WriteFailed());
    return connection.TablePath(name);
}

// The records of a table as the table class holds them, without their flags.
inline std::vector<std::string> Records(const std::string& dbfPath) {
    VXRecordset table;
    table.OpenDBF(dbfPath);
    std::vector<std::string> records;
    for (std::size_t i = 1; i <= table.RecordsHeld(); ++i)
        records.emplace_back(table.RecordData(i));
    EXPECT_EQ(table.RecordCount(), static_cast<std::int32_t>(records.size()));
    return records;
}

}  // namespace vx::test
