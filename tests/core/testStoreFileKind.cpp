// What is found where the store belongs: a file that is not a usable store is refused and left as
// it was, and a journal without its store is moved aside before a new store is created.
#include "RawDb.h"
#include "StoreProbe.h"
#include "store/CardStore.h"
#include "store/Module1.h"
#include "store/StartUp.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using probe::listing;
using probe::namedSheet;
using probe::readAll;
using probe::writeAll;
using store::Module1;

namespace {

// A real store holding enough rows to span many pages.
bool writeBigStore(const QString& path)
{
    Module1 db(path);
    if (db.prepare().status != Module1::PrepareStatus::Created)
        return false;
    store::CardStore cards(db);
    for (int i = 0; i < 30; ++i) {
        card::Sheet sheet = namedSheet(QStringLiteral("card %1").arg(i));
        sheet.text[300] = QString(3000, QLatin1Char('a' + i % 26));
        if (!cards.add(sheet).ok())
            return false;
    }
    return true;
}

} // namespace

class TestStoreFileKind : public QObject
{
    Q_OBJECT

private slots:
    void refusesUnusableFile_data();
    void refusesUnusableFile();
    void orphanJournalIsMovedAsideBeforeCreation();
};

void TestStoreFileKind::refusesUnusableFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("zero-length") << QStringLiteral("empty");
    QTest::newRow("text file") << QStringLiteral("text");
    QTest::newRow("random bytes") << QStringLiteral("random");
    QTest::newRow("Access file") << QStringLiteral("jet");
    QTest::newRow("header only") << QStringLiteral("header");
    QTest::newRow("cut inside a page") << QStringLiteral("cutInPage");
    QTest::newRow("cut at a page boundary") << QStringLiteral("cutAtPage");
    QTest::newRow("table missing") << QStringLiteral("noTable");
    QTest::newRow("column missing") << QStringLiteral("noColumn");
}

void TestStoreFileKind::refusesUnusableFile()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Sav.qlk"));

    if (kind == QLatin1String("empty")) {
        QVERIFY(writeAll(path, {}));
    } else if (kind == QLatin1String("text")) {
        QVERIFY(writeAll(path, "Ann,3,Elf,Wizard,Good\nBob,1,Dwarf,Fighter,Lawful\n"));
    } else if (kind == QLatin1String("random")) {
        QByteArray bytes;
        quint32 x = 12345;
        for (int i = 0; i < 8192; ++i) {
            x = x * 1103515245u + 12345u;
            bytes.append(static_cast<char>(x >> 24));
        }
        QVERIFY(writeAll(path, bytes));
    } else if (kind == QLatin1String("jet")) {
        QByteArray bytes(4096, '\0');
        bytes.replace(4, 16, QByteArray("Standard Jet DB\0", 16));
        QVERIFY(writeAll(path, bytes));
    } else if (kind == QLatin1String("header")) {
        QVERIFY(writeAll(path, QByteArray("SQLite format 3\0", 16) + QByteArray(40, '\x01')));
    } else if (kind.startsWith(QLatin1String("cut"))) {
        QVERIFY(writeBigStore(path));
        const QByteArray whole = readAll(path);
        const int pageSize = (static_cast<quint8>(whole.at(16)) << 8) | static_cast<quint8>(whole.at(17));
        QVERIFY(whole.size() > 8 * pageSize);
        const int keep = kind == QLatin1String("cutInPage") ? 3 * pageSize + pageSize / 2 : 3 * pageSize;
        QVERIFY(writeAll(path, whole.left(keep)));
    } else {
        const QString blog = kind == QLatin1String("noColumn") ? QString() : QStringLiteral(", Blog TEXT");
        QStringList statements = {
            QStringLiteral("CREATE TABLE card (Nae TEXT, Info TEXT, Chk TEXT, ZhongZu TEXT, ZhuanChang TEXT, "
                           "TeZheng TEXT, Lang TEXT, YiShi TEXT, QiTa TEXT, WuPin TEXT, GeXing TEXT, "
                           "WaiMao TEXT, MengYou TEXT, BeiJing TEXT%1)")
                .arg(blog),
            QStringLiteral("CREATE TABLE lstt (Nam TEXT, lv TEXT, race TEXT, tra TEXT, cmp TEXT)"),
            QStringLiteral("INSERT INTO lstt VALUES ('Ann', '3', 'Elf', 'Wizard', 'Good')")};
        if (kind == QLatin1String("noColumn"))
            statements << QStringLiteral("CREATE TABLE sets (Btips TEXT, magw INTEGER, Lng TEXT)");
        QVERIFY(probe::execute(path, statements));
    }
    const QByteArray before = readAll(path);
    const QStringList files = listing(dir.path());

    Module1 db(path);
    const Module1::Prepared prepared = db.prepare();
    QCOMPARE(prepared.status, Module1::PrepareStatus::Unusable);
    QVERIFY(!db.isUsable());
    QVERIFY2(prepared.error.contains(QLatin1String("Sav.qlk")), qPrintable(prepared.error));
    const QString reason = db.unusableReason();
    QCOMPARE(reason, prepared.error);

    // Every later operation refuses with that reason and never opens the file.
    QString error;
    QVERIFY(!db.OpenDb(&error));
    QCOMPARE(error, reason);
    QVERIFY(!db.isOpen());
    store::CardStore cards(db);
    const store::Outcome added = cards.add(namedSheet(QStringLiteral("Carl")));
    QCOMPARE(added.status, store::OpStatus::Failed);
    QCOMPARE(added.error, reason);
    const store::Outcome saved = cards.save(QStringLiteral("Ann"), namedSheet(QStringLiteral("Ann")));
    QCOMPARE(saved.status, store::OpStatus::Failed);
    QCOMPARE(saved.error, reason);
    const store::Outcome removed = cards.remove(QStringLiteral("Ann"));
    QCOMPARE(removed.status, store::OpStatus::Failed);
    QCOMPARE(removed.error, reason);
    const store::LoadResult loaded = cards.load(QStringLiteral("Ann"));
    QVERIFY(!loaded.ok);
    QVERIFY(!loaded.found);
    QCOMPARE(loaded.error, reason);
    const store::ListResult listed = cards.list();
    QVERIFY(!listed.ok);
    QVERIFY(listed.entries.isEmpty());
    QCOMPARE(listed.error, reason);

    // A second start-up finds the same file and refuses again.
    QCOMPARE(Module1(path).prepare().status, Module1::PrepareStatus::Unusable);

    QVERIFY(readAll(path) == before);
    QCOMPARE(listing(dir.path()), files);
}

void TestStoreFileKind::orphanJournalIsMovedAsideBeforeCreation()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Sav.qlk"));
    const QString journal = path + QStringLiteral("-journal");
    const QByteArray orphan = probe::makeOrphanJournal(dir.path(), journal);
    QVERIFY(!orphan.isEmpty());

    // The whole start-up routine: no Access file, so no reader is needed.
    Module1 db(path);
    const store::StartUpNotice notice = store::prepareStoreAtStartUp(db, QString());
    const QStringList files = listing(dir.path());
    QCOMPARE(files.size(), 2);
    QCOMPARE(files.value(0), QStringLiteral("Sav.qlk"));
    QVERIFY2(files.value(1).startsWith(QStringLiteral("Sav.qlk-journal.orphan-")),
             qPrintable(files.join(' ')));
    QVERIFY(readAll(dir.filePath(files.value(1))) == orphan); // kept, never changed
    QVERIFY(notice.text.contains(QDir::toNativeSeparators(dir.filePath(files.value(1)))));
    QVERIFY(!notice.isError && db.isUsable());
    // The new store is whole and stays so when opened again.
    QCOMPARE(probe::rows(path, QStringLiteral("PRAGMA integrity_check")),
             QList<QStringList>{{QStringLiteral("ok")}});
    QCOMPARE(Module1(path).prepare().status, Module1::PrepareStatus::Ready);
    QCOMPARE(probe::rows(path, QStringLiteral("SELECT Btips FROM sets")),
             QList<QStringList>{{QStringLiteral("XD")}});

    // A journal beside an existing store is that store's own: it stays where SQLite looks for it.
    QVERIFY(writeAll(journal, QByteArray()));
    QCOMPARE(Module1(path).prepare().status, Module1::PrepareStatus::Ready);
    QVERIFY(QFileInfo::exists(journal));
}

QTEST_GUILESS_MAIN(TestStoreFileKind)
#include "testStoreFileKind.moc"
