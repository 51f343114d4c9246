#include "JetReader.h"

#include "JetRow.h"

// glib.h before mdbtools.h, which would otherwise include it inside an extern "C" block.
#include <glib.h>

#include <mdbtools.h>

#include <cstring>
#include <set>
#include <sys/stat.h>

namespace jet {

namespace {

std::string lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(g_ascii_tolower(c));
    return s;
}

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
                         std::string& error, std::uint64_t maxValueBytes)
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
    const PageRowReader reader = [&d](std::uint32_t pageRow, bool longValue, std::string& bytes,
                                      unsigned& flags, std::string& why) {
        return d.readPageRow(pageRow, longValue, 0, bytes, flags, why);
    };
    const std::uint32_t tablePage = std::uint32_t(entry->table_pg);
    std::set<guint32> pagesSeen;
    std::uint64_t valueBytes = 0;
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
            if (!crackRow(row, size, hasVar, wanted, reader, values, error)) {
                error = "table " + table + ", row " + std::to_string(out.rows.size() + 1) + ": " + error;
                return false;
            }
            for (const Value& value : values)
                valueBytes += value.bytes.size();
            if (valueBytes > maxValueBytes) {
                error = "table " + table + ": the values read exceed " + std::to_string(maxValueBytes) +
                        " bytes, more than the file can hold (rows share their long values?)";
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
