// The card record: how a sheet becomes the info string, the tick string and the list entry, how
// stored strings of any shape are read back, and which characters the field filter keeps out.
#include "StoreProbe.h"
#include "card/CardRecord.h"

#include <QStringList>
#include <QTest>

using card::Sheet;
using probe::blankSheet;

Q_DECLARE_METATYPE(card::Sheet)

namespace {

bool isInfoField(int field)
{
    return field >= 1 && field <= 288 && field != card::RacialTraitsField;
}

int tickedCount(const Sheet& sheet)
{
    int n = 0;
    for (bool t : sheet.checkF)
        n += t ? 1 : 0;
    for (bool t : sheet.checkWN)
        n += t ? 1 : 0;
    return n;
}

// Every field a different text that shows its own number, with the awkward characters a player
// may type: Chinese, blanks at either end, no-break spaces, tabs, characters beyond the BMP, and
// CR LF line breaks in the multi-line fields.
Sheet fullSheet(bool tickPattern)
{
    Sheet sheet = blankSheet();
    const QString extras[] = {
        QStringLiteral("  前后空格  "),
        QStringLiteral("\u00a0不换行\u00a0"),
        QStringLiteral("制表\t符\t"),
        QStringLiteral("𠀀扩展区😀"),
        QStringLiteral(" "),
        QStringLiteral("＠全角－"),
        QStringLiteral("quote ' \" `"),
        QStringLiteral("%_\\"),
    };
    for (int i = 0; i < card::FieldCount; ++i) {
        if (i == card::ReferenceField)
            continue;
        QString text = QStringLiteral("字段%1").arg(i) + extras[i % 8];
        if (card::isMultiLine(i))
            text = QStringLiteral("第一行 %1\r\n  第二行\u00a0\r\n\r\n\t第四行 😀 \r\n").arg(i);
        // Fields 0, 1, 2, 6 and 8 feed the list entry and never hold "-".
        if (i == 0 || i == 1 || i == 2 || i == 6 || i == 8)
            text.remove(QLatin1Char('-'));
        sheet.text[i] = text;
    }
    // An irregular pattern, so that a shifted position cannot read back the same ticks.
    for (int i = 0; i < card::CheckFCount; ++i)
        sheet.checkF[i] = ((i * i + 3 * i) % 7 < 3) == tickPattern;
    for (int i = 0; i < card::CheckWNCount; ++i)
        sheet.checkWN[i] = ((i * i + i) % 5 < 2) == tickPattern;
    return sheet;
}

Sheet decoded(const card::CardRecord& record)
{
    Sheet sheet = blankSheet();
    card::applyCardRecord(record, sheet);
    return sheet;
}

} // namespace

class TestCardRecord : public QObject
{
    Q_OBJECT

private slots:
    void onlyNameSheet();
    void infoPositions();
    void tickPositions_data();
    void tickPositions();
    void readsInfoOfAnyLength_data();
    void readsInfoOfAnyLength();
    void readsTicksOfAnyShape_data();
    void readsTicksOfAnyShape();
    void missingColumnsLeaveFieldsEmpty();
    void clearSheetKeepsReferenceNote();
    void roundTrip_data();
    void roundTrip();
    void filterKeys();
    void filterText_data();
    void filterText();
};

void TestCardRecord::onlyNameSheet()
{
    Sheet sheet = blankSheet();
    sheet.text[0] = QStringLiteral("Ann");
    const card::CardRecord record = card::toCardRecord(sheet);
    QCOMPARE(record.nae, QStringLiteral("Ann"));
    QCOMPARE(record.info, QString(286, QLatin1Char('@')));
    QCOMPARE(record.chk, QString(87, QLatin1Char('0')));
    for (int c = 0; c < card::NoteColumnCount; ++c)
        QVERIFY2(record.notes[c].isEmpty(), card::NoteColumns[c]);

    const card::ListEntry entry = card::toListEntry(sheet);
    QCOMPARE(entry, (card::ListEntry{QStringLiteral("Ann"), {}, {}, {}, {}}));

    // And it reads back as the same sheet.
    COMPARE_SHEETS(decoded(record), sheet);
}

void TestCardRecord::infoPositions()
{
    Sheet sheet = blankSheet();
    for (int i = 0; i < card::FieldCount; ++i) {
        if (i != card::ReferenceField)
            sheet.text[i] = QStringLiteral("f%1").arg(i);
    }
    const QString info = card::encodeInfo(sheet);
    QVERIFY(!info.startsWith(QLatin1Char('@')));
    QVERIFY(!info.endsWith(QLatin1Char('@')));
    const QStringList values = info.split(QLatin1Char('@'));
    QCOMPARE(values.size(), 287);
    QCOMPARE(values.at(0), QStringLiteral("f1"));
    QCOMPARE(values.at(23), QStringLiteral("f24"));
    QCOMPARE(values.at(24), QStringLiteral("f26"));
    QCOMPARE(values.at(286), QStringLiteral("f288"));
    for (int k = 0; k < 287; ++k)
        QCOMPARE(values.at(k), QStringLiteral("f%1").arg(k < 24 ? k + 1 : k + 2));
    // Field 0, 25, the reference note and the note columns stay out of the info string.
    for (int field : {0, 25, 289, 290, 295, 300})
        QVERIFY2(!values.contains(QStringLiteral("f%1").arg(field)), qPrintable(QString::number(field)));

    const card::CardRecord record = card::toCardRecord(sheet);
    QCOMPARE(record.notes[0], QStringLiteral("f25"));
    for (int c = 1; c < card::NoteColumnCount; ++c)
        QCOMPARE(record.notes[c], QStringLiteral("f%1").arg(289 + c));
    QCOMPARE(card::toListEntry(sheet),
             (card::ListEntry{QStringLiteral("f0"), QStringLiteral("f6"), QStringLiteral("f8"),
                              QStringLiteral("f1"), QStringLiteral("f2")}));
}

void TestCardRecord::tickPositions_data()
{
    QTest::addColumn<bool>("isF");
    QTest::addColumn<int>("box");
    QTest::addColumn<int>("position"); // 1-based character of the tick string

    QTest::newRow("CheckF(0)") << true << 0 << 1;
    QTest::newRow("CheckF(29)") << true << 29 << 30;
    QTest::newRow("CheckWN(0)") << false << 0 << 31;
    QTest::newRow("CheckWN(1)") << false << 1 << 32;
    QTest::newRow("CheckWN(56)") << false << 56 << 87;
}

void TestCardRecord::tickPositions()
{
    QFETCH(bool, isF);
    QFETCH(int, box);
    QFETCH(int, position);

    Sheet sheet = blankSheet();
    (isF ? sheet.checkF[box] : sheet.checkWN[box]) = true;
    QString expected(87, QLatin1Char('0'));
    expected[position - 1] = QLatin1Char('1');
    QCOMPARE(card::encodeTicks(sheet), expected);

    Sheet read = blankSheet();
    card::applyTicks(expected, read);
    COMPARE_SHEETS(read, sheet);
}

void TestCardRecord::readsInfoOfAnyLength_data()
{
    QTest::addColumn<int>("valueCount"); // 0 stands for the empty string
    QTest::newRow("empty") << 0;
    QTest::newRow("one value") << 1;
    QTest::newRow("up to field 24") << 24;
    QTest::newRow("up to field 26") << 25;
    QTest::newRow("one short") << 286;
    QTest::newRow("exact") << 287;
    QTest::newRow("one too many") << 288;
    QTest::newRow("290 values") << 290;
}

void TestCardRecord::readsInfoOfAnyLength()
{
    QFETCH(int, valueCount);
    QStringList values;
    for (int k = 0; k < valueCount; ++k)
        values << QStringLiteral("v%1").arg(k);
    Sheet sheet = blankSheet();
    card::applyInfo(values.join(QLatin1Char('@')), sheet);

    for (int field = 0; field < card::FieldCount; ++field) {
        QString expected;
        if (field == card::ReferenceField)
            expected = card::referenceText();
        else if (isInfoField(field)) {
            const int k = field <= 24 ? field - 1 : field - 2;
            if (k < valueCount)
                expected = QStringLiteral("v%1").arg(k);
        }
        QVERIFY2(sheet.text[field] == expected,
                 qPrintable(QStringLiteral("field %1: \"%2\"").arg(field).arg(sheet.text[field])));
    }
    QCOMPARE(tickedCount(sheet), 0);
}

void TestCardRecord::readsTicksOfAnyShape_data()
{
    QTest::addColumn<QString>("ticks");
    QTest::addColumn<QString>("expected"); // the tick string that reads back, 87 digits

    const QString zeros(87, QLatin1Char('0'));
    const QString ones(87, QLatin1Char('1'));
    QTest::newRow("empty") << QString() << zeros;
    QTest::newRow("only CheckF") << QString(30, QLatin1Char('1'))
                                 << QString(30, QLatin1Char('1')) + QString(57, QLatin1Char('0'));
    QTest::newRow("40 characters") << QString(40, QLatin1Char('1'))
                                   << QString(40, QLatin1Char('1')) + QString(47, QLatin1Char('0'));
    QTest::newRow("86 characters") << QString(86, QLatin1Char('1'))
                                   << QString(86, QLatin1Char('1')) + QLatin1Char('0');
    QTest::newRow("longer") << ones + QStringLiteral("1111abc") << ones;
    QString stray = ones;
    stray[0] = QLatin1Char('2');
    stray[30] = QLatin1Char(' ');
    stray[40] = QChar(0xff11); // full-width one
    stray[86] = QLatin1Char('x');
    QString strayRead = ones;
    for (int p : {0, 30, 40, 86})
        strayRead[p] = QLatin1Char('0');
    QTest::newRow("stray characters") << stray << strayRead;
    QTest::newRow("alternating") << QStringLiteral("10").repeated(44)
                                 << QStringLiteral("10").repeated(43) + QLatin1Char('1');
}

void TestCardRecord::readsTicksOfAnyShape()
{
    QFETCH(QString, ticks);
    QFETCH(QString, expected);
    Sheet sheet = blankSheet();
    card::applyTicks(ticks, sheet);
    QCOMPARE(card::encodeTicks(sheet), expected);
    // Ticks never touch a text.
    Sheet textsOnly = sheet;
    textsOnly.checkF.fill(false);
    textsOnly.checkWN.fill(false);
    COMPARE_SHEETS(textsOnly, blankSheet());
}

void TestCardRecord::missingColumnsLeaveFieldsEmpty()
{
    card::CardRecord record; // every column null
    record.notes[3] = QStringLiteral("languages");
    const Sheet sheet = decoded(record);
    Sheet expected = blankSheet();
    expected.text[292] = QStringLiteral("languages");
    COMPARE_SHEETS(sheet, expected);
}

void TestCardRecord::clearSheetKeepsReferenceNote()
{
    Sheet sheet = fullSheet(true);
    sheet.text[card::ReferenceField] = card::referenceText();
    QVERIFY(tickedCount(sheet) > 0);
    card::clearSheet(sheet);
    COMPARE_SHEETS(sheet, blankSheet());
}

void TestCardRecord::roundTrip_data()
{
    QTest::addColumn<Sheet>("sheet");
    QTest::newRow("filled, ticks A") << fullSheet(true);
    QTest::newRow("filled, ticks B") << fullSheet(false);

    // Every other field empty: empty values between filled ones must keep their place.
    Sheet gaps = fullSheet(true);
    for (int i = 1; i < card::FieldCount; i += 2) {
        if (i != card::ReferenceField)
            gaps.text[i].clear();
    }
    QTest::newRow("gaps") << gaps;

    Sheet ends = blankSheet();
    ends.text[0] = QStringLiteral(" 名 ");
    ends.text[1] = QStringLiteral("first");
    ends.text[288] = QStringLiteral("last coins");
    ends.text[300] = QStringLiteral("\r\n");
    ends.checkF[0] = true;
    ends.checkWN[56] = true;
    QTest::newRow("only the ends") << ends;
}

void TestCardRecord::roundTrip()
{
    QFETCH(Sheet, sheet);
    const card::CardRecord record = card::toCardRecord(sheet);
    QCOMPARE(record.info.count(QLatin1Char('@')), 286);
    QCOMPARE(record.chk.size(), 87);
    QCOMPARE(record.notes[0], sheet.text[25]);
    QCOMPARE(record.notes[11], sheet.text[300]);
    COMPARE_SHEETS(decoded(record), sheet);
}

void TestCardRecord::filterKeys()
{
    const QChar at = QLatin1Char('@');
    const QChar dash = QLatin1Char('-');
    const QList<int> listFields = {0, 1, 2, 6, 8};
    const QList<QChar> passing = {QChar(0xff20) /* ＠ */, QChar(0xff0d) /* － */, QChar(0x2010),
                                  QChar(0x2212),          QChar(0x2014),          QLatin1Char('_'),
                                  QLatin1Char('\b'),      QLatin1Char('\r'),      QLatin1Char('\t'),
                                  QLatin1Char(' '),       QLatin1Char('a'),       QChar(0x5b57)};
    for (int field = 0; field < card::FieldCount; ++field) {
        const QByteArray where = QByteArray::number(field);
        QVERIFY2(card::isRefusedCharacter(field, at), where.constData());
        QVERIFY2(card::isRefusedCharacter(field, dash) == listFields.contains(field), where.constData());
        for (QChar c : passing)
            QVERIFY2(!card::isRefusedCharacter(field, c), where.constData());
    }
}

void TestCardRecord::filterText_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    const QString mixed = QStringLiteral("a@b-c＠d－e");
    QTest::newRow("name") << 0 << mixed << QStringLiteral("abc＠d－e");
    QTest::newRow("level") << 6 << mixed << QStringLiteral("abc＠d－e");
    QTest::newRow("race") << 8 << mixed << QStringLiteral("abc＠d－e");
    QTest::newRow("deity") << 3 << mixed << QStringLiteral("ab-c＠d－e");
    QTest::newRow("field 7") << 7 << mixed << QStringLiteral("ab-c＠d－e");
    QTest::newRow("racial traits") << 25 << QStringLiteral("x@\r\ny-") << QStringLiteral("x\r\ny-");
    QTest::newRow("reference note") << 289 << QStringLiteral("@@") << QString();
    QTest::newRow("blog") << 300 << QStringLiteral("😀@𠀀-") << QStringLiteral("😀𠀀-");
    QTest::newRow("only refused") << 1 << QStringLiteral("-@-@") << QString();
    QTest::newRow("nothing to remove")
        << 2 << QStringLiteral(" 守序\u00a0善良\t") << QStringLiteral(" 守序\u00a0善良\t");
}

void TestCardRecord::filterText()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(card::filterFieldText(field, text), expected);
}

QTEST_GUILESS_MAIN(TestCardRecord)
#include "testCardRecord.moc"
