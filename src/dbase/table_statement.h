#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The one statement the table engine runs, CREATE TABLE [name] ( column list ), and how its
// SQL column types become dBASE fields.
namespace vx {

struct ColumnSpec {
    std::string name;
    char type = 'C';  // dBASE type letter
    std::uint8_t length = 0;
    std::uint8_t decimals = 0;
};

struct CreateTableStatement {
    std::string table;
    std::vector<ColumnSpec> columns;
};

// Parses the statement: keywords in any letter case, names bare or in square brackets, types
// with their sizes. False, with a message in `error`, for anything else.
bool ParseCreateTable(std::string_view sql, CreateTableStatement& statement, std::string& error);

// The dBASE field for one SQL column type, given its name and its size arguments (count is
// 0, 1 or 2). False, with a message, for a type or size it cannot hold.
bool MapColumnType(std::string_view typeName, int argumentCount, const int arguments[2],
                   ColumnSpec& column, std::string& error);

}  // namespace vx
