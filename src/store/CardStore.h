#pragma once

#include "card/CardRecord.h"
#include "store/Module1.h"
#include "store/Outcome.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

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

// Breaks card operations on purpose. Defined only by the tests (tests/core/CardStoreSeam.h): the
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
    // What a test may break through the seam; the program leaves every one off.
    struct Faults
    {
        bool noTransaction = false;      // writes run without a transaction
        QString failBetweenRows;         // when set, each write fails with this text between its rows
        bool otherSqliteLibrary = false; // the list scan takes the driver for another SQLite library
    };

    bool scanWithLibrary(const QByteArray& sql, const QStringList& values,
                         const std::function<void(const card::ListEntry&)>& visit, QString* error);
    bool begin(QString* error);
    bool insertListEntry(const card::ListEntry& entry, QString* error);
    Outcome removeRows(const QString& name);
    Outcome commit();
    Outcome fail(const QString& error);

    Module1& m_db;
    Recovery* m_recovery;
    Faults m_faults;
};

} // namespace store
