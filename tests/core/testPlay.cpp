// The table-play commands over a sheet: plain whole numbers, the rests, the hit-point steps, the text
// summary and the roster's orders.
#include "StoreProbe.h"
#include "play/CardText.h"
#include "play/HitPoints.h"
#include "play/Rests.h"
#include "play/RosterOrder.h"

#include <QTest>

#include <algorithm>

using card::Sheet;
using play::Outcome;

Q_DECLARE_METATYPE(card::Sheet)
Q_DECLARE_METATYPE(play::RosterColumn)

namespace {

// A card in play: every tick set, hit points 30 (bloodied at 15, surges of 7, 9 a day).
Sheet playedSheet()
{
    Sheet s = probe::blankSheet();
    s.checkF.fill(true);
    s.checkWN.fill(true);
    // Name, maximum, bloodied value, surge value, surges per day, current, surges, temporary, death-save
    // failures, action points.
    const std::pair<int, const char*> fields[] = {{0, "艾琳"}, {14, "30"}, {15, "15"}, {16, "7"}, {17, "9"},
                                                  {18, "12"},  {19, "4"},  {20, "5"},  {24, "2"}, {104, "0"}};
    for (const auto& [field, text] : fields)
        s.text[field] = QString::fromUtf8(text);
    return s;
}

Outcome runStep(const QString& step, const Sheet& sheet, int amount)
{
    if (step == u"damage")
        return play::takeDamage(sheet, amount);
    if (step == u"heal")
        return play::heal(sheet, amount);
    if (step == u"temp")
        return play::gainTemporaryHitPoints(sheet, amount);
    return play::useHealingSurge(sheet);
}

} // namespace

class TestPlay : public QObject
{
    Q_OBJECT

private slots:
    void plainWholeNumber_data();
    void plainWholeNumber();
    void shortRestKeepsWhatItCannotTell();
    void extendedRest_data();
    void extendedRest();
    void hitPointSteps_data();
    void hitPointSteps();
    void refusedStepsChangeNothing_data();
    void refusedStepsChangeNothing();
    void cardText_data();
    void cardText();
    void rosterOrder_data();
    void rosterOrder();
};

void TestPlay::plainWholeNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariant>("value"); // invalid: no plain whole number
    const auto row = [](const char* text, QVariant value = {}) {
        QTest::newRow(text) << QString::fromUtf8(text) << value;
    };
    row("12", 12);
    row(" \t-3 ", -3);
    row("+007", 7);
    row("\u3000＋１２\u3000", 12);
    row("－５", -5);
    row("\u22124", -4);
    row("-999999999", -999999999);
    for (const char* text : {"1000000000", "", " \u3000", "+", "- 3", "--3", "1 2", "1.5", "12点"})
        row(text);
}

void TestPlay::plainWholeNumber()
{
    QFETCH(QString, text);
    QFETCH(QVariant, value);
    const std::optional<int> n = play::plainWholeNumber(text);
    QCOMPARE(n.has_value(), value.isValid());
    if (n)
        QCOMPARE(*n, value.toInt());
}

void TestPlay::shortRestKeepsWhatItCannotTell()
{
    const Sheet before = playedSheet();
    const Outcome rested = play::shortRest(before);

    Sheet expected = before;
    std::fill_n(expected.checkWN.begin(), card::UtilityPowerTicks, false);
    expected.checkF[card::CombatSecondWindTick] = false;
    expected.checkF[card::SecondWindTick] = false;
    expected.text[card::TemporaryHitPointsField].clear();
    expected.text[card::DeathSaveFailuresField].clear();
    QVERIFY(rested.ok());
    COMPARE_SHEETS(rested.sheet, expected);
    QCOMPARE(rested.notice,
             QStringLiteral("已短休：艾琳。辅助威能和魔法物品的使用标记未改动（无法区分每场遭遇或每日）。"));
}

void TestPlay::extendedRest_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("after"); // current hit points and surges
    QTest::addColumn<bool>("bloodied");
    QTest::addColumn<QString>("leftAlone");
    const auto row = [](const char* name, int field, const char* text, const QStringList& after,
                        bool bloodied, const char* leftAlone = "") {
        QTest::newRow(name) << field << QString::fromUtf8(text) << after << bloodied
                            << QString::fromUtf8(leftAlone);
    };
    row("plain numbers", card::NameField, "艾琳", {"30", "9"}, false);
    row("full-width maximum", card::MaxHitPointsField, " ３０ ", {"30", "9"}, false);
    row("maximum at the bloodied value", card::MaxHitPointsField, "１５", {"15", "9"}, true);
    row("maximum not a number", card::MaxHitPointsField, "三十", {"12", "9"}, true,
        "“总值”不是整数，“当前生命值”未改动。");
    row("surges per day empty", card::SurgesPerDayField, "", {"30", "4"}, false,
        "“每天复原力次数”不是整数，“当前复原力次数”未改动。");
    // The bloodied tick was set before the rest and stays set.
    row("bloodied value not a number", card::BloodiedValueField, "半", {"30", "9"}, true,
        "“重伤(1/2HP)”不是整数，“重伤”标记未改动。");
}

void TestPlay::extendedRest()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QStringList, after);
    QFETCH(bool, bloodied);
    QFETCH(QString, leftAlone);
    Sheet before = playedSheet();
    before.text[field] = text;
    const Outcome rested = play::extendedRest(before);

    Sheet expected = before;
    expected.checkWN.fill(false);
    std::fill_n(expected.checkF.begin(), card::FirstMonsterTick, false); // the monster's ticks stay
    expected.checkF[card::SecondWindTick] = false;
    expected.checkF[card::BloodiedTick] = bloodied;
    expected.text[card::CurrentHitPointsField] = after[0];
    expected.text[card::CurrentSurgesField] = after[1];
    expected.text[card::TemporaryHitPointsField].clear();
    expected.text[card::DeathSaveFailuresField].clear();
    expected.text[card::ActionPointsField] = QStringLiteral("1");
    QVERIFY(rested.ok());
    COMPARE_SHEETS(rested.sheet, expected);
    QCOMPARE(rested.notice, QStringLiteral("已长休：艾琳。") + leftAlone);
}

void TestPlay::hitPointSteps_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<int>("amount");
    QTest::addColumn<QStringList>("before"); // current, temporary, surge boxes
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<bool>("bloodied");
    const auto row = [](const char* name, const char* step, int amount, const QStringList& before,
                        const QStringList& after, bool bloodied) {
        QTest::newRow(name) << QString::fromUtf8(step) << amount << before << after << bloodied;
    };
    row("damage through temporary below 0", "damage", 20, {"10", "５", ""}, {"-5", "", ""}, true);
    row("damage taken by temporary alone", "damage", 5, {"20", "8", ""}, {"20", "3", ""}, false);
    row("damage to the bloodied value", "damage", 5, {"２０", "", ""}, {"15", "", ""}, true);
    row("heal from below 0", "heal", 5, {"-8", "2", ""}, {"5", "2", ""}, true);
    row("heal up to the maximum", "heal", 10, {"25", "", ""}, {"30", "", ""}, false);
    row("temporary does not add up", "temp", 5, {"20", "8", ""}, {"20", "8", ""}, false);
    row("temporary raised", "temp", 9, {"20", "8", ""}, {"20", "9", ""}, false);
    row("surge from below 0", "surge", 0, {"-3", "", "11"}, {"7", "", "111"}, true);
    row("surge ticks the first clear box", "surge", 0, {"10", "", "1011"}, {"17", "", "1111"}, false);
    row("surge up to the maximum", "surge", 0, {"28", "", ""}, {"30", "", "1"}, false);
}

void TestPlay::hitPointSteps()
{
    QFETCH(QString, step);
    QFETCH(int, amount);
    QFETCH(QStringList, before);
    QFETCH(QStringList, after);
    QFETCH(bool, bloodied);
    const auto withHitPoints = [](Sheet s, const QStringList& values) {
        s.text[card::CurrentHitPointsField] = values[0];
        s.text[card::TemporaryHitPointsField] = values[1];
        for (int b = 0; b < card::SurgeTickCount; ++b)
            s.checkF[card::FirstSurgeTick + b] = values[2].mid(b, 1) == u"1";
        return s;
    };
    Sheet played = playedSheet();
    played.checkF[card::BloodiedTick] = !bloodied; // each step sets the tick either way
    const Sheet sheet = withHitPoints(played, before);
    const Outcome done = runStep(step, sheet, amount);

    Sheet expected = withHitPoints(sheet, after);
    expected.checkF[card::BloodiedTick] = bloodied;
    if (step == u"surge")
        expected.text[card::CurrentSurgesField] = QStringLiteral("3");
    QVERIFY2(done.ok(), qPrintable(done.refusal));
    QVERIFY(done.notice.startsWith(QStringLiteral("艾琳：")));
    COMPARE_SHEETS(done.sheet, expected);
}

void TestPlay::refusedStepsChangeNothing_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<int>("amount");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("refusal");
    const auto row = [](const char* step, int amount, int field, const char* text, const char* refusal) {
        QTest::newRow(refusal) << QString::fromUtf8(step) << amount << field << QString::fromUtf8(text)
                               << QString::fromUtf8(refusal);
    };
    row("damage", 3, card::CurrentHitPointsField, "十二", "无法结算伤害：“当前生命值”不是整数。");
    row("damage", 3, card::TemporaryHitPointsField, "5点", "无法结算伤害：“临时生命值”不是整数。");
    row("heal", 3, card::MaxHitPointsField, "", "无法治疗：“总值”不是整数。");
    row("heal", -3, card::NameField, "艾琳", "无法治疗：数值不能为负。");
    row("temp", 3, card::BloodiedValueField, " ", "无法获得临时生命值：“重伤(1/2HP)”不是整数。");
    row("surge", 0, card::CurrentSurgesField, "０", "无法使用复原力：“当前复原力次数”为 0。");
    row("surge", 0, card::SurgeValueField, "7.5", "无法使用复原力：“紧急复原力值(1/4HP)”不是整数。");
}

void TestPlay::refusedStepsChangeNothing()
{
    QFETCH(QString, step);
    QFETCH(int, amount);
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, refusal);
    Sheet before = playedSheet();
    before.text[field] = text;
    const Outcome done = runStep(step, before, amount);
    QVERIFY(!done.ok());
    QCOMPARE(done.refusal, refusal);
    QVERIFY(done.notice.isEmpty());
    COMPARE_SHEETS(done.sheet, before);
}

void TestPlay::cardText_data()
{
    QTest::addColumn<Sheet>("sheet");
    QTest::addColumn<QString>("text");
    Sheet full = probe::blankSheet();
    const std::pair<int, const char*> fields[] = {
        {0, "艾琳"},      {1, "战士"},       {6, "３"},        {8, "人类"}, {2, "善良"},     {86, "16"},
        {87, "+3"},       {89, "14"},        {26, "15"},       {50, "18"},  {18, "25"},      {14, "30"},
        {20, "5"},        {19, "6"},         {113, "6"},       {109, "+3"}, {207, " 猛击 "}, {215, "顺劈斩"},
        {239, "长剑 +1"}, {243, "秘银链甲"}, {252, "治疗药水"}};
    for (const auto& [field, text] : fields)
        full.text[field] = QString::fromUtf8(text);
    full.checkWN[8] = full.checkWN[36] = true;
    full.checkWN[24] = true; // the tick of an empty daily power line shows nothing
    QTest::newRow("full card") << full
                               << "艾琳 — 战士 3级 人类 善良\n"
                                  "属性值：力量 16（+3），体质 14\n"
                                  "防御(状况调整值)：强韧 15，防御 18\n"
                                  "生命：当前生命值 25，总值 30，临时生命值 5，当前复原力次数 6\n"
                                  "移动 6，先攻 +3\n"
                                  "遭遇威能：顺劈斩（已使用）\n"
                                  "随意威能：猛击\n"
                                  "魔法物品：武器 长剑 +1、护甲 秘银链甲（已使用）、治疗药水";
    Sheet named = probe::blankSheet();
    named.text[0] = QStringLiteral("艾琳");
    named.checkF.fill(true);
    QTest::newRow("only the name") << named << "艾琳";
    named.text[6] = QStringLiteral("史诗");
    QTest::newRow("level that is no number") << named << "艾琳 — 史诗";
}

void TestPlay::cardText()
{
    QFETCH(Sheet, sheet);
    QFETCH(QString, text);
    QCOMPARE(play::cardText(sheet), text);
}

void TestPlay::rosterOrder_data()
{
    QTest::addColumn<play::RosterColumn>("column");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("levels by value, then the others by text")
        << play::RosterColumn::Level << QStringList{"ann", "Cid", "Fay", "Bob", "Eve", "Gus", "Dee"};
    QTest::newRow("race by text, equal races in name order, not by code points")
        << play::RosterColumn::Race << QStringList{"Dee", "Eve", "ann", "Gus", "Bob", "Cid", "Fay"};
    QTest::newRow("names") << play::RosterColumn::Name
                           << QStringList{"ann", "Bob", "Cid", "Dee", "Eve", "Fay", "Gus"};
}

void TestPlay::rosterOrder()
{
    QFETCH(play::RosterColumn, column);
    QFETCH(QStringList, names);
    QList<card::ListEntry> entries = {{"Gus", "2a", "精灵", {}, {}},   {"Fay", "3", "人类", {}, {}},
                                      {"Eve", "", "矮人", {}, {}},     {"Dee", "史诗", "矮人", {}, {}},
                                      {"Cid", "＋３", "人类", {}, {}}, {"Bob", "10", "人类", {}, {}},
                                      {"ann", "2", "精灵", {}, {}}};
    const list::NameOrder nameOrder;
    const play::RosterOrder order(nameOrder);
    order.sort(entries, column);
    QStringList sorted;
    for (const card::ListEntry& e : entries)
        sorted << e.nam;
    QCOMPARE(sorted, names);
    // One entry by one, the comparison gives the same order.
    for (qsizetype i = 1; i < entries.size(); ++i) {
        QVERIFY(order.compare(entries[i - 1], entries[i], column) < 0);
        QVERIFY(order.compare(entries[i], entries[i - 1], column) > 0);
    }
}

QTEST_GUILESS_MAIN(TestPlay)
#include "testPlay.moc"
