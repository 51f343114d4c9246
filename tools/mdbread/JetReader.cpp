#include "JetReader.h"

#include "JetText.h"

// glib first: mdbtools.h uses its types without including it in a C++-safe way.
#include <glib.h>

#include <mdbtools.h>

#include <cstring>
#include <set>
#include <sys/stat.h>

namespace jet {

namespace {

constexpr int PageSize = 4096;
constexpr int RowCountOffset = 0x0C;
constexpr unsigned OffsetMask = 0x1FFF;
constexpr unsigned DeletedFlag = 0x8000;
constexpr unsigned OverflowFlag = 0x4000;
constexpr std::uint32_t MemoInline = 0x80000000u;
constexpr std::uint32_t MemoSinglePage = 0x40000000u;
constexpr std::uint32_t MemoLengthMask = 0x3FFFFFFFu;
constexpr int MemoHeaderSize = 12;

unsigned u16(const unsigned char* p)
{
    return p[0] | (p[1] << 8);
}

std::uint32_t u32(const unsigned char* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

std::string lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(g_ascii_tolower(c));
    return s;
}

// Where row `row` of a data page lies; fails for a slot outside the page or overlapping the header.
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

struct Column
{
    std::string name;
    int type = 0;
    int size = 0;
    bool fixed = false;
    int rowColumn = 0;
    unsigned varIndex = 0;
    int fixedOffset = 0;
};

} // namespace

struct Database::Impl
{
    MdbHandle* mdb = nullptr;
    std::uint64_t pageCount = 0;

    ~Impl()
    {
        if (mdb)
            mdb_close(mdb);
    }

    MdbCatalogEntry* findTable(const std::string& name) const
    {
        if (!mdb->catalog)
            return nullptr;
        for (guint i = 0; i < mdb->catalog->len; ++i) {
            auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
            if (entry->object_type == MDB_TABLE && g_ascii_strcasecmp(entry->object_name, name.c_str()) == 0)
                return entry;
        }
        return nullptr;
    }

    // Copies the bytes of one row of another page (a long value or a moved row).
    bool readPageRow(std::uint32_t pageRow, bool longValue, std::uint32_t tablePage, std::string& bytes,
                     unsigned& flags, std::string& error)
    {
        const std::uint32_t pg = pageRow >> 8;
        const unsigned row = pageRow & 0xFF;
        if (pg == 0 || pg >= pageCount) {
            error = "pointer to page " + std::to_string(pg) + " beyond the end of the file";
            return false;
        }
        if (mdb_read_alt_pg(mdb, pg) != PageSize) {
            error = "page " + std::to_string(pg) + " cannot be read";
            return false;
        }
        const unsigned char* page = mdb->alt_pg_buf;
        const bool lval = std::memcmp(page + 4, "LVAL", 4) == 0;
        if (page[0] != MDB_PAGE_DATA || lval != longValue || (!longValue && u32(page + 4) != tablePage)) {
            error = "page " + std::to_string(pg) + " is not the expected " +
                    (longValue ? "long-value page" : "data page");
            return false;
        }
        int start = 0;
        int end = 0;
        if (!rowBounds(page, row, flags, start, end, error)) {
            error = "page " + std::to_string(pg) + ": " + error;
            return false;
        }
        bytes.assign(reinterpret_cast<const char*>(page) + start, std::size_t(end - start));
        return true;
    }

    bool readMemo(const unsigned char* value, int size, std::string& raw, std::string& error)
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
            if (!readPageRow(pointer, true, 0, raw, flags, error))
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
            if (!readPageRow(next, true, 0, part, flags, error))
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

    bool convert(const Column& column, const unsigned char* data, int size, Value& out, std::string& error)
    {
        out.isNull = false;
        switch (column.type) {
        case MDB_TEXT:
            if (column.size > 0 && size > column.size) {
                error = "text is longer than its column";
                return false;
            }
            return decodeText(data, std::size_t(size), out.bytes, error);
        case MDB_MEMO: {
            if (size == 0) {
                out.bytes.clear();
                return true;
            }
            std::string raw;
            if (!readMemo(data, size, raw, error))
                return false;
            return decodeText(reinterpret_cast<const unsigned char*>(raw.data()), raw.size(), out.bytes,
                              error);
        }
        case MDB_BYTE:
        case MDB_INT:
        case MDB_LONGINT: {
            const int width = column.type == MDB_BYTE ? 1 : column.type == MDB_INT ? 2 : 4;
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

    // Takes one row apart: the column count first, the null mask, the variable-column offsets and the
    // end of data at the end.
    bool crackRow(const unsigned char* row, int size, bool hasVar, const std::vector<Column>& wanted,
                  Row& out, std::string& error)
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
            if (!convert(column, row + start, end - start, out[c], error)) {
                error = "column " + column.name + ": " + error;
                return false;
            }
        }
        return true;
    }
};

Database::Database() : m_impl(std::make_unique<Impl>()) {}

Database::~Database() = default;

bool Database::open(const std::string& path, std::string& error)
{
    struct stat st
    {
    };
    if (stat(path.c_str(), &st) != 0) {
        error = "file cannot be found";
        return false;
    }
    if (st.st_size < PageSize || st.st_size % PageSize != 0) {
        error = "file is not a whole number of pages (truncated?)";
        return false;
    }
    m_impl->pageCount = std::uint64_t(st.st_size) / PageSize;
    m_impl->mdb = mdb_open(path.c_str(), MDB_NOFLAGS);
    if (!m_impl->mdb) {
        error = "file is not a Jet database";
        return false;
    }
    if (m_impl->mdb->f->jet_version == MDB_VER_JET3 || m_impl->mdb->fmt->pg_size != PageSize) {
        error = "file is a Jet 3 (Access 97) database, which is not supported";
        return false;
    }
    if (!mdb_read_catalog(m_impl->mdb, MDB_TABLE)) {
        error = "file's catalog cannot be read";
        return false;
    }
    return true;
}

std::vector<std::string> Database::userTables() const
{
    std::vector<std::string> names;
    GPtrArray* catalog = m_impl->mdb ? m_impl->mdb->catalog : nullptr;
    for (guint i = 0; catalog && i < catalog->len; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(catalog, i));
        if (entry->object_type == MDB_TABLE && mdb_is_user_table(entry))
            names.emplace_back(entry->object_name);
    }
    return names;
}

bool Database::columns(const std::string& table, std::vector<ColumnInfo>& out, std::string& error)
{
    out.clear();
    MdbCatalogEntry* entry = m_impl->findTable(table);
    MdbTableDef* def = entry ? mdb_read_table(entry) : nullptr;
    if (!def) {
        error = "table " + table + " is missing";
        return false;
    }
    mdb_read_columns(def);
    for (guint i = 0; i < def->num_cols; ++i) {
        auto* col = static_cast<MdbColumn*>(g_ptr_array_index(def->columns, i));
        out.push_back({col->name, col->col_type});
    }
    mdb_free_tabledef(def);
    return true;
}

bool Database::readTable(const std::string& table, const std::vector<std::string>& columns, TableData& out,
                         std::string& error)
{
    Impl& d = *m_impl;
    MdbCatalogEntry* entry = d.findTable(table);
    MdbTableDef* def = entry ? mdb_read_table(entry) : nullptr;
    if (!def) {
        error = "table " + table + " is missing";
        return false;
    }
    std::unique_ptr<MdbTableDef, void (*)(MdbTableDef*)> guard(def, mdb_free_tabledef);
    if (!mdb_read_columns(def) || def->num_cols == 0) {
        error = "table " + table + ": columns cannot be read";
        return false;
    }
    out = TableData{};
    out.name = entry->object_name;
    out.storedRowCount = def->num_rows;
    std::vector<Column> wanted;
    for (const std::string& name : columns) {
        const MdbColumn* found = nullptr;
        for (guint i = 0; i < def->num_cols; ++i) {
            auto* col = static_cast<MdbColumn*>(g_ptr_array_index(def->columns, i));
            if (lower(col->name) == lower(name))
                found = col;
        }
        if (!found) {
            error = "table " + table + " has no column " + name;
            return false;
        }
        const int type = found->col_type;
        if (type != MDB_TEXT && type != MDB_MEMO && type != MDB_BYTE && type != MDB_INT &&
            type != MDB_LONGINT) {
            error = "table " + table + ", column " + name + ": unsupported type " + std::to_string(type);
            return false;
        }
        // libmdb's col_num is the column's number counting deleted columns: its bit in the null mask.
        wanted.push_back({found->name, type, found->col_size, found->is_fixed != 0, found->col_num,
                          found->var_col_num, found->fixed_offset});
        out.columns.emplace_back(found->name);
    }
    const bool hasVar = def->num_var_cols > 0;
    const std::uint32_t tablePage = std::uint32_t(entry->table_pg);
    std::set<guint32> pagesSeen;
    mdb_rewind_table(def);
    while (mdb_read_next_dpg(def)) {
        const guint32 pg = def->cur_phys_pg;
        if (!pagesSeen.insert(pg).second)
            break;
        // libmdb's page buffer is overwritten by nothing below: other pages go through the
        // alternate buffer. Keep a copy anyway, the rows are taken from it.
        const std::string page(reinterpret_cast<const char*>(d.mdb->pg_buf), PageSize);
        const auto* p = reinterpret_cast<const unsigned char*>(page.data());
        if (p[0] != MDB_PAGE_DATA || u32(p + 4) != tablePage)
            continue;
        const unsigned count = u16(p + RowCountOffset);
        for (unsigned r = 0; r < count; ++r) {
            unsigned flags = 0;
            int start = 0;
            int end = 0;
            if (!rowBounds(p, r, flags, start, end, error)) {
                error = "table " + table + ", page " + std::to_string(pg) + ": " + error;
                return false;
            }
            if (flags & DeletedFlag)
                continue;
            std::string moved;
            const unsigned char* row = p + start;
            int size = end - start;
            if (flags & OverflowFlag) {
                // The row moved to another page; this slot holds only where it went.
                unsigned movedFlags = 0;
                error.clear();
                if (size < 4 || !d.readPageRow(u32(row), false, tablePage, moved, movedFlags, error) ||
                    (movedFlags & OverflowFlag)) {
                    error = "table " + table + ": a moved row cannot be found" +
                            (error.empty() ? std::string() : " (" + error + ")");
                    return false;
                }
                row = reinterpret_cast<const unsigned char*>(moved.data());
                size = int(moved.size());
            }
            Row values;
            if (!d.crackRow(row, size, hasVar, wanted, values, error)) {
                error = "table " + table + ", row " + std::to_string(out.rows.size() + 1) + ": " + error;
                return false;
            }
            out.rows.push_back(std::move(values));
        }
    }
    if (out.rows.size() != out.storedRowCount) {
        error = "table " + table + ": " + std::to_string(out.rows.size()) + " rows found, the table says " +
                std::to_string(out.storedRowCount) + " (file damaged or truncated)";
        return false;
    }
    return true;
}

} // namespace jet
