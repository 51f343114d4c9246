// The reader helper's output as the program takes it in (every length and count checked, NULL kept
// apart from ""), and the repairs that give every card of an old store exactly one list entry.
#include "store/legacy/LegacyDump.h"

#include <QTest>

using card::CardRecord;
using card::ListEntry;

namespace {

// Builds reader output the way the helper writes it.
class Dump
{
public:
    Dump() { m_bytes = "QLMDB1\n"; }

    Dump& table(const char* name, const QStringList& columns, quint64 stored)
    {
        m_bytes += 'T';
        text(QString::fromLatin1(name));
        number(quint64(columns.size()), 4);
        for (const QString& c : columns)
            text(c);
        number(stored, 8);
        m_rows = 0;
        return *this;
    }
    Dump& row(const QStringList& values)
    {
        QList<QByteArray> bytes;
        for (const QString& v : values)
            bytes << (v.isNull() ? QByteArray() : v.toUtf8());
        return rowBytes(bytes);
    }
    // A null QByteArray stands for NULL; others go out as they are, valid UTF-8 or not.
    Dump& rowBytes(const QList<QByteArray>& values)
    {
        m_bytes += 'R';
        for (const QByteArray& v : values) {
            if (v.isNull())
                number(0xFFFFFFFFu, 4);
            else
                raw(v);
        }
        ++m_rows;
        return *this;
    }
    Dump& end(int delta = 0)
    {
        m_bytes += 'E';
        number(quint64(m_rows + delta), 8);
        return *this;
    }
    QByteArray finish() const { return m_bytes + "END\n"; }

private:
    void raw(const QByteArray& value)
    {
        number(quint64(value.size()), 4);
        m_bytes += value;
    }
    void number(quint64 v, int size)
    {
        for (int i = 0; i < size; ++i)
            m_bytes += char((v >> (8 * i)) & 0xFF);
    }
    void text(const QString& s)
    {
        if (s.isNull())
            number(0xFFFFFFFFu, 4);
        else
            raw(s.toUtf8());
    }

    QByteArray m_bytes;
    int m_rows = 0;
};

const QStringList CardColumns{
    QStringLiteral("Nae"),     QStringLiteral("Info"),       QStringLiteral("Chk"),
    QStringLiteral("ZhongZu"), QStringLiteral("ZhuanChang"), QStringLiteral("TeZheng"),
    QStringLiteral("Lang"),    QStringLiteral("YiShi"),      QStringLiteral("QiTa"),
    QStringLiteral("WuPin"),   QStringLiteral("GeXing"),     QStringLiteral("WaiMao"),
    QStringLiteral("MengYou"), QStringLiteral("BeiJing"),    QStringLiteral("Blog")};
const QStringList ListColumns{QStringLiteral("Nam"), QStringLiteral("lv"), QStringLiteral("race"),
                              QStringLiteral("tra"), QStringLiteral("cmp")};
const QStringList SetsColumns{QStringLiteral("Btips"), QStringLiteral("magw"), QStringLiteral("Lng")};

QStringList cardValues(const QString& name, const QString& blog)
{
    QStringList v{name, QString(286, QLatin1Char('@')), QString(87, QLatin1Char('0'))};
    for (int i = 0; i < 11; ++i)
        v << QStringLiteral("");
    v << blog;
    return v;
}

QByteArray sampleDump()
{
    Dump d;
    d.table("card", CardColumns, 2)
        .row(cardValues(QStringLiteral("Ann"), QStringLiteral(" 第一行\r\n\"two\" 😀 ")))
        .row(cardValues(QStringLiteral("空值"), QString()))
        .end();
    d.table("lstt", ListColumns, 1)
        .row({QStringLiteral("Ann"), QStringLiteral("3"), QString(), QStringLiteral(""),
              QStringLiteral("Good")})
        .end();
    d.table("SetS", SetsColumns, 2)
        .row({QStringLiteral("XD"), QStringLiteral("1"), QStringLiteral("简体中文(内置)")})
        .row({QStringLiteral("YY"), QString(), QString()})
        .end();
    return d.finish();
}

bool same(const QString& a, const QString& b)
{
    return a.isNull() == b.isNull() && a == b;
}

CardRecord cardNamed(const QString& name, const QString& info)
{
    CardRecord c{name, info, QString(87, QLatin1Char('0')), {}};
    c.notes.fill(QStringLiteral(""));
    return c;
}

} // namespace

class TestLegacyDump : public QObject
{
    Q_OBJECT

private slots:
    void readsEveryValueExactly();
    void refusesEveryCutOfTheOutput();
    void refusesInconsistentOutput_data();
    void refusesInconsistentOutput();
    void givesEveryCardOneEntry();
    void turnsOrphanEntriesIntoCards();
    void findsDuplicateNames();
    void asksTheReaderForTheThreeTables();
};

void TestLegacyDump::readsEveryValueExactly()
{
    store::LegacyTables t;
    QString error;
    QVERIFY2(store::parseLegacyDump(sampleDump(), t, &error), qPrintable(error));
    QCOMPARE(t.cards.size(), 2);
    QCOMPARE(t.cards[0].notes[11], QStringLiteral(" 第一行\r\n\"two\" 😀 "));
    QVERIFY(same(t.cards[0].notes[0], QStringLiteral("")));
    QVERIFY(t.cards[1].notes[11].isNull());
    QCOMPARE(t.lists.size(), 1);
    QVERIFY(t.lists[0].race.isNull());
    QVERIFY(same(t.lists[0].tra, QStringLiteral("")));
    QCOMPARE(t.sets.size(), 2);
    QCOMPARE(t.sets[0].magw, QVariant(1));
    QVERIFY(t.sets[1].magw.isNull() && t.sets[1].lng.isNull());
}

void TestLegacyDump::refusesEveryCutOfTheOutput()
{
    const QByteArray dump = sampleDump();
    store::LegacyTables t;
    for (qsizetype n = 0; n < dump.size(); ++n) {
        QString error;
        QVERIFY2(!store::parseLegacyDump(dump.left(n), t, &error), qPrintable(QString::number(n)));
        QVERIFY(!error.isEmpty());
        QVERIFY(t.cards.isEmpty() && t.lists.isEmpty() && t.sets.isEmpty());
    }
    QVERIFY(!store::parseLegacyDump(dump + "x", t, nullptr));
}

void TestLegacyDump::refusesInconsistentOutput_data()
{
    QTest::addColumn<QByteArray>("dump");
    auto build = [](int storedDelta, int endDelta, const char* second, const QStringList& listColumns) {
        Dump d;
        d.table("card", CardColumns, 1).row(cardValues(QStringLiteral("Ann"), QString())).end();
        d.table(second, listColumns, quint64(1 + storedDelta))
            .row({QStringLiteral("Ann"), {}, {}, {}, {}})
            .end(endDelta);
        d.table("sets", SetsColumns, 0).end();
        return d.finish();
    };
    QTest::newRow("fewer rows than stored") << build(1, 0, "lstt", ListColumns);
    QTest::newRow("row count at the end differs") << build(0, 1, "lstt", ListColumns);
    QTest::newRow("tables out of order") << build(0, 0, "sets", ListColumns);
    QStringList renamed = ListColumns;
    renamed[3] = QStringLiteral("trb");
    QTest::newRow("wrong column") << build(0, 0, "lstt", renamed);
    QTest::newRow("missing column") << build(0, 0, "lstt", ListColumns.mid(0, 4));

    Dump bad;
    bad.table("card", CardColumns, 0).end();
    bad.table("lstt", ListColumns, 1)
        .rowBytes({QByteArray("Ann"), QByteArray("\xe4\xb8", 2), {}, {}, {}})
        .end();
    bad.table("sets", SetsColumns, 0).end();
    QTest::newRow("invalid UTF-8") << bad.finish();

    Dump magw;
    magw.table("card", CardColumns, 0).end();
    magw.table("lstt", ListColumns, 0).end();
    magw.table("sets", SetsColumns, 1)
        .row({QStringLiteral("XD"), QStringLiteral("on"), QStringLiteral("x")})
        .end();
    QTest::newRow("magw not a number") << magw.finish();
}

void TestLegacyDump::refusesInconsistentOutput()
{
    QFETCH(QByteArray, dump);
    store::LegacyTables t;
    QString error;
    QVERIFY(!store::parseLegacyDump(dump, t, &error));
    QVERIFY(!error.isEmpty());
}

void TestLegacyDump::givesEveryCardOneEntry()
{
    card::Sheet sheet;
    sheet.text[0] = QStringLiteral("Bo");
    sheet.text[1] = QStringLiteral("Wizard");
    sheet.text[2] = QStringLiteral("Good");
    sheet.text[6] = QStringLiteral("4");
    sheet.text[8] = QStringLiteral("Elf");
    const CardRecord bo = card::toCardRecord(sheet);
    store::LegacyTables in;
    in.cards = {cardNamed(QStringLiteral("Ann"), QString(286, QLatin1Char('@'))), bo,
                CardRecord{QStringLiteral("Nil"), QString(), QString(), {}}};
    in.lists = {ListEntry{QStringLiteral("Bo"), QStringLiteral("1"), {}, {}, {}},
                ListEntry{QStringLiteral("Ann"), QStringLiteral("kept"), QString(), QStringLiteral(""),
                          QStringLiteral("x")},
                ListEntry{QStringLiteral("Bo"), QStringLiteral("2"), {}, {}, {}}};
    const store::LegacyTables out = store::repairLegacyTables(in);
    QCOMPARE(out.cards.size(), 3);
    QCOMPARE(out.lists.size(), 3);
    // The single entry stays as the file held it, NULL included.
    QCOMPARE(out.lists[0].lv, QStringLiteral("kept"));
    QVERIFY(out.lists[0].race.isNull() && same(out.lists[0].tra, QStringLiteral("")));
    // Two entries of one name become one, rebuilt from the card.
    QCOMPARE(out.lists[1], (ListEntry{QStringLiteral("Bo"), QStringLiteral("4"), QStringLiteral("Elf"),
                                      QStringLiteral("Wizard"), QStringLiteral("Good")}));
    // A card without an entry gets one; its empty values are "" as the program writes them.
    QCOMPARE(out.lists[2].nam, QStringLiteral("Nil"));
    QVERIFY(same(out.lists[2].lv, QStringLiteral("")) && same(out.lists[2].cmp, QStringLiteral("")));
}

void TestLegacyDump::turnsOrphanEntriesIntoCards()
{
    store::LegacyTables in;
    in.lists = {ListEntry{QStringLiteral("Zed"), QStringLiteral("9"), QStringLiteral("Orc"),
                          QStringLiteral("Bard"), QString()},
                ListEntry{QStringLiteral("Zed"), QStringLiteral("1"), {}, {}, {}}};
    const store::LegacyTables out = store::repairLegacyTables(in);
    QCOMPARE(out.lists.size(), 1);
    QVERIFY(out.lists[0].cmp.isNull()); // the first entry, kept as it was
    QCOMPARE(out.cards.size(), 1);
    const CardRecord& c = out.cards[0];
    QCOMPARE(c.nae, QStringLiteral("Zed"));
    QStringList values(card::InfoValueCount, QStringLiteral(""));
    values[0] = QStringLiteral("Bard"); // field 1
    values[5] = QStringLiteral("9");    // field 6
    values[7] = QStringLiteral("Orc");  // field 8
    QCOMPARE(c.info, values.join(QLatin1Char('@')));
    QCOMPARE(c.chk, QString(87, QLatin1Char('0')));
    for (const QString& note : c.notes)
        QVERIFY(same(note, QStringLiteral("")));
    // Loading the new card shows the entry's values in their fields.
    card::Sheet sheet;
    card::applyCardRecord(c, sheet);
    QCOMPARE(card::toListEntry(sheet).lv, QStringLiteral("9"));
}

void TestLegacyDump::findsDuplicateNames()
{
    QString name;
    QVERIFY(
        !store::findDuplicateCardName({cardNamed(QStringLiteral("a"), {}), cardNamed(QStringLiteral("A"), {}),
                                       cardNamed(QString(), {}), cardNamed(QString(), {})},
                                      &name));
    QVERIFY(
        store::findDuplicateCardName({cardNamed(QStringLiteral("a "), {}), cardNamed(QStringLiteral("b"), {}),
                                      cardNamed(QStringLiteral("a "), {})},
                                     &name));
    QCOMPARE(name, QStringLiteral("a "));
}

void TestLegacyDump::asksTheReaderForTheThreeTables()
{
    const QStringList args = store::legacyReaderTableArguments();
    QCOMPARE(args, QStringList({QStringLiteral("card:") + CardColumns.join(QLatin1Char(',')),
                                QStringLiteral("lstt:") + ListColumns.join(QLatin1Char(',')),
                                QStringLiteral("sets:") + SetsColumns.join(QLatin1Char(','))}));
}

QTEST_GUILESS_MAIN(TestLegacyDump)
#include "testLegacyDump.moc"
