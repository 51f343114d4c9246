// The card list: the text of a list line in each display mode, and the selected-name rule that
// takes the card's name back out of such a line.
#include "store/CardList.h"

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

class TestCardList : public QObject
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
};

void TestCardList::modeFunctionsGiveComboTexts()
{
    QCOMPARE(store::modeName(), Modes[1]);
    QCOMPARE(store::modeLevel(), Modes[2]);
    QCOMPARE(store::modeRace(), Modes[3]);
    QCOMPARE(store::modeClass(), Modes[4]);
    QCOMPARE(store::modeAlignment(), Modes[5]);
}

void TestCardList::entryTexts_data()
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

void TestCardList::entryTexts()
{
    QFETCH(QString, mode);
    QFETCH(ListEntry, entry);
    QFETCH(QString, text);
    QCOMPARE(store::entryText(mode, entry), text);
    QCOMPARE(store::selectedName(mode, text), entry.nam);
}

void TestCardList::emptyTextGivesEmptyName()
{
    for (const QString& mode : Modes) {
        const QString name = store::selectedName(mode, QString());
        QVERIFY2(name.isEmpty(), qPrintable(mode));
        QVERIFY2(store::selectedName(mode, QStringLiteral("")).isEmpty(), qPrintable(mode));
    }
}

void TestCardList::textWithoutSeparator_data()
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

void TestCardList::textWithoutSeparator()
{
    QFETCH(QString, mode);
    QFETCH(QString, name);
    QCOMPARE(store::selectedName(mode, QStringLiteral("Ann")), name);
}

void TestCardList::namesSurviveEveryMode_data()
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

void TestCardList::namesSurviveEveryMode()
{
    QFETCH(ListEntry, entry);
    for (const QString& mode : Modes) {
        const QString text = store::entryText(mode, entry);
        QCOMPARE(text.count(QLatin1Char('-')), 4);
        QVERIFY2(text.contains(QStringLiteral("Lv.") + entry.lv), qPrintable(text));
        QCOMPARE(store::selectedName(mode, text), entry.nam);
    }
}

QTEST_GUILESS_MAIN(TestCardList)
#include "testCardList.moc"
