// Card files: what leaves the program comes back exactly, and whatever else is offered is refused
// with a reason.
#include "card/CardFile.h"
#include "card/CardImport.h"
#include "card/CardRecord.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using card::Sheet;

namespace {

// Everything a player may type: blanks at both ends, CR LF, no-break spaces, emoji, right-to-left
// text, quotes, backslashes, control characters and a 1 MB note.
Sheet hostileSheet()
{
    Sheet s;
    for (int i = 0; i < card::FieldCount; ++i) {
        if (i == card::ReferenceField)
            continue;
        s.text[i] = QStringLiteral("  v%1\u00a0😀 \"q\" \\ \t\u0001 שָׁלוֹם عربي ").arg(i);
    }
    s.text[0] = QStringLiteral(" O'Brien 全\u00a0");
    s.text[25] = QStringLiteral("\r\n第一行\r\n\r\n  ");
    s.text[300] =
        QString(1024 * 1024 / 8, QLatin1Char('x')).replace(QLatin1Char('x'), QStringLiteral("笔记\r\n"));
    for (int i = 0; i < card::CheckFCount; ++i)
        s.checkF[i] = i % 3 == 0;
    for (int i = 0; i < card::CheckWNCount; ++i)
        s.checkWN[i] = i % 2 == 1;
    return s;
}

QByteArray withEntry(const char* list, int position, const QJsonValue& entry)
{
    QJsonObject root = QJsonDocument::fromJson(card::writeCardFile(Sheet())).object();
    QJsonArray array = root.value(QLatin1String(list)).toArray();
    array[position] = entry;
    root.insert(QLatin1String(list), array);
    return QJsonDocument(root).toJson();
}

QByteArray withRoot(const char* key, const QJsonValue& value)
{
    QJsonObject root = QJsonDocument::fromJson(card::writeCardFile(Sheet())).object();
    if (value.isUndefined())
        root.remove(QLatin1String(key));
    else
        root.insert(QLatin1String(key), value);
    return QJsonDocument(root).toJson();
}

} // namespace

class TestCardFile : public QObject
{
    Q_OBJECT

private slots:
    void aHostileCardComesBackExactly()
    {
        const Sheet typed = hostileSheet();
        const QByteArray file = card::writeCardFile(typed);
        const card::CardFileResult back = card::parseCardFile(file);
        QVERIFY2(back.ok, qPrintable(back.error));
        QVERIFY(back.sheet == typed);
        // Through the stored form as well: the same record, byte for byte.
        QCOMPARE(card::toCardRecord(back.sheet), card::toCardRecord(typed));
        QCOMPARE(card::toListEntry(back.sheet), card::toListEntry(typed));

        // Readable: every stored field by index with its caption, every box, the format first.
        QVERIFY(file.startsWith("{\n  \"format\": \"quillmark-card\",\n  \"version\": 1,"));
        const QJsonObject root = QJsonDocument::fromJson(file).object();
        const QJsonArray fields = root.value(QLatin1String("fields")).toArray();
        const QJsonArray boxes = root.value(QLatin1String("boxes")).toArray();
        QCOMPARE(fields.size(), 300);
        QCOMPARE(boxes.size(), 87);
        QCOMPARE(fields[0].toObject().value(QLatin1String("caption")).toString(), QStringLiteral("名字"));
        QCOMPARE(fields[289].toObject().value(QLatin1String("index")).toInt(), 290); // 289 is never stored
        for (const QJsonValue& entry : fields)
            QVERIFY(!entry.toObject().value(QLatin1String("caption")).toString().isEmpty());
        for (const QJsonValue& entry : boxes)
            QVERIFY(!entry.toObject().value(QLatin1String("caption")).toString().isEmpty());
        QVERIFY(QString::fromUtf8(file).contains(QStringLiteral("😀 \\\"q\\\" \\\\ \\t\\u0001 שָׁלוֹם")));
    }

    void onlyTheNamedValuesAreRequired()
    {
        const card::CardFileResult r = card::parseCardFile(
            R"({"format": "quillmark-card", "version": 1, "fields": [{"index": 0, "text": "Ann"}]})");
        QVERIFY2(r.ok, qPrintable(r.error));
        Sheet wanted;
        wanted.text[0] = QStringLiteral("Ann");
        QVERIFY(r.sheet == wanted);
    }

    void badInputIsRefusedWithAReason_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("says");
        const QByteArray good = card::writeCardFile(hostileSheet());
        QTest::newRow("empty") << QByteArray() << QStringLiteral("JSON");
        QTest::newRow("not JSON") << QByteArray("名字,等级\nAnn,3\n") << QStringLiteral("JSON");
        QTest::newRow("truncated") << good.left(good.size() / 2) << QStringLiteral("JSON");
        QTest::newRow("an array") << QByteArray("[1, 2]") << QStringLiteral("不是角色卡文件");
        QTest::newRow("other format") << withRoot("format", QStringLiteral("x")) << QStringLiteral("format");
        QTest::newRow("no version") << withRoot("version", QJsonValue::Undefined) << QStringLiteral("版本");
        QTest::newRow("version as text")
            << withRoot("version", QStringLiteral("1")) << QStringLiteral("版本");
        QTest::newRow("newer version") << withRoot("version", 2) << QStringLiteral("版本（2）比本程序");
        QTest::newRow("fields not a list") << withRoot("fields", 3) << QStringLiteral("fields");
        QTest::newRow("text a number") << withEntry("fields", 4, QJsonObject{{"index", 4}, {"text", 12}})
                                       << QStringLiteral("text 不是文字");
        QTest::newRow("index as text")
            << withEntry("fields", 4, QJsonObject{{"index", "4"}, {"text", "x"}}) << QStringLiteral("index");
        QTest::newRow("index 301") << withEntry("fields", 4, QJsonObject{{"index", 301}, {"text", "x"}})
                                   << QStringLiteral("index");
        QTest::newRow("index 289") << withEntry("fields", 4, QJsonObject{{"index", 289}, {"text", "x"}})
                                   << QStringLiteral("289 除外");
        QTest::newRow("index 2.5") << withEntry("fields", 4, QJsonObject{{"index", 2.5}, {"text", "x"}})
                                   << QStringLiteral("index");
        QTest::newRow("field twice") << withEntry("fields", 4, QJsonObject{{"index", 3}, {"text", "x"}})
                                     << QStringLiteral("重复");
        QTest::newRow("entry not an object") << withEntry("fields", 0, 7) << QStringLiteral("不是对象");
        QTest::newRow("tick as text")
            << withEntry("boxes", 0, QJsonObject{{"box", "CheckF"}, {"index", 0}, {"ticked", "yes"}})
            << QStringLiteral("ticked");
        QTest::newRow("box 57") << withEntry("boxes", 40,
                                             QJsonObject{{"box", "CheckWN"}, {"index", 57}, {"ticked", true}})
                                << QStringLiteral("0 到 56");
        QTest::newRow("unknown box") << withEntry(
                                            "boxes", 0,
                                            QJsonObject{{"box", "CheckX"}, {"index", 0}, {"ticked", true}})
                                     << QStringLiteral("box");
        QTest::newRow("lone surrogate")
            << QByteArray(R"({"format":"quillmark-card","version":1,"fields":[{"index":3,"text":"\ud800"}]})")
            << QStringLiteral("无效的字符");
    }
    void badInputIsRefusedWithAReason()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, says);
        const card::CardFileResult r = card::parseCardFile(bytes);
        QVERIFY(!r.ok);
        QVERIFY2(r.error.contains(says), qPrintable(r.error));
    }

    void filesAreReadWithinBounds()
    {
        QTemporaryDir dir;
        const QString junk = dir.filePath(QStringLiteral("junk.json"));
        {
            QFile f(junk);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(4096, '{'));
            QVERIFY(f.resize(100 * 1024 * 1024)); // 100 MB, mostly a hole
        }
        card::CardFileResult r = card::readCardFile(junk);
        QVERIFY(!r.ok);
        QVERIFY2(r.error.contains(QStringLiteral("太大")) && r.error.contains(QStringLiteral("junk.json")),
                 qPrintable(r.error));

        r = card::readCardFile(dir.filePath(QStringLiteral("gone.json")));
        QVERIFY(!r.ok);
        QVERIFY2(r.error.contains(QStringLiteral("找不到文件“gone.json”")), qPrintable(r.error));

        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.json")));
        r = card::readCardFile(dir.filePath(QStringLiteral("folder.json")));
        QVERIFY(!r.ok);
        QVERIFY(!r.error.isEmpty());

        const QString good = dir.filePath(QStringLiteral("good.json"));
        QFile f(good);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(card::writeCardFile(hostileSheet()));
        f.close();
        r = card::readCardFile(good);
        QVERIFY2(r.ok, qPrintable(r.error));
        QVERIFY(r.sheet == hostileSheet());

        // A card file of 16 MB is read; one byte more is refused before it is read.
        const QByteArray card = card::writeCardFile(hostileSheet());
        QByteArray padded = "{" + QByteArray(16 * 1024 * 1024 - card.size(), ' ') + card.mid(1);
        for (const qsizetype size : {padded.size(), padded.size() + 1}) {
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            QCOMPARE(f.write(padded.leftJustified(size, ' ')), size);
            f.close();
            r = card::readCardFile(good);
            QCOMPARE(r.ok, size == 16 * 1024 * 1024);
            QVERIFY2(r.ok || r.error.contains(QStringLiteral("超过 16 MB")), qPrintable(r.error));
        }
    }

    void aCardThatCannotBeStoredIsRefusedInThePlayersWords()
    {
        card::CardFileResult read{true, Sheet(), {}};
        QCOMPARE(card::importRefusal(read), QStringLiteral("卡上没有填名字"));
        read.sheet.text[0] = QStringLiteral("Ann");
        read.sheet.text[3] = QStringLiteral("Sehanine-Moon"); // "-" is fine outside the list-entry fields
        QCOMPARE(card::importRefusal(read), QString());
        read.sheet.text[300] = QStringLiteral("a@b");
        QCOMPARE(card::importRefusal(read), QStringLiteral("“战役及跑团笔记”里不能有“@”"));
        read.sheet.text[300].clear();
        read.sheet.text[6] = QStringLiteral("3-4");
        QCOMPARE(card::importRefusal(read), QStringLiteral("“等级”里不能有“-”"));
        read.sheet.text[0] = QStringLiteral("Ann-Marie");
        QCOMPARE(card::importRefusal(read), QStringLiteral("名字里不能有“-”"));
        read = card::readCardFile(QStringLiteral("/nowhere/gone.json"));
        QCOMPARE(card::importRefusal(read), read.error);
        QVERIFY(!read.error.isEmpty());
    }

    void aTakenNameIsRenamedReplacedOrSkippedAndTheSummaryNamesEachFile()
    {
        const QStringList stored = {QStringLiteral("Ann"), QStringLiteral("Ann (2)"), QStringLiteral("Bob")};
        const auto isTaken = [&stored](const QString& n) { return stored.contains(n); };
        using card::ImportAction;
        using card::TakenChoice;
        QCOMPARE(card::planImport(QStringLiteral("Cy"), false, TakenChoice::Skip, isTaken).action,
                 ImportAction::Add);
        const card::ImportStep renamed =
            card::planImport(QStringLiteral("Ann"), true, TakenChoice::Rename, isTaken);
        QCOMPARE(renamed.action, ImportAction::Rename);
        QCOMPARE(renamed.name, QStringLiteral("Ann (3)"));
        const card::ImportStep replaced =
            card::planImport(QStringLiteral("Bob"), true, TakenChoice::Replace, isTaken);
        QCOMPARE(replaced.action, ImportAction::Replace);
        QCOMPARE(replaced.name, QStringLiteral("Bob"));
        const card::ImportStep skipped =
            card::planImport(QStringLiteral("Bob"), true, TakenChoice::Skip, isTaken);
        QCOMPARE(skipped.action, ImportAction::Skip);

        card::ImportReport report;
        report.lines = {{QStringLiteral("cy.json"), {ImportAction::Add, QStringLiteral("Cy"), {}}}};
        QVERIFY(report.plain());
        QCOMPARE(card::importSummary(report), QStringLiteral("已导入 1 张角色卡"));
        report.lines +=
            {{QStringLiteral("ann.json"), renamed},
             {QStringLiteral("bob.json"), replaced},
             {QStringLiteral("bob2.json"), skipped},
             {QStringLiteral("dash.json"), {ImportAction::Refuse, {}, QStringLiteral("名字里不能有“-”")}}};
        report.notReached = 2;
        report.cancelled = true;
        QVERIFY(!report.plain());
        QCOMPARE(report.added(), 3);
        QCOMPARE(card::importSummary(report),
                 QStringLiteral("已导入 3 张角色卡\n\n其中：\n"
                                "ann.json：改名为“Ann (3)”\n"
                                "bob.json：替换了“Bob”，原来的那张可用“恢复…”找回\n\n"
                                "以下 2 个文件没有导入：\n"
                                "bob2.json：已有“Bob”，按你的选择跳过\n"
                                "dash.json：名字里不能有“-”\n\n"
                                "导入已取消，其余 2 个文件没有导入。"));
    }

    void namesForFilesAndFreeNames()
    {
        QCOMPARE(card::cardFileBaseName(QStringLiteral("艾琳")), QStringLiteral("艾琳.json"));
        QCOMPARE(card::cardFileBaseName(QStringLiteral("a/b\\c:d*e?f\"g<h>i|j\tk")),
                 QStringLiteral("a_b_c_d_e_f_g_h_i_j_k.json"));
        QCOMPARE(card::cardFileBaseName(QStringLiteral(" .. ")), QStringLiteral("角色卡.json"));
        QCOMPARE(card::cardFileBaseName(QStringLiteral("../x.")), QStringLiteral(".._x.json"));
        QCOMPARE(card::cardFileBaseName(QStringLiteral("con")), QStringLiteral("_con.json"));
        QCOMPARE(card::cardFileBaseName(QStringLiteral("LPT1.txt")), QStringLiteral("_LPT1.txt.json"));
        QCOMPARE(card::cardFileBaseName(QStringLiteral("Console")), QStringLiteral("Console.json"));
        const QString longName = QString(79, QLatin1Char('a')) + QStringLiteral("😀b");
        QCOMPARE(card::cardFileBaseName(longName), QString(79, QLatin1Char('a')) + QStringLiteral(".json"));
        QCOMPARE(card::numberedName(QStringLiteral("艾琳"), 1), QStringLiteral("艾琳"));
        QCOMPARE(card::numberedName(QStringLiteral("艾琳"), 2), QStringLiteral("艾琳 (2)"));
    }
};

QTEST_GUILESS_MAIN(TestCardFile)
#include "testCardFile.moc"
