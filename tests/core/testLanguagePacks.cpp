#include "lang/LanguagePacks.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestLanguagePacks : public QObject
{
    Q_OBJECT

private:
    static void writePack(const QDir& dir, const QString& file, const QByteArray& content)
    {
        QFile f(dir.filePath(file));
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(f.write(content), content.size());
    }

private slots:
    void packName_data();
    void packName();
    void scanListsEachPackOnceInNameOrder();
    void scanSkipsUnreadableAndKeylessPacks();
    void scanLooksAtNoMoreThanTheBound();
    void scanReadsEachPackOnlyToItsByteBound();
    void scanOfMissingOrEmptyFolder();
    void languageListed_data();
    void languageListed();
};

void TestLanguagePacks::packName_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("name");

    QTest::newRow("English, CR LF") << QByteArray("LanguageName=English\r\nAuthor=x\r\n") << true
                                    << QStringLiteral("English");
    QTest::newRow("LF only") << QByteArray("LanguageName=Deutsch\nAuthor=x\n") << true
                             << QStringLiteral("Deutsch");
    QTest::newRow("CR only") << QByteArray("LanguageName=Français\rNext") << true
                             << QStringLiteral("Français");
    QTest::newRow("name ends the text")
        << QByteArray("X=1\r\nLanguageName=Español") << true << QStringLiteral("Español");
    QTest::newRow("key not at line start")
        << QByteArray("[Info] LanguageName=日本語\r\n") << true << QStringLiteral("日本語");
    QTest::newRow("first occurrence wins")
        << QByteArray("LanguageName=One\r\nLanguageName=Two\r\n") << true << QStringLiteral("One");
    QTest::newRow("UTF-8 with byte order mark")
        << QByteArray("\xEF\xBB\xBFLanguageName=\xE7\xB9\x81\xE9\xAB\x94\xE4\xB8\xAD\xE6\x96\x87\r\n") << true
        << QStringLiteral("繁體中文");
    QTest::newRow("blanks kept") << QByteArray("LanguageName= English (UK) \r\n") << true
                                 << QStringLiteral(" English (UK) ");
    QTest::newRow("empty name") << QByteArray("LanguageName=\r\nAuthor=x") << true << QString();
    QTest::newRow("lower-case key") << QByteArray("languagename=English\r\n") << false << QString();
    QTest::newRow("key without equals sign") << QByteArray("LanguageName English\r\n") << false << QString();
    QTest::newRow("no key") << QByteArray("Author=x\r\nVersion=1\r\n") << false << QString();
    QTest::newRow("empty file") << QByteArray() << false << QString();
}

void TestLanguagePacks::packName()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, found);
    QFETCH(QString, name);

    const std::optional<QString> result = lang::packName(content);
    QCOMPARE(result.has_value(), found);
    if (found) {
        QCOMPARE(*result, name);
        QVERIFY(!result->contains(QLatin1Char('\r')));
        QVERIFY(!result->contains(QLatin1Char('\n')));
    }
}

void TestLanguagePacks::scanListsEachPackOnceInNameOrder()
{
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QDir dir(temp.path());
    writePack(dir, QStringLiteral("b.lng"), "LanguageName=Deutsch\r\n");
    writePack(dir, QStringLiteral("a.lng"), "LanguageName=English\r\n");
    writePack(dir, QStringLiteral("c.LNG"), "LanguageName=Français\n");
    writePack(dir, QStringLiteral("notes.txt"), "LanguageName=Text\r\n");
    writePack(dir, QStringLiteral("d.lng.bak"), "LanguageName=Backup\r\n");
    writePack(dir, QStringLiteral(".hidden.lng"), "LanguageName=Hidden\r\n");
    QVERIFY(dir.mkdir(QStringLiteral("folder.lng")));

    const QStringList expected{QStringLiteral("English"), QStringLiteral("Deutsch"),
                               QStringLiteral("Français")};
    QCOMPARE(lang::scanPacks(temp.path()), expected);
}

void TestLanguagePacks::scanSkipsUnreadableAndKeylessPacks()
{
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QDir dir(temp.path());
    writePack(dir, QStringLiteral("1.lng"), "LanguageName=English\r\n");
    writePack(dir, QStringLiteral("2.lng"), "Author=nobody\r\n");
    writePack(dir, QStringLiteral("3.lng"), "languagename=lower\r\n");
    // A pack that opens but cannot be read (a read error, whoever runs the test).
    if (!QFile::exists(QStringLiteral("/proc/self/mem")))
        QSKIP("needs /proc/self/mem for a file that fails to read");
    QVERIFY(QFile::link(QStringLiteral("/proc/self/mem"), dir.filePath(QStringLiteral("4.lng"))));
    {
        QFile broken(dir.filePath(QStringLiteral("4.lng")));
        QVERIFY(broken.open(QIODevice::ReadOnly));
        broken.readAll();
        QVERIFY(broken.error() != QFileDevice::NoError);
    }
    writePack(dir, QStringLiteral("5.lng"), "LanguageName=Deutsch\r\n");

    const QStringList expected{QStringLiteral("English"), QStringLiteral("Deutsch")};
    QCOMPARE(lang::scanPacks(temp.path()), expected);
}

void TestLanguagePacks::scanLooksAtNoMoreThanTheBound()
{
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QDir dir(temp.path());
    const int files = lang::MaxPackFiles + 4;
    for (int i = 0; i < files; ++i) {
        // The first file is keyless: it still takes one place in the bound.
        const QByteArray content =
            i == 0 ? QByteArray("Author=x\r\n") : "LanguageName=Pack" + QByteArray::number(i) + "\r\n";
        writePack(dir, QStringLiteral("p%1.lng").arg(i, 3, 10, QLatin1Char('0')), content);
    }
    const QStringList names = lang::scanPacks(temp.path());
    QCOMPARE(names.size(), lang::MaxPackFiles - 1);
    QCOMPARE(names.first(), QStringLiteral("Pack1"));
    QCOMPARE(names.last(), QStringLiteral("Pack%1").arg(lang::MaxPackFiles - 1));
}

void TestLanguagePacks::scanReadsEachPackOnlyToItsByteBound()
{
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QDir dir(temp.path());
    const auto filler = [](qint64 size) {
        QByteArray lines(size, 'x');
        lines[size - 2] = '\r';
        lines[size - 1] = '\n';
        return lines;
    };
    // The key at the top of a large pack: found, whatever follows.
    writePack(dir, QStringLiteral("a.lng"), "LanguageName=Alpha\r\n" + filler(4 * lang::MaxPackBytes));
    // The key beyond the bound: no name.
    writePack(dir, QStringLiteral("b.lng"), filler(lang::MaxPackBytes) + "LanguageName=Beta\r\n");
    // A name line that the bound cuts: no name, not a cut one.
    writePack(dir, QStringLiteral("c.lng"),
              filler(lang::MaxPackBytes - 8) + "LanguageName=Gamma\r\n" + filler(1024));
    // A name line that ends just inside the bound.
    const QByteArray last = "LanguageName=Delta\r\n";
    writePack(dir, QStringLiteral("d.lng"), filler(lang::MaxPackBytes - last.size()) + last + filler(1024));
    QCOMPARE(lang::scanPacks(temp.path()), (QStringList{QStringLiteral("Alpha"), QStringLiteral("Delta")}));
}

void TestLanguagePacks::scanOfMissingOrEmptyFolder()
{
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    QVERIFY(lang::scanPacks(temp.filePath(QStringLiteral("lngs"))).isEmpty());
    QVERIFY(lang::scanPacks(temp.path()).isEmpty());
    QVERIFY(lang::scanPacks(QString()).isEmpty());
}

void TestLanguagePacks::languageListed_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("lng");
    QTest::addColumn<bool>("listed");

    const QStringList packs{lang::builtInLanguage(), QStringLiteral("English"), QStringLiteral("Deutsch")};
    QTest::newRow("built-in") << packs << lang::builtInLanguage() << true;
    QTest::newRow("whole pack name") << packs << QStringLiteral("English") << true;
    QTest::newRow("part of a name") << packs << QStringLiteral("ngli") << true;
    QTest::newRow("across two names") << packs << QStringLiteral("ishDeu") << true;
    QTest::newRow("across built-in and pack") << packs << QStringLiteral(")Eng") << true;
    QTest::newRow("empty counts as listed") << packs << QString() << true;
    QTest::newRow("vanished pack") << packs << QStringLiteral("Français") << false;
    QTest::newRow("letter case counts") << packs << QStringLiteral("english") << false;
    QTest::newRow("no separator between names") << packs << QStringLiteral("English Deutsch") << false;
    QTest::newRow("built-in only") << QStringList{lang::builtInLanguage()} << QStringLiteral("English")
                                   << false;
}

void TestLanguagePacks::languageListed()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, lng);
    QFETCH(bool, listed);
    QCOMPARE(lang::languageListed(entries, lng), listed);
}

QTEST_GUILESS_MAIN(TestLanguagePacks)
#include "testLanguagePacks.moc"
