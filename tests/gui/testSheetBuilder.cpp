#include "app/FieldWidgets.h"
#include "app/SheetBuilder.h"
#include "card/Sheet.h"
#include "card/layout/Layout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QTabBar>
#include <QtTest>

#include <memory>
#include <set>

using layout::Item;
using layout::Kind;

class TestSheetBuilder : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void everyNamedControlIsBuilt();
    void geometryFollowsTheTable();
    void initialContents();
    void focusChainFollowsTheTable();
    void pagesBuiltLaterJoinTheTableOrder();
    void tabWalksTheVisiblePage();

private:
    QWidget* widgetOf(const Item& item) const;
    static void checkFocusChain(const std::vector<QWidget*>& expected);

    std::unique_ptr<QWidget> m_client;
    app::SheetWidgets m_w;
};

void TestSheetBuilder::init()
{
    m_client = std::make_unique<QWidget>();
    m_client->resize(layout::ClientWidth / layout::TwipsPerPixel,
                     layout::ClientHeight / layout::TwipsPerPixel);
    m_w = app::buildSheet(m_client.get());
}

void TestSheetBuilder::cleanup()
{
    m_client.reset();
}

QWidget* TestSheetBuilder::widgetOf(const Item& item) const
{
    return m_client->findChild<QWidget*>(layout::objectName(item));
}

void TestSheetBuilder::everyNamedControlIsBuilt()
{
    for (int i = 0; i < card::FieldCount; ++i) {
        QWidget* field = m_w.text[size_t(i)];
        QVERIFY(field);
        QCOMPARE(field->objectName(), QStringLiteral("Text1_%1").arg(i));
        QCOMPARE(qobject_cast<app::FieldText*>(field) != nullptr, card::isMultiLine(i));
        QCOMPARE(qobject_cast<app::FieldLine*>(field) != nullptr, !card::isMultiLine(i));
        QVERIFY(!field->accessibleName().isEmpty());
    }
    for (int i = 0; i < card::CheckWNCount; ++i)
        QCOMPARE(m_w.checkWN[size_t(i)]->objectName(), QStringLiteral("CheckWN_%1").arg(i));
    for (int i = 0; i < card::CheckFCount; ++i)
        QCOMPARE(m_w.checkF[size_t(i)]->objectName(), QStringLiteral("CheckF_%1").arg(i));
    for (int i = 0; i < 4; ++i)
        QCOMPARE(m_w.command[size_t(i)]->objectName(), QStringLiteral("Command%1").arg(i + 1));
    for (int i = 0; i < 5; ++i)
        QCOMPARE(m_w.frameA[size_t(i)]->objectName(), QStringLiteral("FrameA_%1").arg(i));
    QCOMPARE(m_w.combo1->objectName(), QStringLiteral("Combo1"));
    QCOMPARE(m_w.combo2->objectName(), QStringLiteral("Combo2"));
    QCOMPARE(m_w.list1->objectName(), QStringLiteral("List1"));
    QCOMPARE(m_w.checkSet->objectName(), QStringLiteral("CheckSet_0"));
    QCOMPARE(m_w.tabStrip->objectName(), QStringLiteral("TabStrip1"));
    QCOMPARE(m_w.frameL->objectName(), QStringLiteral("FrameL"));
    QCOMPARE(m_w.labelLR->objectName(), QStringLiteral("LabelLR"));
    QCOMPARE(m_w.labelAbout->objectName(), QStringLiteral("LabelAbout"));
    QCOMPARE(m_w.labelTras->objectName(), QStringLiteral("LabelTras"));

    // Every titled section is a group box showing its title.
    std::multiset<QString> titles;
    for (const QGroupBox* box : m_client->findChildren<QGroupBox*>())
        titles.insert(box->title());
    for (const Item& item : layout::items()) {
        if (item.kind == Kind::Frame && !item.text.isEmpty()) {
            auto it = titles.find(item.text);
            QVERIFY2(it != titles.end(), qPrintable(item.text));
            titles.erase(it);
        }
    }
    QVERIFY(titles.empty());
}

void TestSheetBuilder::geometryFollowsTheTable()
{
    for (const Item& item : layout::items()) {
        if (layout::objectName(item).isEmpty())
            continue;
        QWidget* widget = widgetOf(item);
        QVERIFY2(widget, qPrintable(layout::objectName(item)));
        const layout::Rect r = layout::absoluteRect(item);
        const QRect expected(r.left / 15, r.top / 15, r.width / 15, r.height / 15);
        const QRect actual(widget->mapTo(m_client.get(), QPoint(0, 0)), widget->size());
        QVERIFY2(actual == expected, qPrintable(layout::objectName(item)));
    }
    // Field 103 sits at (2400, 2520) in "属性值", which lies at (120, 1920) in FrameL at (120, 0).
    QCOMPARE(m_w.text[103]->mapTo(m_client.get(), QPoint(0, 0)), QPoint(176, 296));
}

void TestSheetBuilder::initialContents()
{
    QCOMPARE(app::fieldText(m_w.text[289]), card::referenceText());
    QVERIFY(qobject_cast<app::FieldText*>(m_w.text[289])->isReadOnly());
    for (int i = 0; i < card::FieldCount; ++i) {
        if (i != 289)
            QVERIFY(app::fieldText(m_w.text[size_t(i)]).isEmpty());
    }
    const QStringList modes{QStringLiteral("名字"), QStringLiteral("等级"), QStringLiteral("种族"),
                            QStringLiteral("职业"), QStringLiteral("阵营")};
    QCOMPARE(m_w.combo1->count(), int(modes.size()));
    for (int i = 0; i < modes.size(); ++i)
        QCOMPARE(m_w.combo1->itemText(i), modes[i]);
    QCOMPARE(m_w.combo1->currentIndex(), -1);
    QCOMPARE(m_w.combo1->currentText(), QString());
    QCOMPARE(m_w.combo2->count(), 1);
    QCOMPARE(m_w.combo2->itemText(0), QStringLiteral("简体中文(内置)"));
    QVERIFY(!m_w.combo2->isEnabled());
    const QStringList tabs{QStringLiteral("基础资料"), QStringLiteral("技能和专长"), QStringLiteral("威能"),
                           QStringLiteral("物品/杂记"), QStringLiteral("战斗卡")};
    QCOMPARE(m_w.tabStrip->count(), int(tabs.size()));
    for (int i = 0; i < tabs.size(); ++i)
        QCOMPARE(m_w.tabStrip->tabText(i), tabs[i]);
    QCOMPARE(m_w.tabStrip->currentIndex(), 0);
    QCOMPARE(m_w.labelLR->text(), QStringLiteral("<"));
    QCOMPARE(m_w.checkSet->text(), QStringLiteral("磁性窗体"));
    const QStringList commands{QStringLiteral("准备新增"), QStringLiteral("新增"), QStringLiteral("保存"),
                               QStringLiteral("删除")};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(m_w.command[size_t(i)]->text(), commands[i]);
    auto* line = qobject_cast<QLineEdit*>(m_w.text[0]);
    QVERIFY(line->maxLength() > 100000);
}

void TestSheetBuilder::focusChainFollowsTheTable()
{
    std::vector<QWidget*> expected;
    for (const Item& item : layout::items()) {
        if (layout::takesFocus(item.kind))
            expected.push_back(widgetOf(item));
    }
    checkFocusChain(expected);
}

void TestSheetBuilder::checkFocusChain(const std::vector<QWidget*>& expected)
{
    const std::set<QWidget*> members(expected.begin(), expected.end());
    QCOMPARE(members.size(), expected.size());
    std::vector<QWidget*> walked;
    QWidget* w = expected.front();
    do {
        if (members.count(w))
            walked.push_back(w);
        w = w->nextInFocusChain();
    } while (w != expected.front() && walked.size() <= expected.size());
    QCOMPARE(walked.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        QVERIFY2(walked[i] == expected[i], qPrintable(expected[i]->objectName()));
}

void TestSheetBuilder::pagesBuiltLaterJoinTheTableOrder()
{
    QWidget client;
    app::SheetWidgets w;
    app::SheetBuilder builder(&client, w);
    const auto builtOf = [&](const Item& item) {
        return client.findChild<QWidget*>(layout::objectName(item));
    };
    // At first: the side panel, the tab strip and the empty pages; nothing inside a page.
    for (const Item& item : layout::items()) {
        if (!layout::objectName(item).isEmpty())
            QVERIFY2((builtOf(item) != nullptr) == (item.page < 0 || item.kind == Kind::Page),
                     qPrintable(layout::objectName(item)));
    }
    QVERIFY(w.command[0] && w.list1 && w.tabStrip && w.frameA[4]);
    QVERIFY(!builder.isBuilt(0));

    // Pages built out of order, one of them on screen, end in the order of the table, named.
    client.show();
    w.frameA[2]->show();
    for (int page : {3, 1, 2, 4, 3, 0}) {
        builder.buildPage(page);
        QVERIFY(builder.isBuilt(page));
    }
    std::vector<QWidget*> expected;
    for (const Item& item : layout::items()) {
        if (layout::objectName(item).isEmpty())
            continue;
        QWidget* widget = builtOf(item);
        if (!item.name.isEmpty())
            QCOMPARE(widget->accessibleName(), item.name);
        if (layout::takesFocus(item.kind))
            expected.push_back(widget);
        if (item.page == 2 && item.kind != Kind::Page)
            QVERIFY2(widget->isVisible(), qPrintable(layout::objectName(item)));
    }
    checkFocusChain(expected);
    QCOMPARE(client.findChildren<app::FieldLine*>().size() + client.findChildren<app::FieldText*>().size(),
             qsizetype(card::FieldCount));
}

void TestSheetBuilder::tabWalksTheVisiblePage()
{
    for (int i = 1; i < 5; ++i)
        m_w.frameA[size_t(i)]->hide();
    m_client->show();
    QVERIFY(QTest::qWaitForWindowActive(m_client.get()));
    const std::pair<int, int> steps[] = {{0, 1},   {5, 6},   {13, 14}, {17, 18},
                                         {24, 25}, {25, 26}, {57, 58}, {84, 85}};
    for (const auto& [from, to] : steps) {
        m_w.text[size_t(from)]->setFocus();
        QVERIFY(m_w.text[size_t(from)]->hasFocus());
        QTest::keyClick(m_w.text[size_t(from)], Qt::Key_Tab);
        QVERIFY2(m_w.text[size_t(to)]->hasFocus(), qPrintable(QString::number(from)));
    }
    // Second wind: field 20, then its "used" box.
    m_w.text[20]->setFocus();
    QTest::keyClick(m_w.text[20], Qt::Key_Tab);
    QVERIFY(m_w.checkF[29]->hasFocus());
}

QTEST_MAIN(TestSheetBuilder)
#include "testSheetBuilder.moc"
