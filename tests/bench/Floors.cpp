#include "Floors.h"

#include "list/ListLines.h"

#include <QCollator>
#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QVariant>

#include <sqlite3.h>

#include <algorithm>
#include <climits>
#include <vector>

namespace bench {

namespace {

QString columnText(sqlite3_stmt* statement, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return text ? QString::fromUtf8(text, sqlite3_column_bytes(statement, column)) : QString();
}

bool bindText(sqlite3_stmt* statement, int index, const QString& value)
{
    const QString text = value.isNull() ? QStringLiteral("") : value;
    return sqlite3_bind_text16(statement, index, text.utf16(), static_cast<int>(text.size() * 2),
                               SQLITE_TRANSIENT) == SQLITE_OK;
}

bool exec(sqlite3* db, const char* sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

} // namespace

int bareListRead(const QString& storePath, const QString& mode)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(storePath.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return -1;
    }
    sqlite3_stmt* statement = nullptr;
    // The lines in name order by the zh_CN collation: the texts sorted by the collator's keys.
    QCollator collator{QLocale(QLocale::Chinese, QLocale::China)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    std::vector<std::pair<QCollatorSortKey, QString>> lines;
    if (sqlite3_prepare_v2(db, "SELECT Nam, lv, race, tra, cmp FROM lstt", -1, &statement, nullptr) ==
        SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            const card::ListEntry entry{columnText(statement, 0), columnText(statement, 1),
                                        columnText(statement, 2), columnText(statement, 3),
                                        columnText(statement, 4)};
            lines.emplace_back(collator.sortKey(entry.nam), list::entryText(mode, entry));
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    std::sort(lines.begin(), lines.end(),
              [](const auto& a, const auto& b) { return a.first.compare(b.first) < 0; });
    return static_cast<int>(lines.size());
}

int bareRosterRead(const QString& storePath, int column)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(storePath.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return -1;
    }
    QCollator collator{QLocale(QLocale::Chinese, QLocale::China)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    std::vector<card::ListEntry> rows;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT Nam, lv, race, tra, cmp FROM lstt", -1, &statement, nullptr) ==
        SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW)
            rows.push_back({columnText(statement, 0), columnText(statement, 1), columnText(statement, 2),
                            columnText(statement, 3), columnText(statement, 4)});
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    // Levels by value, the rows without a number after them; texts by their collation keys.
    struct Keyed
    {
        int level;
        QCollatorSortKey text;
        size_t row;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(rows.size());
    const QCollatorSortKey none = collator.sortKey(QString()); // levels need no text key
    for (size_t i = 0; i < rows.size(); ++i) {
        const card::ListEntry& e = rows[i];
        bool number = false;
        const int level = column == 1 ? e.lv.toInt(&number) : 0;
        keyed.push_back({number ? level : INT_MAX,
                         column == 1 ? none : collator.sortKey(column == 2 ? e.race : e.nam), i});
    }
    std::sort(keyed.begin(), keyed.end(), [column](const Keyed& a, const Keyed& b) {
        return column == 1 ? a.level < b.level : a.text.compare(b.text) < 0;
    });
    return static_cast<int>(keyed.size());
}

BareWriter::BareWriter(const QString& storePath)
{
    if (sqlite3_open_v2(storePath.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
        !exec(m_db, "PRAGMA synchronous=EXTRA")) {
        sqlite3_close(m_db);
        m_db = nullptr;
    }
}

BareWriter::~BareWriter()
{
    sqlite3_close(m_db);
}

bool BareWriter::writeBoth(const card::CardRecord& record, const card::ListEntry& entry)
{
    if (!m_db)
        return false;
    sqlite3_stmt* cardRow = nullptr;
    sqlite3_stmt* listRow = nullptr;
    bool ok = exec(m_db, "BEGIN IMMEDIATE");
    ok = ok &&
         sqlite3_prepare_v2(m_db,
                            "UPDATE card SET Info = ?, Chk = ?, ZhongZu = ?, ZhuanChang = ?, TeZheng = ?,"
                            " Lang = ?, YiShi = ?, QiTa = ?, WuPin = ?, GeXing = ?, WaiMao = ?,"
                            " MengYou = ?, BeiJing = ?, Blog = ? WHERE Nae = ?",
                            -1, &cardRow, nullptr) == SQLITE_OK;
    ok = ok && bindText(cardRow, 1, record.info) && bindText(cardRow, 2, record.chk);
    for (int c = 0; ok && c < card::NoteColumnCount; ++c)
        ok = bindText(cardRow, 3 + c, record.notes[c]);
    ok = ok && bindText(cardRow, 15, record.nae) && sqlite3_step(cardRow) == SQLITE_DONE &&
         sqlite3_changes(m_db) == 1;
    ok = ok && sqlite3_prepare_v2(m_db, "UPDATE lstt SET lv = ?, race = ?, tra = ?, cmp = ? WHERE Nam = ?",
                                  -1, &listRow, nullptr) == SQLITE_OK;
    ok = ok && bindText(listRow, 1, entry.lv) && bindText(listRow, 2, entry.race) &&
         bindText(listRow, 3, entry.tra) && bindText(listRow, 4, entry.cmp) &&
         bindText(listRow, 5, entry.nam) && sqlite3_step(listRow) == SQLITE_DONE &&
         sqlite3_changes(m_db) == 1;
    sqlite3_finalize(cardRow);
    sqlite3_finalize(listRow);
    ok = ok && exec(m_db, "COMMIT");
    if (!ok)
        exec(m_db, "ROLLBACK");
    return ok;
}

namespace {

// One client-side record set: every row of the table with every column, and the row ids to write back.
struct ClientTable
{
    QList<qint64> rowIds;
    QList<QList<QVariant>> rows;
};

ClientTable openWholeTable(const QSqlDatabase& db, const QString& table)
{
    ClientTable t;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT rowid, * FROM ") + table))
        return t;
    const int columns = q.record().count();
    while (q.next()) {
        t.rowIds.append(q.value(0).toLongLong());
        QList<QVariant> row;
        row.reserve(columns - 1);
        for (int c = 1; c < columns; ++c)
            row.append(q.value(c));
        t.rows.append(std::move(row));
    }
    return t;
}

// The "filter": the first row whose name column equals the name, found by looking at every row.
qsizetype findRow(const ClientTable& t, const QString& name)
{
    for (qsizetype r = 0; r < t.rows.size(); ++r) {
        if (t.rows[r].at(0).toString() == name)
            return r;
    }
    return -1;
}

template <typename Write> bool withConnection(const QString& storePath, Write write)
{
    const QString connection = QStringLiteral("bench-whole-table");
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(storePath);
        if (db.open()) {
            QSqlQuery pragma(db);
            pragma.exec(QStringLiteral("PRAGMA synchronous=EXTRA"));
            ok = write(db);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return ok;
}

} // namespace

bool wholeTableSave(const QString& storePath, const card::CardRecord& record, const card::ListEntry& entry)
{
    const bool cardWritten = withConnection(storePath, [&](const QSqlDatabase& db) {
        const ClientTable t = openWholeTable(db, QStringLiteral("card"));
        const qsizetype row = findRow(t, record.nae);
        if (row < 0)
            return false;
        QSqlQuery q(db);
        q.prepare(
            QStringLiteral("UPDATE card SET Info = ?, Chk = ?, ZhongZu = ?, ZhuanChang = ?, TeZheng = ?,"
                           " Lang = ?, YiShi = ?, QiTa = ?, WuPin = ?, GeXing = ?, WaiMao = ?,"
                           " MengYou = ?, BeiJing = ?, Blog = ? WHERE rowid = ?"));
        q.addBindValue(record.info);
        q.addBindValue(record.chk);
        for (const QString& note : record.notes)
            q.addBindValue(note);
        q.addBindValue(t.rowIds[row]);
        return q.exec() && q.numRowsAffected() == 1;
    });
    const bool listWritten = withConnection(storePath, [&](const QSqlDatabase& db) {
        const ClientTable t = openWholeTable(db, QStringLiteral("lstt"));
        const qsizetype row = findRow(t, entry.nam);
        if (row < 0)
            return false;
        QSqlQuery q(db);
        q.prepare(QStringLiteral("UPDATE lstt SET lv = ?, race = ?, tra = ?, cmp = ? WHERE rowid = ?"));
        q.addBindValue(entry.lv);
        q.addBindValue(entry.race);
        q.addBindValue(entry.tra);
        q.addBindValue(entry.cmp);
        q.addBindValue(t.rowIds[row]);
        return q.exec() && q.numRowsAffected() == 1;
    });
    return cardWritten && listWritten;
}

} // namespace bench
