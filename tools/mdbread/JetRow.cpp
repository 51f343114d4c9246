#include "JetRow.h"

#include "JetText.h"

#include <set>

namespace jet {

namespace {

constexpr std::uint32_t MemoInline = 0x80000000u;
constexpr std::uint32_t MemoSinglePage = 0x40000000u;
constexpr std::uint32_t MemoLengthMask = 0x3FFFFFFFu;
constexpr int MemoHeaderSize = 12;

bool convert(const Column& column, const unsigned char* data, int size, const PageRowReader& readPageRow,
             Value& out, std::string& error)
{
    out.isNull = false;
    switch (column.type) {
    case TypeText:
        if (column.size > 0 && size > column.size) {
            error = "text is longer than its column";
            return false;
        }
        return decodeText(data, std::size_t(size), out.bytes, error);
    case TypeMemo: {
        if (size == 0) {
            out.bytes.clear();
            return true;
        }
        std::string raw;
        if (!readLongValue(data, size, readPageRow, raw, error))
            return false;
        return decodeText(reinterpret_cast<const unsigned char*>(raw.data()), raw.size(), out.bytes, error);
    }
    case TypeByte:
    case TypeInt:
    case TypeLong: {
        const int width = column.type == TypeByte ? 1 : column.type == TypeInt ? 2 : 4;
        if (size != width) {
            error = "integer has the wrong size";
            return false;
        }
        long long v = width == 1   ? data[0]
                      : width == 2 ? static_cast<std::int16_t>(u16(data))
                                   : static_cast<std::int32_t>(u32(data));
        out.bytes = std::to_string(v);
        return true;
    }
    default:
        error = "unsupported column type";
        return false;
    }
}

} // namespace

bool rowBounds(const unsigned char* page, unsigned row, unsigned& flags, int& start, int& end,
               std::string& error)
{
    const unsigned count = u16(page + RowCountOffset);
    if (row >= count) {
        error = "row " + std::to_string(row) + " is not on its page";
        return false;
    }
    const int headerEnd = RowCountOffset + 2 + 2 * int(count);
    if (headerEnd > PageSize) {
        error = "page row table is larger than the page";
        return false;
    }
    const unsigned slot = u16(page + RowCountOffset + 2 + 2 * row);
    flags = slot & ~OffsetMask;
    start = int(slot & OffsetMask);
    end = row == 0 ? PageSize : int(u16(page + RowCountOffset + 2 + 2 * (row - 1)) & OffsetMask);
    if (start < headerEnd || start > end || end > PageSize) {
        error = "row " + std::to_string(row) + " lies outside its page";
        return false;
    }
    return true;
}
bool readLongValue(const unsigned char* value, int size, const PageRowReader& readPageRow, std::string& raw,
                   std::string& error)
{
    if (size < MemoHeaderSize) {
        error = "long value header is cut short";
        return false;
    }
    const std::uint32_t head = u32(value);
    const std::uint32_t length = head & MemoLengthMask;
    const std::uint32_t pointer = u32(value + 4);
    raw.clear();
    if (head & MemoInline) {
        if (std::uint32_t(size - MemoHeaderSize) != length) {
            error = "inline long value holds " + std::to_string(size - MemoHeaderSize) +
                    " bytes, its header says " + std::to_string(length);
            return false;
        }
        raw.assign(reinterpret_cast<const char*>(value) + MemoHeaderSize, length);
        return true;
    }
    if (head & MemoSinglePage) {
        unsigned flags = 0;
        if (!readPageRow(pointer, true, raw, flags, error))
            return false;
        if (flags & DeletedFlag) {
            error = "long value points to a deleted row";
            return false;
        }
        if (raw.size() != length) {
            error = "long value holds " + std::to_string(raw.size()) + " bytes, its header says " +
                    std::to_string(length);
            return false;
        }
        return true;
    }
    if ((head & ~MemoLengthMask) != 0) {
        error = "long value header has unknown flags";
        return false;
    }
    std::set<std::uint32_t> visited;
    std::uint32_t next = pointer;
    while (next != 0) {
        if (!visited.insert(next).second) {
            error = "long value page chain runs in a circle";
            return false;
        }
        std::string part;
        unsigned flags = 0;
        if (!readPageRow(next, true, part, flags, error))
            return false;
        if ((flags & DeletedFlag) || part.size() < 4) {
            error = "long value page chain is broken";
            return false;
        }
        next = u32(reinterpret_cast<const unsigned char*>(part.data()));
        raw.append(part, 4, std::string::npos);
        if (raw.size() > length) {
            error = "long value page chain holds more than its header says";
            return false;
        }
    }
    if (raw.size() != length) {
        error = "long value page chain holds " + std::to_string(raw.size()) + " bytes, its header says " +
                std::to_string(length);
        return false;
    }
    return true;
}

// Takes one row apart: the column count first, the null mask, the variable-column offsets and the
// end of data at the end.
bool crackRow(const unsigned char* row, int size, bool hasVar, const std::vector<Column>& wanted,
              const PageRowReader& readPageRow, Row& out, std::string& error)
{
    if (size < 2) {
        error = "row is cut short";
        return false;
    }
    const int numCols = int(u16(row));
    const int maskSize = (numCols + 7) / 8;
    int dataEnd = size - maskSize;
    std::vector<int> offsets;
    if (hasVar) {
        if (dataEnd - 2 < 2) {
            error = "row is cut short";
            return false;
        }
        const int varCount = int(u16(row + dataEnd - 2));
        const int tableStart = dataEnd - 4 - 2 * varCount;
        if (tableStart < 2) {
            error = "row's variable-column table is larger than the row";
            return false;
        }
        offsets.resize(std::size_t(varCount) + 1);
        for (int i = 0; i <= varCount; ++i)
            offsets[std::size_t(i)] = int(u16(row + dataEnd - 4 - 2 * i));
        for (int i = 0; i <= varCount; ++i) {
            const int o = offsets[std::size_t(i)];
            if (o < 2 || o > tableStart || (i > 0 && o < offsets[std::size_t(i) - 1])) {
                error = "row's variable-column offsets are out of order";
                return false;
            }
        }
        dataEnd = offsets.back();
    }
    if (maskSize > size - 2) {
        error = "row's null mask is larger than the row";
        return false;
    }
    const unsigned char* mask = row + size - maskSize;
    out.assign(wanted.size(), Value{});
    for (std::size_t c = 0; c < wanted.size(); ++c) {
        const Column& column = wanted[c];
        if (column.rowColumn >= numCols || !(mask[column.rowColumn / 8] & (1 << (column.rowColumn % 8))))
            continue; // null
        int start = 0;
        int end = 0;
        if (column.fixed) {
            start = 2 + column.fixedOffset;
            end = start + column.size;
            if (end > dataEnd) {
                error = "fixed column lies outside its row";
                return false;
            }
        } else {
            if (column.varIndex + 1 >= offsets.size())
                continue; // added after this row was written
            start = offsets[column.varIndex];
            end = offsets[column.varIndex + 1];
        }
        if (!convert(column, row + start, end - start, readPageRow, out[c], error)) {
            error = "column " + column.name + ": " + error;
            return false;
        }
    }
    return true;
}

} // namespace jet
