// A start of the program without its window, for the import tests: the real start-up routine on a
// store file, reported on stdout one flushed line per event.
//
//   importDriver start <db> <reader> [name in hex]
//       runs the start-up routine ("notice <0|1> <text in hex>" when it has something to say), then
//       adds a card of that name when one is given ("added <status>"), then says "end".
//   importDriver old-order <db> <reader>
//       the import as it used to be done, step by step: the Access file renamed aside, the reader
//       run, an empty store created in its place, the rows written in a second transaction. Only
//       here, to show that the kill loop finds what that order loses.
#include "ReliabilityKit.h"
#include "store/CardStore.h"
#include "store/Schema.h"
#include "store/StartUp.h"
#include "store/legacy/LegacyImport.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <cstdio>

namespace {

void say(const QByteArray& line)
{
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int start(const QStringList& args)
{
    store::Module1 db(args.at(2));
    const store::StartUpNotice notice = store::prepareStoreAtStartUp(db, args.at(3));
    if (!notice.text.isEmpty())
        say("notice " + QByteArray(notice.isError ? "1 " : "0 ") + notice.text.toUtf8().toHex());
    if (args.size() > 4) {
        const QString name = QString::fromUtf8(QByteArray::fromHex(args.at(4).toLatin1()));
        store::CardStore cards(db);
        say("added " + QByteArray::number(int(cards.add(rel::makeSheet(name, 0)).status)));
    }
    say("end");
    return 0;
}

bool writeRowsLater(const QString& path, const store::LegacyTables& t)
{
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("old-order"));
        db.setDatabaseName(path);
        QSqlQuery q(db);
        ok = db.open() && q.exec(QStringLiteral("BEGIN")) && q.exec(QStringLiteral("DELETE FROM sets"));
        const auto insert = [&q, &ok](const store::schema::Table& table, const QVariantList& values) {
            ok = ok && q.prepare(store::schema::insertStatement(table));
            for (const QVariant& v : values)
                q.addBindValue(v);
            ok = ok && q.exec();
        };
        for (const card::CardRecord& c : t.cards) {
            QVariantList values{c.nae, c.info, c.chk};
            for (const QString& note : c.notes)
                values << note;
            insert(store::schema::cardTable(), values);
        }
        for (const card::ListEntry& e : t.lists)
            insert(store::schema::listTable(), {e.nam, e.lv, e.race, e.tra, e.cmp});
        for (const store::SetsRow& s : t.sets)
            insert(store::schema::setsTable(), {s.btips, s.magw, s.lng});
        ok = ok && q.exec(QStringLiteral("COMMIT"));
        q.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("old-order"));
    return ok;
}

int oldOrder(const QStringList& args)
{
    const QString path = args.at(2);
    const QString aside = store::legacyFileName(path);
    store::LegacyTables tables;
    QString error;
    const bool ok = QFile::rename(path, aside) &&
                    store::readLegacyFile(aside, args.at(3), 60000, &tables, &error) &&
                    store::Module1::createStore(path, &error) && writeRowsLater(path, tables);
    say(ok ? QByteArray("end") : QByteArray("failed ") + error.toUtf8().toHex());
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 4 && args.at(1) == QLatin1String("start"))
        return start(args);
    if (args.size() == 4 && args.at(1) == QLatin1String("old-order"))
        return oldOrder(args);
    std::fprintf(stderr, "usage: importDriver start|old-order <db> <reader> [name in hex]\n");
    return 2;
}
