// A store file that is not a database, or a database cut short: every operation refuses with the
// reason and the file keeps every byte, whether it was found so at start-up or became so later.
#include "ReliabilityKit.h"
#include "store/CardStore.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using store::OpStatus;

namespace {

// The page size of an SQLite file, from its header.
int pageSize(const QByteArray& bytes)
{
    const int size = (static_cast<quint8>(bytes.at(16)) << 8) | static_cast<quint8>(bytes.at(17));
    return size == 1 ? 65536 : size;
}

} // namespace

class TestUnusableFiles : public QObject
{
    Q_OBJECT

private:
    QByteArray m_whole; // a store with cards on many pages

    // Every operation of the store at `path` fails; the file is never written.
    static void refusesEverything(const QString& path, const QString& reason)
    {
        const QByteArray before = rel::fileBytes(path);
        store::Module1 db(path);
        store::CardStore cards(db);
        if (!reason.isEmpty()) {
            const store::Module1::Prepared prepared = db.prepare();
            QCOMPARE(prepared.status, store::Module1::PrepareStatus::Unusable);
            QVERIFY2(prepared.error.contains(reason), qPrintable(prepared.error));
            QVERIFY(prepared.error.contains(QStringLiteral("Sav.qlk")));
        }
        const QString name = QStringLiteral("Ann");
        const store::Outcome outcomes[] = {cards.add(rel::makeSheet(QStringLiteral("Carl"), 0)),
                                           cards.save(name, rel::makeSheet(name, 1)), cards.remove(name)};
        for (const store::Outcome& outcome : outcomes) {
            QCOMPARE(outcome.status, OpStatus::Failed);
            QVERIFY(!outcome.error.isEmpty());
        }
        QVERIFY(!cards.load(name).found);
        QVERIFY(!cards.list().ok);
        db.CloseDb();
        QCOMPARE(rel::fileBytes(path), before);
    }

private slots:
    void initTestCase()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Sav.qlk"));
        QVERIFY(rel::makeStore(path));
        store::Module1 db(path);
        store::CardStore cards(db);
        for (int k = 0; k < 6; ++k) {
            card::Sheet sheet = rel::makeSheet(rel::makeName(3, k), 0);
            sheet.text[300] = QString(20000, QChar(u'卷'));
            QCOMPARE(cards.add(sheet).status, OpStatus::Done);
        }
        QCOMPARE(cards.add(rel::makeSheet(QStringLiteral("Ann"), 0)).status, OpStatus::Done);
        db.CloseDb();
        m_whole = rel::fileBytes(path);
        QVERIFY(m_whole.size() > 40 * 4096);
    }

    void notADatabaseIsNeverWritten_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        QByteArray noise(10000, '\0');
        QRandomGenerator rng(7);
        for (char& c : noise)
            c = static_cast<char>(rng.bounded(256));
        QByteArray headerThenNoise = QByteArray("SQLite format 3\0", 16) + noise.left(4096 - 16);
        headerThenNoise[16] = 0x10; // page size 4096
        headerThenNoise[17] = 0x00;
        QTest::newRow("letter") << QByteArray("Dear player,\r\nthis is not a card file.\r\n")
                                << QStringLiteral("不是");
        QTest::newRow("binary") << noise << QStringLiteral("不是");
        QTest::newRow("empty") << QByteArray("") << QStringLiteral("空");
        QTest::newRow("header then noise") << headerThenNoise << QStringLiteral("无法使用");
        QTest::newRow("access file") << (QByteArray(4, '\0') + QByteArray("Standard Jet DB\0", 16) +
                                         noise.left(2000))
                                     << QStringLiteral("Access");
    }
    void notADatabaseIsNeverWritten()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Sav.qlk"));
        QVERIFY(rel::writeFile(path, bytes));
        refusesEverything(path, reason);
        QCOMPARE(rel::fileBytes(path), bytes);
    }

    void truncatedStoreIsNeverWritten_data()
    {
        QTest::addColumn<int>("length");
        const int page = pageSize(m_whole);
        QTest::newRow("inside the header") << 50;
        QTest::newRow("header only") << 100;
        QTest::newRow("inside the first page") << 1000;
        QTest::newRow("two whole pages") << 2 * page;
        QTest::newRow("middle of a page") << int(m_whole.size() / 2 + 7);
        QTest::newRow("one page short") << int(m_whole.size() - page);
    }
    void truncatedStoreIsNeverWritten()
    {
        QFETCH(int, length);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Sav.qlk"));
        const QByteArray cut = m_whole.left(length);
        QVERIFY(rel::writeFile(path, cut));
        refusesEverything(path, QStringLiteral("截断"));
        QCOMPARE(rel::fileBytes(path), cut);
    }

    // The file is replaced behind a running store: the next operations refuse and write nothing.
    void replacedWhileRunningIsNeverWritten_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("letter") << QByteArray("not a database any more\n");
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("cut mid-page") << QByteArray();
    }
    void replacedWhileRunningIsNeverWritten()
    {
        QFETCH(QByteArray, bytes);
        if (bytes.isNull())
            bytes = m_whole.left(m_whole.size() / 2 + 7);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Sav.qlk"));
        QVERIFY(rel::writeFile(path, m_whole));
        {
            store::Module1 db(path);
            QCOMPARE(db.prepare().status, store::Module1::PrepareStatus::Ready);
            QVERIFY(rel::writeFile(path, bytes));
            store::CardStore cards(db);
            QCOMPARE(cards.add(rel::makeSheet(QStringLiteral("Carl"), 0)).status, OpStatus::Failed);
            QCOMPARE(cards.remove(QStringLiteral("Ann")).status, OpStatus::Failed);
            QVERIFY(cards.save(QStringLiteral("Ann"), rel::makeSheet(QStringLiteral("Ann"), 1)).status !=
                    OpStatus::Done);
        }
        QCOMPARE(rel::fileBytes(path), bytes);
    }
};

QTEST_GUILESS_MAIN(TestUnusableFiles)
#include "testUnusableFiles.moc"
