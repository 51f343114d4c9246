// A second program on the store file, for the reliability tests. It drives the real card
// operations (or holds the file busy) and reports on stdout, one flushed line per event.
//
//   cardWriter ops <db> <run> <seed> <count|0> [--no-transaction] [--dwell N] [--shared hex,hex..]
//       adds, saves and deletes cards of its own run (and saves the shared cards), forever when the
//       count is 0. Before each operation "B <seq> <add|save|remove> <name in hex> <version>",
//       after it "C <seq> <status>" (0 = done). --dwell burns CPU inside every write, between the
//       card row and the list row, so that a kill often lands there.
//   cardWriter hold <db> <immediate|exclusive|spill> [ms]
//       takes a write transaction, writes, says "holding", and keeps it until a line arrives on
//       stdin (or for ms milliseconds); then rolls back and says "released". "spill" changes every
//       card with a cache of two pages, so that the change reaches the file itself before the commit.
//   cardWriter remove <db> <name in hex>        deletes one card, says "C <status>".
//   cardWriter late <db> <name in hex>
//       opens its connection and reads the list, says "open", and at the next line on stdin adds the
//       card (version 1) on that same connection; says "C <status>".
//   cardWriter restore <db> <backup> <backup> [--by-rename]
//       restores the two backups in turn, forever: "B <seq>" before each, then "C <seq>" when it was
//       done or "F <seq> <why>" when it was not (the store was busy). --by-rename restores as it was once
//       done, beside SQLite (the negative control).
#include "CardStoreSeam.h"
#include "RecoverySeam.h"
#include "ReliabilityKit.h"
#include "store/CardStore.h"

#include <QCoreApplication>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>

#include <cstdio>
#include <iostream>
#include <string>

namespace {

constexpr int MaxNames = 4096; // names per run

void say(const QByteArray& line)
{
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

QString fromHex(const QString& hex)
{
    return QString::fromUtf8(QByteArray::fromHex(hex.toLatin1()));
}

// xorshift, seeded from the command line: the same seed gives the same run of operations.
struct Dice
{
    quint64 s;
    int below(int n)
    {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return n <= 0 ? 0 : static_cast<int>(s % static_cast<quint64>(n));
    }
};

// Temporary triggers live only on this connection; they slow the list-row write down, so that
// the time between the two rows of one card is long.
void installDwell(store::Module1& db, int dwell)
{
    if (dwell <= 0 || !db.OpenDb())
        return;
    QSqlQuery q(db.DbConnection());
    const QString burn = QStringLiteral("SELECT length(hex(randomblob(%1)));").arg(dwell);
    for (const char* event : {"INSERT", "UPDATE", "DELETE"}) {
        q.exec(QStringLiteral("CREATE TEMP TRIGGER dwell_%1 BEFORE %1 ON main.lstt BEGIN %2 END")
                   .arg(QLatin1String(event), burn));
    }
}

int runOps(const QStringList& args)
{
    if (args.size() < 6)
        return 2;
    store::Module1 db(args.at(2));
    store::CardStore cards(db);
    const int run = args.at(3).toInt();
    Dice dice{args.at(4).toULongLong() * 2654435761ULL + 1};
    const int count = args.at(5).toInt();
    int dwell = 0;
    QStringList shared;
    for (int i = 6; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--no-transaction"))
            store::CardStoreSeam::runWithoutTransaction(cards, true);
        else if (args.at(i) == QLatin1String("--dwell") && i + 1 < args.size())
            dwell = args.at(++i).toInt();
        else if (args.at(i) == QLatin1String("--shared") && i + 1 < args.size())
            for (const QString& hex : args.at(++i).split(QLatin1Char(','), Qt::SkipEmptyParts))
                shared << fromHex(hex);
    }

    // What this run owns: its own cards found in the store (the level holds the version).
    QMap<QString, int> mine;
    const store::ListResult listed = cards.list();
    if (!listed.ok) {
        say("list failed: " + listed.error.toUtf8());
        return 1;
    }
    QHash<QString, int> ownNames;
    for (int k = 0; k < MaxNames; ++k)
        ownNames.insert(rel::makeName(run, k), k);
    int nextK = 0;
    for (const card::ListEntry& e : listed.entries) {
        const auto own = ownNames.constFind(e.nam);
        if (own != ownNames.cend()) {
            mine.insert(e.nam, e.lv.toInt());
            nextK = std::max(nextK, own.value() + 1);
        }
    }
    say("ready");

    for (int seq = 0; count == 0 || seq < count; ++seq) {
        const int roll = dice.below(100);
        QString op;
        QString name;
        int version = 0;
        if (!shared.isEmpty() && roll < 25) {
            op = QStringLiteral("save");
            name = shared.at(dice.below(static_cast<int>(shared.size())));
            version = run * 100000 + seq;
        } else if (nextK < MaxNames && (mine.size() < 6 || (roll < 50 && mine.size() < 24))) {
            op = QStringLiteral("add");
            name = rel::makeName(run, nextK++);
        } else if (mine.isEmpty()) {
            continue;
        } else {
            const QStringList names = mine.keys();
            name = names.at(dice.below(static_cast<int>(names.size())));
            op = roll < 85 ? QStringLiteral("save") : QStringLiteral("remove");
            version = mine.value(name) + 1;
        }
        say("B " + QByteArray::number(seq) + ' ' + op.toLatin1() + ' ' + name.toUtf8().toHex() + ' ' +
            QByteArray::number(version));
        installDwell(db, dwell);
        store::Outcome outcome;
        if (op == QLatin1String("add"))
            outcome = cards.add(rel::makeSheet(name, version));
        else if (op == QLatin1String("save"))
            outcome = cards.save(name, rel::makeSheet(name, version));
        else
            outcome = cards.remove(name);
        db.CloseDb();
        say("C " + QByteArray::number(seq) + ' ' + QByteArray::number(static_cast<int>(outcome.status)));
        if (outcome.ok() && !shared.contains(name)) {
            if (op == QLatin1String("remove"))
                mine.remove(name);
            else
                mine.insert(name, version);
        }
    }
    say("end");
    return 0;
}

int hold(const QStringList& args)
{
    if (args.size() < 4)
        return 2;
    int status = 1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder"));
        db.setDatabaseName(args.at(2));
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        QSqlQuery q(db);
        const bool exclusive = args.at(3) == QLatin1String("exclusive");
        const bool spill = args.at(3) == QLatin1String("spill");
        if (db.open() && (!spill || q.exec(QStringLiteral("PRAGMA cache_size=2"))) &&
            q.exec(exclusive ? QStringLiteral("BEGIN EXCLUSIVE") : QStringLiteral("BEGIN IMMEDIATE")) &&
            q.exec(QStringLiteral("UPDATE sets SET Lng = Lng")) &&
            (!spill || q.exec(QStringLiteral("UPDATE card SET Blog = Blog || 'spilt'")))) {
            say("holding");
            if (args.size() > 4) {
                QThread::msleep(args.at(4).toULong());
            } else {
                std::string line;
                std::getline(std::cin, line);
            }
            q.exec(QStringLiteral("ROLLBACK"));
            say("released");
            status = 0;
        } else {
            say("hold failed");
        }
        q.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("holder"));
    return status;
}

int removeOne(const QStringList& args)
{
    if (args.size() < 4)
        return 2;
    store::Module1 db(args.at(2));
    store::CardStore cards(db);
    const store::Outcome outcome = cards.remove(fromHex(args.at(3)));
    say("C " + QByteArray::number(static_cast<int>(outcome.status)));
    return outcome.ok() ? 0 : 1;
}

int late(const QStringList& args)
{
    if (args.size() < 4)
        return 2;
    store::Module1 db(args.at(2));
    store::CardStore cards(db);
    if (!db.OpenDb() || !cards.list().ok) {
        say("open failed");
        return 1;
    }
    say("open");
    std::string line;
    std::getline(std::cin, line);
    const QString name = fromHex(args.at(3));
    const store::Outcome outcome = cards.add(rel::makeSheet(name, 1));
    say("C " + QByteArray::number(static_cast<int>(outcome.status)));
    return outcome.ok() ? 0 : 1;
}

int restoreLoop(const QStringList& args)
{
    if (args.size() < 5)
        return 2;
    store::Recovery recovery(args.at(2));
    const bool byRename = args.contains(QStringLiteral("--by-rename"));
    say("ready");
    for (int seq = 0;; ++seq) {
        say("B " + QByteArray::number(seq));
        const QString& backup = args.at(3 + seq % 2);
        const store::BackupOutcome outcome = byRename ? store::RecoverySeam::restoreByRename(recovery, backup)
                                                      : recovery.backups().restore(backup);
        say((outcome.ok ? "C " : "F ") + QByteArray::number(seq) +
            (outcome.ok ? QByteArray() : " " + outcome.error.toUtf8()));
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString mode = args.value(1);
    if (mode == QLatin1String("ops"))
        return runOps(args);
    if (mode == QLatin1String("hold"))
        return hold(args);
    if (mode == QLatin1String("remove"))
        return removeOne(args);
    if (mode == QLatin1String("late"))
        return late(args);
    if (mode == QLatin1String("restore"))
        return restoreLoop(args);
    say("usage: cardWriter ops|hold|remove|late|restore ...");
    return 2;
}
