// The disk fills up during a save. Two honest ways to get there: a small tmpfs filled to the brim
// (needs root to mount), and SQLite's own page-count limit on the store's connection (always).
// Each time the save is refused with a clear reason and the old card stays exactly as it was.
#include "Form1Seam.h"
#include "ReliabilityKit.h"
#include "WindowDriver.h"
#include "app/FieldWidgets.h"
#include "app/Form1.h"
#include "app/dialogs/MessageBox.h"
#include "store/CardStore.h"

#include <QDir>
#include <QFile>
#include <QListView>
#include <QProcess>
#include <QPushButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using store::OpStatus;

namespace {

const QString Full = QStringLiteral("磁盘空间已满");

// A card far larger than the room left: about 1 MB in one note.
card::Sheet bigVersion(const QString& name)
{
    card::Sheet sheet = rel::makeSheet(name, 1);
    sheet.text[300] = QString(350000, QChar(u'满'));
    return sheet;
}

// Limits the store's connection to its present size plus a few pages, then leaves it open so that
// the next operations run on it, until CloseDb.
bool limitPages(store::Module1& db)
{
    if (!db.OpenDb())
        return false;
    QSqlQuery q(db.DbConnection());
    if (!q.exec(QStringLiteral("PRAGMA page_count")) || !q.next())
        return false;
    const qint64 pages = q.value(0).toLongLong();
    return q.exec(QStringLiteral("PRAGMA max_page_count = %1").arg(pages + 3));
}

// Fills the file system of `dir` up, all but `leave` bytes.
bool fillUp(const QString& dir, qint64 leave)
{
    QFile filler(QDir(dir).filePath(QStringLiteral("filler")));
    if (!filler.open(QIODevice::WriteOnly))
        return false;
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
    filler.close();
    return filler.resize(std::max<qint64>(0, filler.size() - leave));
}

} // namespace

class TestDiskFull : public QObject
{
    Q_OBJECT

private:
    void seedStore(store::CardStore& cards)
    {
        QCOMPARE(cards.add(rel::makeSheet(QStringLiteral("Ann"), 0)).status, OpStatus::Done);
        QCOMPARE(cards.add(rel::makeSheet(QStringLiteral("Bob"), 0)).status, OpStatus::Done);
    }
    static void oldCardsIntact(const QString& path)
    {
        const rel::StoreCheck check =
            rel::checkStore(path, {{QStringLiteral("Ann"), 0}, {QStringLiteral("Bob"), 0}});
        QVERIFY2(check.ok(), qPrintable(check.problems.join(QLatin1Char('\n'))));
    }
    // A small tmpfs over a folder, unmounted again when the guard goes.
    struct SmallTmpfs
    {
        explicit SmallTmpfs(const QString& dir)
        {
            if (::geteuid() == 0 &&
                QProcess::execute(QStringLiteral("mount"),
                                  {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                   QStringLiteral("size=768k,mode=0700"), QStringLiteral("tmpfs"), dir}) == 0)
                mounted = dir;
        }
        ~SmallTmpfs()
        {
            if (!mounted.isEmpty())
                QProcess::execute(QStringLiteral("umount"), {mounted});
        }
        QString mounted;
    };

private slots:
    void initTestCase() { MessageBox::setAutoAnswer(true); }

    void pageLimitDuringSaveAndAddKeepsTheOldCard()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Sav.qlk"));
        QVERIFY(rel::makeStore(path));
        store::Module1 db(path);
        store::CardStore cards(db);
        seedStore(cards);
        const QByteArray before = rel::fileBytes(path);
        QVERIFY(limitPages(db));
        const store::Outcome saved = cards.save(QStringLiteral("Ann"), bigVersion(QStringLiteral("Ann")));
        QCOMPARE(saved.status, OpStatus::Failed);
        QVERIFY2(saved.error.contains(Full), qPrintable(saved.error));
        QVERIFY(limitPages(db));
        const store::Outcome added = cards.add(bigVersion(QStringLiteral("Carl")));
        QCOMPARE(added.status, OpStatus::Failed);
        QVERIFY2(added.error.contains(Full), qPrintable(added.error));
        QCOMPARE(rel::fileBytes(path), before);
        oldCardsIntact(path);
        // Without the limit the same save goes through.
        db.CloseDb();
        QCOMPARE(cards.save(QStringLiteral("Ann"), bigVersion(QStringLiteral("Ann"))).status, OpStatus::Done);
    }

    void fullTmpfsDuringSaveKeepsTheOldCard()
    {
        QTemporaryDir dir;
        const SmallTmpfs tmpfs(dir.path());
        if (tmpfs.mounted.isEmpty())
            QSKIP("no small tmpfs can be mounted here (needs root); the page-limit case covers a full store");
        const QString path = dir.filePath(QStringLiteral("Sav.qlk"));
        QVERIFY(rel::makeStore(path));
        store::Module1 db(path);
        store::CardStore cards(db);
        seedStore(cards);
        const QByteArray before = rel::fileBytes(path);
        QVERIFY(fillUp(dir.path(), 16 * 1024));
        const store::Outcome saved = cards.save(QStringLiteral("Ann"), bigVersion(QStringLiteral("Ann")));
        QCOMPARE(saved.status, OpStatus::Failed);
        QVERIFY2(saved.error.contains(Full), qPrintable(saved.error));
        const store::Outcome added = cards.add(bigVersion(QStringLiteral("Carl")));
        QCOMPARE(added.status, OpStatus::Failed);
        QVERIFY2(added.error.contains(Full), qPrintable(added.error));
        QVERIFY(QFile::remove(dir.filePath(QStringLiteral("filler"))));
        QCOMPARE(rel::fileBytes(path), before);
        oldCardsIntact(path);
    }

    void windowKeepsTheTypedSheetWhenTheDiskIsFull()
    {
        QTemporaryDir dir;
        const SmallTmpfs small(dir.path());
        const bool tmpfs = !small.mounted.isEmpty();
        app::Form1 form(dir.path());
        const QString path = dir.filePath(QStringLiteral("Sav.qlk"));
        for (const QString& name : {QStringLiteral("Ann"), QStringLiteral("Bob")}) {
            kit::addCard(form, rel::makeSheet(name, 0));
        }
        QListView* list = form.widgets().list1;
        kit::pickLine(list, 0);
        QCOMPARE(app::fieldText(form.widgets().text[0]), QStringLiteral("Ann"));
        const card::Sheet edited = bigVersion(QStringLiteral("Ann"));
        form.writeSheet(edited);
        if (tmpfs)
            QVERIFY(fillUp(dir.path(), 16 * 1024));
        else
            QVERIFY(limitPages(app::Form1Seam::database(form)));
        const QByteArray before = rel::fileBytes(path);
        MessageBox::clearHistory();
        form.Command3_Click();
        QCOMPARE(MessageBox::history().size(), 1);
        QVERIFY2(MessageBox::history().last().text.contains(Full),
                 qPrintable(MessageBox::history().last().text));
        QVERIFY(form.readSheet() == edited);
        QVERIFY(form.widgets().command[2]->isEnabled());
        if (tmpfs)
            QVERIFY(QFile::remove(dir.filePath(QStringLiteral("filler"))));
        QCOMPARE(rel::fileBytes(path), before);
        oldCardsIntact(path);
        qInfo("disk full simulated with %s", tmpfs ? "a full tmpfs" : "the page-count limit");
    }
};

QTEST_MAIN(TestDiskFull)
#include "testDiskFull.moc"
