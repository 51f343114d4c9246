#pragma once

#include "card/CardRecord.h"
#include "store/Module1.h"
#include "store/Outcome.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace store {

class Recovery;

struct LoadResult
{
    bool ok = false;    // the store could be read
    bool found = false; // a card row of that name exists
    card::CardRecord record;
    QString error;
};

struct ListResult
{
    bool ok = false;
    QList<card::ListEntry> entries; // in name order
    QString error;
};

// Which rows of lstt a list scan reads. Rows always come in the store's own order of Nam.
struct ListScan
{
    bool fromStart = true; // false: only the rows after the name `after`
    QString after;
    int limit = -1;         // at most this many rows; -1 for all
    int skip = 0;           // rows passed over before the first one given
    QStringList names;      // only the rows of these names; empty for no such restriction
    bool namesOnly = false; // read Nam alone, the other values stay empty
};

// The steps a card write takes on the store's connection, and which SQLite library that connection
// runs on. The program uses these as they are; the test seam (tests/core/CardStoreSeam.h) puts in one
// that fails as a broken connection would.
class CardConnection
{
public:
    virtual ~CardConnection() = default;
    virtual bool begin(Module1& db, QString* error) { return db.beginWrite(error); }
    virtual bool commit(Module1& db, QString* error) { return db.commit(error); }
    virtual void rollback(Module1& db) { db.rollback(); }
    // Between the two rows of one write, where a connection lost on the way fails it.
    virtual bool betweenRows(QString* /*error*/) { return true; }
    // Whether the driver runs on the very SQLite library this program links.
    virtual bool onOwnSqliteLibrary(const QSqlDatabase& db);
};

// Reaches the connection of a card store. Defined only by the tests (tests/core/CardStoreSeam.h): the
// program never builds one.
struct CardStoreSeam;

// The card operations. Each opens the store, works in one transaction where it writes, and closes
// the store again. Names are compared as exact values through bound parameters.
class CardStore
{
public:
    // With a recovery, the first change of a day is preceded by a backup, and a deleted card is kept.
    explicit CardStore(Module1& db, Recovery* recovery = nullptr) : m_db(db), m_recovery(recovery) {}

    LoadResult load(const QString& name);
    Outcome add(const card::Sheet& sheet);
    Outcome save(const QString& selectedName, const card::Sheet& sheet);
    Outcome remove(const QString& name);
    // Puts the sheet in place of the stored card of its name, in one transaction: the stored card is
    // first kept among the deleted cards (so "恢复…" brings it back); where it cannot be kept, or
    // without a recovery, nothing is changed. With no stored card of that name it is an add.
    Outcome replace(const card::Sheet& sheet);
    ListResult list();
    // The same rows in the same order, each handed to visit as it is read, without a list of them
    // all. After a failure some rows may have been handed over already; error says why.
    bool scanList(const std::function<void(const card::ListEntry&)>& visit, QString* error)
    {
        return scanList(ListScan{}, visit, error);
    }
    // Part of the list, as the scan says.
    bool scanList(const ListScan& scan, const std::function<void(const card::ListEntry&)>& visit,
                  QString* error);

    // Whether the list may also be read through connections of the program's own SQLite library,
    // beside the driver's: only where the driver runs on that same library.
    bool canScanAlone();
    // Part of the list, read through a read-only connection of its own: any thread may call it,
    // only where canScanAlone() said so.
    static bool scanAlone(const QString& storePath, const ListScan& scan,
                          const std::function<void(const card::ListEntry&)>& visit, QString* error);

    Module1& database() { return m_db; }

private:
    friend struct CardStoreSeam;

    bool scanWithLibrary(const QByteArray& sql, const QStringList& values,
                         const std::function<void(const card::ListEntry&)>& visit, QString* error);
    bool begin(QString* error);
    bool insertListEntry(const card::ListEntry& entry, QString* error);
    // Both rows of a new card, inside the transaction begun.
    bool insertRows(const card::CardRecord& record, const card::ListEntry& entry, QString* error);
    Outcome removeRows(const QString& name);
    Outcome commit();
    Outcome fail(const QString& error);

    Module1& m_db;
    Recovery* m_recovery;
    std::shared_ptr<CardConnection> m_connection = std::make_shared<CardConnection>();
};

} // namespace store
