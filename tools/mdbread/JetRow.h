#pragma once

#include "JetReader.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The byte layouts of Jet 4 data pages, rows and long values.
namespace jet {

constexpr int PageSize = 4096;
constexpr int RowCountOffset = 0x0C;
constexpr unsigned OffsetMask = 0x1FFF;
constexpr unsigned DeletedFlag = 0x8000;
constexpr unsigned OverflowFlag = 0x4000;

// Column types this reader takes.
constexpr int TypeByte = 0x02;
constexpr int TypeInt = 0x03;
constexpr int TypeLong = 0x04;
constexpr int TypeText = 0x0A;
constexpr int TypeMemo = 0x0C;

inline unsigned u16(const unsigned char* p)
{
    return p[0] | (p[1] << 8);
}

inline std::uint32_t u32(const unsigned char* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

// A column as its table definition describes it.
struct Column
{
    std::string name;
    int type = 0;
    int size = 0;
    bool fixed = false;
    int rowColumn = 0; // its bit in the null mask (deleted columns counted)
    unsigned varIndex = 0;
    int fixedOffset = 0;
};

// Copies one row of another page: a long-value row (an LVAL page) or a moved row (a data page).
using PageRowReader = std::function<bool(std::uint32_t pageRow, bool longValue, std::string& bytes,
                                         unsigned& flags, std::string& error)>;

// Where row `row` of a data page lies, with its flags; fails for a slot outside the page or
// overlapping the page header.
bool rowBounds(const unsigned char* page, unsigned row, unsigned& flags, int& start, int& end,
               std::string& error);

// The bytes of a long value from its 12-byte header: kept in the row, in one LVAL row, or in a chain
// of LVAL rows. The length found must be the length the header gives.
bool readLongValue(const unsigned char* value, int size, const PageRowReader& readPageRow, std::string& raw,
                   std::string& error);

// Takes one row apart: the column count first; the null mask, the variable-column offsets and the end
// of data at the end. Fills one value per wanted column.
bool crackRow(const unsigned char* row, int size, bool hasVar, const std::vector<Column>& wanted,
              const PageRowReader& readPageRow, Row& out, std::string& error);

} // namespace jet
