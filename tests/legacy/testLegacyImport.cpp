// Importing an old Access (Jet 4) store: written by our own fixture writer, read through the reader
// helper, checked value by value in the new store; damaged files and failing readers change nothing.
#include "LegacyFixture.h"
#include "store/CardStore.h"
#include "store/Module1.h"
#include "store/legacy/LegacyImport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

using legacy::contents;
using legacy::folderEntries;
using legacy::Reader;
using legacy::writeFixture;

namespace {

QString value(const QJsonValue& v)
{
    if (v.isNull())
        return QString();
    const QString s = v.toString();
    return s.isNull() ? QStringLiteral("") : s;
}

// Rows of one table of the new store, each column by name, NULL as a null QString.
QList<QMap<QString, QString>> storeRows(const QString& path, const QString& table)
{
    QList<QMap<QString, QString>> rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery q(db);
            q.exec(QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" ORDER BY rowid"));
            while (q.next()) {
                QMap<QString, QString> row;
                for (int c = 0; c < q.record().count(); ++c) {
                    const QVariant v = q.value(c);
                    row.insert(q.record().fieldName(c),
                               v.isNull() ? QString()
                                          : (v.toString().isNull() ? QStringLiteral("") : v.toString()));
                }
                rows << row;
            }
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    return rows;
}

QMap<QString, QMap<QString, QString>> byName(const QList<QMap<QString, QString>>& rows, const QString& key)
{
    QMap<QString, QMap<QString, QString>> map;
    for (const auto& row : rows)
        map.insert(row.value(key), row);
    return map;
}

bool same(const QString& a, const QString& b)
{
    return a.isNull() == b.isNull() && a == b;
}

QString infoWith(const QMap<int, QString>& fields)
{
    QStringList values;
    for (int f = 1; f <= 288; ++f) {
        if (f != 25)
            values << fields.value(f);
    }
    return values.join(QLatin1Char('@'));
}

} // namespace

class TestLegacyImport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void importsEveryValue_data();
    void importsEveryValue();
    void refusesDamagedFiles_data();
    void refusesDamagedFiles();
    void survivesFailingReaders_data();
    void survivesFailingReaders();
    void capsTheReadersOutput_data();
    void capsTheReadersOutput();
};

void TestLegacyImport::initTestCase()
{
    QVERIFY(QFileInfo(Reader).isExecutable());
}

void TestLegacyImport::importsEveryValue_data()
{
    QTest::addColumn<QString>("variant");
    QTest::newRow("plain pages") << QStringLiteral("full");
    QTest::newRow("encrypted pages") << QStringLiteral("encrypted");
}

void TestLegacyImport::importsEveryValue()
{
    QFETCH(QString, variant);
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("Sav.qlk"));
    QJsonObject report;
    QVERIFY(writeFixture(variant, store, &report));
    const QByteArray original = contents(store);
    QCOMPARE(store::inspectStoreFile(store).kind, store::StoreFileKind::Jet);

    // What the fixture holds: the three storage forms of long text, both text forms, many lstt pages.
    const QJsonObject forms = report[QStringLiteral("memoForms")].toObject();
    QVERIFY(forms[QStringLiteral("inline")].toInt() > 0 && forms[QStringLiteral("single")].toInt() > 0 &&
            forms[QStringLiteral("chain")].toInt() > 0);
    QVERIFY(report[QStringLiteral("compressedTexts")].toInt() > 0 &&
            report[QStringLiteral("mixedTexts")].toInt() > 0 &&
            report[QStringLiteral("uncompressedTexts")].toInt() > 0);
    QVERIFY(report[QStringLiteral("lsttPages")].toInt() >= 3);
    QCOMPARE(report[QStringLiteral("dbKey")].toInt() != 0, variant == QLatin1String("encrypted"));

    const store::LegacyImportResult result = store::importLegacyStore(store, Reader);
    QVERIFY2(result.status == store::LegacyImportResult::Imported, qPrintable(result.error));
    const QString aside = store + QStringLiteral(".legacy-mdb");
    QCOMPARE(result.legacyPath, aside);
    QCOMPARE(contents(aside), original); // never written to
    QCOMPARE(store::inspectStoreFile(store).kind, store::StoreFileKind::SQLite);
    QCOMPARE(folderEntries(dir.path()),
             QStringList({QStringLiteral("Sav.qlk"), QStringLiteral("Sav.qlk.legacy-mdb")}));

    const QJsonObject tables = report[QStringLiteral("tables")].toObject();
    const QJsonArray fileCards = tables[QStringLiteral("card")].toObject()[QStringLiteral("rows")].toArray();
    const QJsonArray fileLists = tables[QStringLiteral("lstt")].toObject()[QStringLiteral("rows")].toArray();
    const QJsonArray fileSets = tables[QStringLiteral("sets")].toObject()[QStringLiteral("rows")].toArray();
    const auto cards = byName(storeRows(store, QStringLiteral("card")), QStringLiteral("Nae"));
    const auto lists = byName(storeRows(store, QStringLiteral("lstt")), QStringLiteral("Nam"));
    const QList<QMap<QString, QString>> sets = storeRows(store, QStringLiteral("sets"));

    // Every card of the file, every column, exactly; plus one card for each of the two orphan entries.
    QCOMPARE(result.cards, int(fileCards.size()) + 2);
    QCOMPARE(cards.size(), result.cards);
    for (const QJsonValue& v : fileCards) {
        const QJsonObject row = v.toObject();
        const auto stored = cards.value(value(row[QStringLiteral("Nae")]));
        for (auto it = row.begin(); it != row.end(); ++it)
            QVERIFY2(same(stored.value(it.key()), value(it.value())),
                     qPrintable(value(row[QStringLiteral("Nae")]) + QLatin1Char('.') + it.key()));
    }
    const auto ann = cards.value(QStringLiteral("Ann"));
    QCOMPARE(ann.value(QStringLiteral("TeZheng")).size(), 70000);
    QVERIFY(ann.value(QStringLiteral("Lang")).contains(QStringLiteral("😀")));
    QVERIFY(ann.value(QStringLiteral("YiShi")).isNull());
    QVERIFY(!ann.value(QStringLiteral("QiTa")).isNull() && ann.value(QStringLiteral("QiTa")).isEmpty());

    // Entries: one per name; single ones as the file held them, the others rebuilt from the card.
    QCOMPARE(lists.size(), result.cards);
    QSet<QString> special{QStringLiteral("孤卡"), QStringLiteral("Dup")};
    for (const QJsonValue& v : fileLists) {
        const QJsonObject row = v.toObject();
        const QString name = value(row[QStringLiteral("Nam")]);
        if (special.contains(name))
            continue;
        for (auto it = row.begin(); it != row.end(); ++it)
            QVERIFY2(same(lists.value(name).value(it.key()), value(it.value())),
                     qPrintable(name + QLatin1Char('.') + it.key()));
    }
    QVERIFY(!lists.contains(QStringLiteral("Deleted Hero")));
    using Row = QMap<QString, QString>;
    QCOMPARE(lists.value(QStringLiteral("孤卡")), (Row{{QStringLiteral("Nam"), QStringLiteral("孤卡")},
                                                       {QStringLiteral("lv"), QStringLiteral("7")},
                                                       {QStringLiteral("race"), QStringLiteral("Dwarf")},
                                                       {QStringLiteral("tra"), QStringLiteral("Fighter")},
                                                       {QStringLiteral("cmp"), QStringLiteral("Evil")}}));
    QCOMPARE(lists.value(QStringLiteral("Dup")), (Row{{QStringLiteral("Nam"), QStringLiteral("Dup")},
                                                      {QStringLiteral("lv"), QStringLiteral("2")},
                                                      {QStringLiteral("race"), QStringLiteral("Halfling")},
                                                      {QStringLiteral("tra"), QStringLiteral("Rogue")},
                                                      {QStringLiteral("cmp"), QStringLiteral("Neutral")}}));
    // Orphan entries became cards holding their five values, nothing ticked, other values empty.
    const auto orphan = cards.value(QStringLiteral("孤儿条目"));
    QCOMPARE(orphan.value(QStringLiteral("Info")), infoWith({{1, QStringLiteral("Wizard")},
                                                             {2, QStringLiteral("Good")},
                                                             {6, QStringLiteral("5")},
                                                             {8, QStringLiteral("Elf")}}));
    QCOMPARE(orphan.value(QStringLiteral("Chk")), QString(87, QLatin1Char('0')));
    QVERIFY(same(orphan.value(QStringLiteral("Blog")), QStringLiteral("")));
    QCOMPARE(cards.value(QStringLiteral("Orphan Two")).value(QStringLiteral("Info")),
             infoWith({{1, QStringLiteral("Cleric")}}));

    // The settings rows of the file replace the default one.
    QCOMPARE(sets.size(), fileSets.size());
    for (qsizetype i = 0; i < sets.size(); ++i) {
        const QJsonObject row = fileSets[i].toObject();
        QVERIFY(same(sets[i].value(QStringLiteral("Btips")), value(row[QStringLiteral("Btips")])));
        QVERIFY(same(sets[i].value(QStringLiteral("Lng")), value(row[QStringLiteral("Lng")])));
        const QJsonValue magw = row[QStringLiteral("magw")];
        QVERIFY(same(sets[i].value(QStringLiteral("magw")),
                     magw.isNull() ? QString() : QString::number(magw.toInt())));
    }

    // The program's own store routines accept the result and list every card.
    store::Module1 db(store);
    QCOMPARE(db.prepare().status, store::Module1::PrepareStatus::Ready);
    store::CardStore cardStore(db);
    const store::ListResult listed = cardStore.list();
    QVERIFY(listed.ok);
    QCOMPARE(listed.entries.size(), result.cards);
    const store::LoadResult loaded = cardStore.load(QStringLiteral("Ann"));
    QVERIFY(loaded.ok && loaded.found);
    QCOMPARE(loaded.record.notes[2].size(), 70000);

    const QString message = store::legacyImportMessage(result);
    QVERIFY(message.contains(QString::number(result.cards)));
    QVERIFY(message.contains(QDir::toNativeSeparators(aside)));
}

void TestLegacyImport::refusesDamagedFiles_data()
{
    QTest::addColumn<QString>("variant");
    for (const char* v : {"truncated", "truncated-mid", "broken-chain", "chain-loop", "no-table", "no-column",
                          "bad-count", "duplicate-card"})
        QTest::newRow(v) << QString::fromLatin1(v);
}

void TestLegacyImport::refusesDamagedFiles()
{
    QFETCH(QString, variant);
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("Sav.qlk"));
    QJsonObject report;
    QVERIFY(writeFixture(variant, store, &report));
    const QByteArray original = contents(store);

    const store::LegacyImportResult result = store::importLegacyStore(store, Reader);
    QCOMPARE(result.status, store::LegacyImportResult::ReadFailed);
    QVERIFY(!result.error.isEmpty());
    QCOMPARE(result.legacyPath, store);
    QCOMPARE(folderEntries(dir.path()), QStringList{QStringLiteral("Sav.qlk")});
    QCOMPARE(contents(store), original);
    const QString message = store::legacyImportMessage(result);
    QVERIFY(message.contains(result.error) && message.contains(QStringLiteral("没有导入任何角色卡")));
}

void TestLegacyImport::survivesFailingReaders_data()
{
    QTest::addColumn<QString>("script");
    QTest::newRow("hangs") << QStringLiteral("sleep 30\n");
    QTest::newRow("crashes") << QStringLiteral("kill -SEGV $$\n");
    QTest::newRow("fails") << QStringLiteral("echo 'table card is missing' >&2\nexit 1\n");
    QTest::newRow("cut output") << QStringLiteral("\"$REAL\" \"$@\" | head -c 5000\n");
    QTest::newRow("extra output") << QStringLiteral("\"$REAL\" \"$@\"\necho more\n");
    QTest::newRow("no output") << QStringLiteral("exit 0\n");
    QTest::newRow("missing") << QString();
}

void TestLegacyImport::survivesFailingReaders()
{
    QFETCH(QString, script);
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("Sav.qlk"));
    QJsonObject report;
    QVERIFY(writeFixture(QStringLiteral("full"), store, &report));
    const QByteArray original = contents(store);
    QTemporaryDir tools;
    const QString reader = tools.filePath(QStringLiteral("reader.sh"));
    if (!script.isNull()) {
        QFile file(reader);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\nREAL='" + Reader.toUtf8() + "'\n" + script.toUtf8());
        file.close();
        QVERIFY(file.setPermissions(file.permissions() | QFile::ExeOwner));
    }

    const store::LegacyImportResult result = store::importLegacyStore(store, reader, 3000);
    QCOMPARE(result.status, store::LegacyImportResult::ReadFailed);
    QVERIFY(!result.error.isEmpty());
    QCOMPARE(folderEntries(dir.path()), QStringList{QStringLiteral("Sav.qlk")});
    QCOMPARE(contents(store), original);
}

void TestLegacyImport::capsTheReadersOutput_data()
{
    QTest::addColumn<QString>("variant");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("reason");
    // 400 rows that share one 60 KB memo: a 1 MB file that would read as 24 MB. The helper stops.
    QTest::newRow("shared memo") << QStringLiteral("shared-memo") << QString() << QStringLiteral("exceed");
    // A helper that floods: the program stops it.
    QTest::newRow("flooding helper") << QStringLiteral("full")
                                     << QStringLiteral("head -c 200000000 /dev/zero\n")
                                     << QStringLiteral("上限");
}

void TestLegacyImport::capsTheReadersOutput()
{
    QFETCH(QString, variant);
    QFETCH(QString, script);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("Sav.qlk"));
    QJsonObject report;
    QVERIFY(writeFixture(variant, store, &report));
    const QByteArray original = contents(store);
    QTemporaryDir tools;
    QString reader = Reader;
    if (!script.isEmpty()) {
        reader = tools.filePath(QStringLiteral("reader.sh"));
        QFile file(reader);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n" + script.toUtf8());
        file.close();
        QVERIFY(file.setPermissions(file.permissions() | QFile::ExeOwner));
    }
    // The helper's own limit, checked apart from the program's.
    QProcess helper;
    helper.start(Reader, QStringList{store} + store::legacyReaderTableArguments());
    QVERIFY(helper.waitForFinished(60000));
    const QByteArray helperOutput = helper.readAllStandardOutput();
    QVERIFY(helperOutput.size() <= store::legacyOutputCap(original.size()));
    QCOMPARE(helper.exitCode() != 0, variant == QLatin1String("shared-memo"));

    const store::LegacyImportResult result = store::importLegacyStore(store, reader, 60000);
    QCOMPARE(result.status, store::LegacyImportResult::ReadFailed);
    QVERIFY2(result.error.contains(reason), qPrintable(result.error));
    QCOMPARE(folderEntries(dir.path()), QStringList{QStringLiteral("Sav.qlk")});
    QCOMPARE(contents(store), original);
}

QTEST_GUILESS_MAIN(TestLegacyImport)
#include "testLegacyImport.moc"
