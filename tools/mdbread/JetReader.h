#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Reads whole tables of a Jet 4 file value by value. libmdb opens the file (undoing any page
// encryption), reads the catalog, the table definitions and the usage maps; the rows, the long
// values and the text are taken apart here from the raw page bytes, with every length and pointer
// checked, so that a value comes out complete and exact or the read fails with a reason.
namespace jet {

struct Value
{
    bool isNull = true;
    std::string bytes; // UTF-8 for text, decimal digits for integers
};

using Row = std::vector<Value>;

struct ColumnInfo
{
    std::string name;
    int type = 0; // the Jet column type (0x0A text, 0x0C memo, ...)
};

struct TableData
{
    std::string name;                 // as stored in the catalog
    std::vector<std::string> columns; // as stored in the table definition
    std::uint64_t storedRowCount = 0; // the row count kept in the table definition
    std::vector<Row> rows;
};

class Database
{
public:
    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    bool open(const std::string& path, std::string& error);

    // Names of the tables that are not system tables.
    std::vector<std::string> userTables() const;
    bool columns(const std::string& table, std::vector<ColumnInfo>& out, std::string& error);

    // Reads the listed columns (names compared without regard to letter case) of every row. Fails
    // when the table or a column is missing, a column has a type other than text, memo or an
    // integer, a value cannot be read completely, or the rows found differ from the stored count;
    // also once the values read exceed maxValueBytes (rows that share one long value could otherwise
    // make a small file fill the memory).
    bool readTable(const std::string& table, const std::vector<std::string>& columns, TableData& out,
                   std::string& error, std::uint64_t maxValueBytes = UINT64_MAX);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace jet
