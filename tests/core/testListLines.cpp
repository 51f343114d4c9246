// The card list: the text of a list line in each display mode, and the selected-name rule that
// takes the card's name back out of such a line.
#include "list/ListLines.h"
#include "list/ListSearch.h"
#include "list/NameOrder.h"

#include <QTest>

using card::ListEntry;

Q_DECLARE_METATYPE(card::ListEntry)

namespace {

// The items of Combo1, and the empty mode shown before one is chosen.
const QString Modes[] = {QString(),
                         QStringLiteral("名字"),
                         QStringLiteral("等级"),
                         QStringLiteral("种族"),
                         QStringLiteral("职业"),
                         QStringLiteral("阵营")};

ListEntry ann()
{
    return {QStringLiteral("Ann"), QStringLiteral("3"), QStringLiteral("Elf"), QStringLiteral("Wizard"),
            QStringLiteral("Good")};
}

} // namespace

class TestListLines : public QObject
{
    Q_OBJECT

private slots:
    void modeFunctionsGiveComboTexts();
    void entryTexts_data();
    void entryTexts();
    void emptyTextGivesEmptyName();
    void textWithoutSeparator_data();
    void textWithoutSeparator();
    void namesSurviveEveryMode_data();
    void namesSurviveEveryMode();
    void nameOrderIsChineseCollation();
    void searchIgnoresCaseAndWidth();
    void searchFindsWhatTheNormalisedLineHolds();
};

void TestListLines::modeFunctionsGiveComboTexts()
{
    QCOMPARE(list::modeName(), Modes[1]);
    QCOMPARE(list::modeLevel(), Modes[2]);
    QCOMPARE(list::modeRace(), Modes[3]);
    QCOMPARE(list::modeClass(), Modes[4]);
    QCOMPARE(list::modeAlignment(), Modes[5]);
}

void TestListLines::entryTexts_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<ListEntry>("entry");
    QTest::addColumn<QString>("text");

    const ListEntry bob{QStringLiteral("Bob"), {}, {}, {}, {}};
    // The same card with every summary column empty but present (stored as empty text).
    const ListEntry bobBlank{QStringLiteral("Bob"), QStringLiteral(""), QStringLiteral(""),
                             QStringLiteral(""), QStringLiteral("")};
    const struct
    {
        const char* label;
        QString mode;
        QString annText;
        QString bobText;
    } rows[] = {
        {"no mode", Modes[0], QStringLiteral("Ann-Lv.3-Elf-Wizard-Good"), QStringLiteral("Bob-Lv.---")},
        {"名字", Modes[1], QStringLiteral("Ann-Lv.3-Elf-Wizard-Good"), QStringLiteral("Bob-Lv.---")},
        {"等级", Modes[2], QStringLiteral("Lv.3-Elf-Wizard-Ann-Good"), QStringLiteral("Lv.---Bob-")},
        {"种族", Modes[3], QStringLiteral("Elf-Ann-Lv.3-Wizard-Good"), QStringLiteral("-Bob-Lv.--")},
        {"职业", Modes[4], QStringLiteral("Wizard-Lv.3-Elf-Ann-Good"), QStringLiteral("-Lv.--Bob-")},
        {"阵营", Modes[5], QStringLiteral("Good-Lv.3-Elf-Wizard-Ann"), QStringLiteral("-Lv.---Bob")},
    };
    for (const auto& row : rows) {
        QTest::addRow("Ann, %s", row.label) << row.mode << ann() << row.annText;
        QTest::addRow("Bob empty, %s", row.label) << row.mode << bob << row.bobText;
        QTest::addRow("Bob blank, %s", row.label) << row.mode << bobBlank << row.bobText;
    }
    // Chinese values and a level that is not a number.
    const ListEntry zhang{QStringLiteral("张三"), QStringLiteral("十"), QStringLiteral("矮人"),
                          QStringLiteral("战士"), QStringLiteral("守序善良")};
    QTest::newRow("Chinese, 等级") << Modes[2] << zhang << QStringLiteral("Lv.十-矮人-战士-张三-守序善良");
    QTest::newRow("Chinese, 种族") << Modes[3] << zhang << QStringLiteral("矮人-张三-Lv.十-战士-守序善良");
}

void TestListLines::entryTexts()
{
    QFETCH(QString, mode);
    QFETCH(ListEntry, entry);
    QFETCH(QString, text);
    QCOMPARE(list::entryText(mode, entry), text);
    QCOMPARE(list::selectedName(mode, text), entry.nam);
    QCOMPARE(text.mid(list::nameOffset(mode, entry), entry.nam.size()), entry.nam);
}

void TestListLines::emptyTextGivesEmptyName()
{
    for (const QString& mode : Modes) {
        const QString name = list::selectedName(mode, QString());
        QVERIFY2(name.isEmpty(), qPrintable(mode));
        QVERIFY2(list::selectedName(mode, QStringLiteral("")).isEmpty(), qPrintable(mode));
    }
}

void TestListLines::textWithoutSeparator_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("name");
    // A text without "-": the first-value modes and the middle-value modes find no name, the
    // last-value mode takes the whole text.
    QTest::newRow("no mode") << Modes[0] << QString();
    QTest::newRow("名字") << Modes[1] << QString();
    QTest::newRow("等级") << Modes[2] << QString();
    QTest::newRow("种族") << Modes[3] << QString();
    QTest::newRow("职业") << Modes[4] << QString();
    QTest::newRow("阵营") << Modes[5] << QStringLiteral("Ann");
}

void TestListLines::textWithoutSeparator()
{
    QFETCH(QString, mode);
    QFETCH(QString, name);
    QCOMPARE(list::selectedName(mode, QStringLiteral("Ann")), name);
}

void TestListLines::namesSurviveEveryMode_data()
{
    QTest::addColumn<ListEntry>("entry");
    const auto entry = [](const QString& name) {
        return ListEntry{name, QStringLiteral("12"), QStringLiteral("Human"), QStringLiteral("Lv.3"),
                         QStringLiteral("Unaligned")};
    };
    QTest::newRow("quote") << entry(QStringLiteral("O'Brien"));
    QTest::newRow("blanks") << entry(QStringLiteral("   "));
    QTest::newRow("blanks around") << entry(QStringLiteral(" Ann "));
    QTest::newRow("looks like a level") << entry(QStringLiteral("Lv.9"));
    QTest::newRow("Chinese") << entry(QStringLiteral("张三"));
    QTest::newRow("emoji") << entry(QStringLiteral("🎲😀"));
    QTest::newRow("full-width minus") << entry(QStringLiteral("甲－乙"));
    QTest::newRow("empty name") << entry(QString());
    QTest::newRow("empty summary") << ListEntry{QStringLiteral("Eve"), {}, {}, {}, {}};
}

void TestListLines::namesSurviveEveryMode()
{
    QFETCH(ListEntry, entry);
    for (const QString& mode : Modes) {
        const QString text = list::entryText(mode, entry);
        QCOMPARE(text.count(QLatin1Char('-')), 4);
        QVERIFY2(text.contains(QStringLiteral("Lv.") + entry.lv), qPrintable(text));
        QCOMPARE(list::selectedName(mode, text), entry.nam);
    }
}

void TestListLines::nameOrderIsChineseCollation()
{
    const list::NameOrder order;
    const auto entry = [](const char* name) { return ListEntry{QString::fromUtf8(name), {}, {}, {}, {}}; };
    // Given in code-point order, which is not the order a reader expects.
    QList<ListEntry> entries{entry("Lv.11"), entry("Lv.3"), entry("ann"), entry("Ann"),
                             entry("Bob"),   entry("丁"),   entry("丙"),  entry("乙"),
                             entry("张三"),  entry("阿"),   entry("𠀀"),  entry("\uff21nn")};
    list::sortByName(entries, order);
    QStringList names;
    for (const ListEntry& e : entries)
        names << e.nam;
    const auto before = [&names](const char* a, const char* b) {
        return names.indexOf(QString::fromUtf8(a)) < names.indexOf(QString::fromUtf8(b));
    };
    // Pinyin: a, bing, ding, yi, zhang (code points would put 阿 and 张 last and 丁 first).
    QVERIFY2(before("阿", "丙") && before("丙", "丁") && before("丁", "乙") && before("乙", "张三"),
             qPrintable(names.join(u' ')));
    QVERIFY2(before("Lv.3", "Lv.11"), qPrintable(names.join(u' ')));
    // Names equal but for case or width stand side by side, in code-point order.
    const qsizetype ann = names.indexOf(QStringLiteral("Ann"));
    QCOMPARE(names.mid(ann, 3),
             (QStringList{QStringLiteral("Ann"), QStringLiteral("ann"), QStringLiteral("\uff21nn")}));
    QVERIFY(order.compare(QStringLiteral("ann"), QStringLiteral("Ann")) > 0);
    QCOMPARE(order.compare(QStringLiteral("Ann"), QStringLiteral("Ann")), 0);
    // Code points, not UTF-16 units: U+FF21 comes before U+20000.
    QVERIFY(list::NameOrder::compareCodePoints(QStringLiteral("\uff21"), QStringLiteral("𠀀")) < 0);
    // Sorting and comparing agree, so a line put in later finds the same place.
    for (qsizetype i = 1; i < entries.size(); ++i)
        QVERIFY2(order.less(entries[i - 1].nam, entries[i].nam), qPrintable(entries[i].nam));
}

void TestListLines::searchIgnoresCaseAndWidth()
{
    const QString line = QStringLiteral("Ann-Lv.12-精灵-法师-守序善良");
    QVERIFY(list::matchesSearch(line, list::searchForm(QStringLiteral("aNN"))));
    QVERIFY(list::matchesSearch(line, list::searchForm(QStringLiteral("\uff41\uff4e\uff4e")))); // ａｎｎ
    QVERIFY(list::matchesSearch(line, list::searchForm(QStringLiteral("lv.\uff11\uff12"))));    // lv.１２
    QVERIFY(list::matchesSearch(line, list::searchForm(QStringLiteral("法师"))));
    QVERIFY(list::matchesSearch(line, list::searchForm(QString())));
    QVERIFY(!list::matchesSearch(line, list::searchForm(QStringLiteral("Bob"))));
    // A full-width line is found by half-width typing too.
    QVERIFY(list::matchesSearch(QStringLiteral("\uff22\uff4f\uff42-Lv.---"),
                                list::searchForm(QStringLiteral("bob"))));
    QVERIFY(
        list::matchesSearch(QStringLiteral("\uff76\uff72-Lv.---"), list::searchForm(QStringLiteral("カイ"))));
}

void TestListLines::searchFindsWhatTheNormalisedLineHolds()
{
    // Lines already in normal form are matched as they are, the others through their normal form:
    // both find exactly what the normalised, case-folded line contains.
    const QStringList lines{QStringLiteral("Ann-Lv.12-精灵-法师-守序善良"),
                            QStringLiteral("ANNA-Lv.3-人类---"),
                            QStringLiteral("Cafe\u0301-Lv.1---"), // e + combining acute: é
                            QStringLiteral("Café-Lv.1---"),
                            QStringLiteral("\uff21\uff4e\uff4e-Lv.---"), // Ａｎｎ
                            QStringLiteral("Stra\u00dfe-Lv.---"),        // ß
                            QStringLiteral("\u212Aai-Lv.---"),           // Kelvin sign
                            QStringLiteral("㐀阿\u9fff-Lv.---"),
                            QStringLiteral("阿尔·米 Ka-Lv.5---"),
                            QStringLiteral("\u0387\u00b7-Lv.---"), // Greek ano teleia: a middle dot
                            QStringLiteral("ΟΔΥΣΣΕΑΣ Ὀδυσσεύς-Lv.-Ωρα-Ζεύς-"),
                            QStringLiteral("ΣΟΦΟΣ σοφος σοφός-Lv.---"),
                            QStringLiteral("ΣΟΦΟΣ σοφος ΩΡΑ-Lv.---"),
                            QStringLiteral("Иван Грозный ЁЖ-Lv.-Русь--"),
                            QStringLiteral("Ἀθηνᾶ·Åberg ὁ·Σοφός-Lv.-Φοίβη-Фёдор-"), // normal, not plain
                            QStringLiteral("서연·Øystein さくら-Lv.---"),
                            QStringLiteral("\u1100\u1161\u11a8 Ἀ\u0313-Lv.---"), // joins: 각, and a breathing
                            QStringLiteral("\U00010400\U00010428-Lv.---"), // 𐐀𐐨: folds outside the plane
                            QString()};
    QStringList typed{QStringLiteral("a"),       QStringLiteral("an"),        QStringLiteral("ANN"),
                      QStringLiteral("nna-"),    QStringLiteral("café"),      QStringLiteral("cafe"),
                      QStringLiteral("e"),       QStringLiteral("ss"),        QStringLiteral("kai"),
                      QStringLiteral("阿"),      QStringLiteral("lv.12"),     QStringLiteral("-lv.---"),
                      QStringLiteral("１２"),    QStringLiteral("守序善良x"), QStringLiteral("·米 k"),
                      QStringLiteral("··"),      QStringLiteral("οδυσσ"),     QStringLiteral("σοφος"),
                      QStringLiteral("ΣΟΦΟΣ Σ"), QStringLiteral("ωρα"),       QStringLiteral("грозн"),
                      QStringLiteral("ёж"),      QStringLiteral("ИВАН")};
    typed << QStringLiteral("ἀθην") << QStringLiteral("åberg") << QStringLiteral("ΣΟΦΌΣ")
          << QStringLiteral("서") << QStringLiteral("øy") << QStringLiteral("각") << QStringLiteral("\u1100")
          << QStringLiteral("\U00010428\U00010428") << QStringLiteral("\U00010428");
    for (const QString& line : lines) {
        const QString normal = line.normalized(QString::NormalizationForm_KC).toCaseFolded();
        // A line told normal is one the normalisation leaves alone; each is matched both ways.
        const bool told = list::isSearchNormal(line);
        QVERIFY2(!told || line.normalized(QString::NormalizationForm_KC) == line, qPrintable(line));
        for (const QString& text : typed) {
            const QString form = list::searchForm(text);
            const QString what = line + QLatin1String(" / ") + text;
            QVERIFY2(list::matchesSearch(line, form) == normal.contains(form), qPrintable(what));
            QVERIFY2(list::matchesSearch(line, told, form) == normal.contains(form), qPrintable(what));
            QVERIFY2(list::matchesSearch(line, false, form) == normal.contains(form), qPrintable(what));
        }
    }
}

QTEST_GUILESS_MAIN(TestListLines)
#include "testListLines.moc"
