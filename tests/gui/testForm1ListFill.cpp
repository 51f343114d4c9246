// List1 filled from the store in slices: a small store listed before the window shows, a large one
// after it, in name order, with the keys, the bar, the search and the writes that come meanwhile.
#include "Form1Seam.h"
#include "RawDb.h"
#include "WindowTest.h"
#include "app/Form1.h"
#include "app/list/ListFill.h"
#include "app/list/ListSearchLine.h"
#include "card/CardRecord.h"
#include "list/ListLines.h"
#include "list/ListSearch.h"
#include "list/NameOrder.h"

#include <QListView>
#include <QScrollBar>
#include <QtTest>

using app::Form1;

namespace {

// Counts the lines a list has when its first paint comes.
class FirstPaint : public QObject
{
public:
    explicit FirstPaint(QListView* list) : m_list(list) { list->viewport()->installEventFilter(this); }
    int rows = -1;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && rows < 0)
            rows = m_list->model()->rowCount();
        return false;
    }

private:
    QListView* m_list;
};

} // namespace

class TestForm1ListFill : public kit::WindowTest
{
    Q_OBJECT

private slots:
    void init() { openWindowWithAllPages(); }
    void cleanup() { closeWindow(); }

    void aStoreOfLessThanOneSliceIsListedBeforeTheWindowShows()
    {
        const auto addRows = [this](int from, int to) {
            kit::RawDb raw(storePath());
            bool ok = raw.exec(QStringLiteral("BEGIN"));
            for (int i = from; i < to; ++i)
                ok = ok && raw.exec(QStringLiteral("INSERT INTO lstt VALUES (?, '1', '', '', '')"),
                                    {QStringLiteral("角色%1").arg(i)});
            return ok && raw.exec(QStringLiteral("COMMIT"));
        };
        QVERIFY(addRows(0, app::ListFill::SliceRows - 1));
        m_form = std::make_unique<Form1>(m_dir->path());
        QVERIFY(!form().isListFilling());
        QCOMPARE(listTexts().size(), app::ListFill::SliceRows - 1);

        // One card more and nothing is read before the window is up.
        QVERIFY(addRows(app::ListFill::SliceRows - 1, app::ListFill::SliceRows));
        m_form = std::make_unique<Form1>(m_dir->path());
        QVERIFY(form().isListFilling());
        QCOMPARE(listTexts(), QStringList{});
        QTRY_VERIFY(!form().isListFilling());
        QCOMPARE(listTexts().size(), app::ListFill::SliceRows);
    }

    void aLargeListFillsInSlicesInNameOrder()
    {
        // Several slices, and more lines than one step of the merge adds.
        const int count = app::ListFill::MergeRows + app::ListFill::SliceRows / 2;
        QList<card::ListEntry> expected;
        {
            kit::RawDb raw(storePath());
            QVERIFY(raw.exec(QStringLiteral("BEGIN")));
            for (int i = 0; i < count; ++i) {
                const QString name = (i % 3 == 0   ? QStringLiteral("角色%1")
                                      : i % 3 == 1 ? QStringLiteral("Hero %1")
                                                   : QStringLiteral("hero%1"))
                                         .arg((i * 7919) % count);
                const card::ListEntry e{name, QString::number(i % 20), QStringLiteral("精灵"), {}, {}};
                QVERIFY(raw.exec(QStringLiteral("INSERT INTO lstt VALUES (?, ?, ?, '', '')"),
                                 {e.nam, e.lv, e.race}));
                expected << e;
            }
            QVERIFY(raw.exec(QStringLiteral("COMMIT")));
        }
        list::sortByName(expected, list::NameOrder());
        QStringList texts;
        for (const card::ListEntry& e : expected)
            texts << list::entryText(QStringLiteral("等级"), e);

        // At start-up a large store waits for the window; the first screenful then comes at once.
        m_form = std::make_unique<Form1>(m_dir->path());
        QVERIFY(form().isListFilling());
        QCOMPARE(listTexts(), QStringList{});
        FirstPaint firstPaint(form().widgets().list1);
        form().show();
        QVERIFY(QTest::qWaitForWindowExposed(&form()));
        QTRY_VERIFY(firstPaint.rows >= 0);
        QCOMPARE(firstPaint.rows, app::ListFill::HeadLines);
        chooseMode(1);
        QVERIFY(form().isListFilling());
        QCOMPARE(listTexts(), texts.mid(0, app::ListFill::HeadLines));
        QTRY_VERIFY(!form().isListFilling());
        QCOMPARE(listTexts(), texts);

        // Far down the list, the keys reach the lines, the one reached is in view, and the line
        // under a point is the one shown there.
        QListView* list = form().widgets().list1;
        const QRect view = list->viewport()->rect();
        list->setFocus();
        QTest::keyClick(list, Qt::Key_End);
        QCOMPARE(list->currentIndex().row(), count - 1);
        QVERIFY(view.contains(list->visualRect(list->currentIndex())));
        QTest::keyClick(list, Qt::Key_PageUp);
        const int up = list->currentIndex().row();
        QVERIFY(up < count - 1 &&
                up > count - 1 - view.height() / list->visualRect(list->currentIndex()).height());
        QVERIFY(view.contains(list->visualRect(list->currentIndex())));
        const QModelIndex below = list->model()->index(up + 1, 0);
        QVERIFY(view.contains(list->visualRect(below).center()));
        QCOMPARE(list->indexAt(list->visualRect(below).center()), below);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(below).center());
        QCOMPARE(list->selectionModel()->selectedIndexes(), QModelIndexList{below});

        // The bar scrolls line by line: at its end the last line is wholly in view at the bottom, at its
        // start the first line is at the top, and Home and Page Down walk from there.
        QScrollBar* bar = list->verticalScrollBar();
        bar->setValue(bar->maximum());
        const QRect lastLine = list->visualRect(list->model()->index(count - 1, 0));
        QVERIFY(view.contains(lastLine) && lastLine.bottom() + lastLine.height() > view.bottom());
        QTest::keyClick(list, Qt::Key_Home);
        QCOMPARE(bar->value(), 0);
        QCOMPARE(list->visualRect(list->currentIndex()).top(), 0);
        QTest::keyClick(list, Qt::Key_PageDown);
        QCOMPARE(list->currentIndex().row(), view.height() / lastLine.height() - 1);

        // A larger font makes every line taller at once.
        const QFont before = list->font();
        QFont larger = before;
        larger.setPointSize(larger.pointSize() * 2);
        list->setFont(larger);
        const int tall = list->visualRect(list->model()->index(0, 0)).height();
        QVERIFY(tall > lastLine.height());
        QCOMPARE(list->visualRect(list->model()->index(5, 0)).top() -
                     list->visualRect(list->model()->index(0, 0)).top(),
                 5 * tall);
        list->setFont(before);

        // With the search line open, a list filled again shows only the lines that contain the text,
        // and every line once it closes.
        const QString sought = QStringLiteral("角色1");
        QStringList found;
        for (const QString& t : texts) {
            if (list::matchesSearch(t, list::searchForm(sought)))
                found << t;
        }
        QVERIFY(!found.isEmpty() && found.size() < texts.size());
        app::Form1Seam::searchLine(form())->open(sought);
        chooseMode(1);
        QVERIFY(form().isListFilling());
        QTRY_VERIFY(!form().isListFilling());
        QCOMPARE(listTexts(), found);
        QTest::keyClick(app::Form1Seam::searchLine(form()), Qt::Key_Escape);
        QCOMPARE(listTexts(), texts);

        // A write while the list is still filling completes it first.
        chooseMode(1);
        addCard(QStringLiteral("hero0a"), QStringLiteral("1"), {}, {}, {});
        QVERIFY(!form().isListFilling());
        const QStringList all = listTexts();
        QCOMPARE(all.size(), count + 1);
        form().RefreshList();
        QTRY_VERIFY(!form().isListFilling());
        QCOMPARE(listTexts(), all);

        // Another program adds a card while the list is read: the lines are all replaced, as by a new
        // refresh, and the line picked meanwhile is no longer selected.
        chooseMode(1);
        pick(3);
        QVERIFY(enabled(form(), 2));
        {
            kit::RawDb raw(storePath());
            QVERIFY(raw.exec(QStringLiteral("INSERT INTO lstt VALUES ('阿', '1', '', '', '')")));
        }
        QTRY_VERIFY(!form().isListFilling());
        QCOMPARE(listTexts().size(), count + 2);
        QCOMPARE(listTexts().first(), QStringLiteral("Lv.1---阿-"));
        QVERIFY(nothingSelected());
        QVERIFY(!enabled(form(), 2) && !enabled(form(), 3));
    }
};

QTEST_MAIN(TestForm1ListFill)
#include "testForm1ListFill.moc"
