// List1 in the main window: the line a click or a key picks, the search line over it, its context menu,
// and the one line a write changes as a full refresh would show it.
#include "Form1Seam.h"
#include "RawDb.h"
#include "WindowTest.h"
#include "app/Form1.h"
#include "app/list/CardListModel.h"
#include "app/list/ListMenu.h"
#include "app/list/ListSearchLine.h"
#include "card/CardRecord.h"

#include <QAction>
#include <QListView>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QtTest>

using app::Form1;

class TestForm1List : public kit::WindowTest
{
    Q_OBJECT

private slots:
    void init() { openWindowWithAllPages(); }
    void cleanup() { closeWindow(); }

    void listMenuNamesTheLineUnderThePointerAndLeavesTheSelection()
    {
        addCard(QStringLiteral("Ann"), {}, {}, {}, {});
        addCard(QStringLiteral("Bob"), {}, {}, {}, {});
        pick(0);
        QListView* list = form().widgets().list1;
        app::ListMenu* menu = form().listMenu();
        QStringList fired;
        QAction* onLine = menu->addItem(QStringLiteral("甲"), true, [&](const QString& n) { fired << n; });
        QAction* anywhere = menu->addItem(QStringLiteral("乙"), false, [&](const QString& n) { fired << n; });

        menu->prepare(list->visualRect(list->model()->index(1, 0)).center());
        QVERIFY(onLine->isEnabled() && anywhere->isEnabled());
        onLine->trigger();
        QCOMPARE(fired, QStringList{QStringLiteral("Bob")});
        QCOMPARE(list->selectionModel()->selectedIndexes().first().row(), 0);
        QCOMPARE(field(0), QStringLiteral("Ann"));

        // Below the last line: only the items that need no line.
        menu->prepare(QPoint(5, list->visualRect(list->model()->index(1, 0)).bottom() + 3));
        QVERIFY(!onLine->isEnabled() && anywhere->isEnabled());
        anywhere->trigger();
        QCOMPARE(fired.last(), QString());
    }

    void writesChangeOneLineAsAFullRefreshWould()
    {
        // Names that the collation orders apart from their code points, or finds equal.
        const QStringList pool =
            QString::fromUtf8("Ann ann Ａnn Bob bob 丙 丁 乙 阿 张三 张三丰 Lv.3 Lv.11 Lv.2 O'Brien "
                              "Zoë zoe 𠀀 ｶｲ カイ 李白 Élodie elodie 10 9 x")
                .split(u' ');
        QRandomGenerator random(20261207);
        const auto value = [&random](const char* prefix) -> QString {
            return QString::fromUtf8(prefix) + QString::number(random.bounded(12));
        };
        // Every display mode, and the first one again with a search open.
        for (int pass = 0; pass < 7; ++pass) {
            chooseMode(pass < 6 ? pass - 1 : 0);
            if (pass == 6)
                app::Form1Seam::searchLine(form())->open(QStringLiteral("a"));
            for (int step = 0; step < 30; ++step) {
                const int rows = form().widgets().list1->model()->rowCount();
                const int op = random.bounded(3);
                if (op == 0 || rows == 0) {
                    addCard(pool[random.bounded(pool.size())], value(""), value("精灵"), value("Wizard"),
                            value("善良"));
                } else {
                    pick(random.bounded(rows));
                    if (op == 1) {
                        setField(6, value(""));
                        setField(2, value("Ｇood"));
                        form().Command3_Click();
                    } else {
                        MessageBox::setNextAnswer(MessageBox::Yes);
                        form().Command4_Click();
                    }
                }
                QVERIFY(nothingSelected());
                QVERIFY(!enabled(form(), 2) && !enabled(form(), 3));
            }
            const QStringList texts = listTexts();
            const QStringList names = listNames();
            const bool adding = enabled(form(), 1);
            form().RefreshList();
            QCOMPARE(texts, listTexts());
            QCOMPARE(names, listNames());
            QCOMPARE(enabled(form(), 1), adding);
        }
        QVERIFY(MessageBox::history().size() > 0); // the duplicate adds were refused, as they should be
    }

    void findShowsTheLinesThatContainTheTypedText()
    {
        form().show();
        QVERIFY(QTest::qWaitForWindowExposed(&form()));
        for (const char* name : {"Ann", "Bob", "ｂｏｂ２", "张三", "Dana"})
            addCard(QString::fromUtf8(name), QStringLiteral("3"), {}, {}, {});
        QListView* list = form().widgets().list1;
        app::ListSearchLine* find = app::Form1Seam::searchLine(form());
        list->setFocus();
        pick(static_cast<int>(listNames().indexOf(QStringLiteral("Bob")))); // loaded
        QCOMPARE(field(0), QStringLiteral("Bob"));

        // Typing into the list opens the search line over its top, inside its rectangle.
        QTest::keyClicks(list, QStringLiteral("B"));
        QVERIFY(find->isVisible() && find->hasFocus());
        QVERIFY(list->rect().contains(find->geometry()));
        QVERIFY(list->viewport()->geometry().top() >= find->geometry().bottom());
        QCOMPARE(listNames(), (QStringList{QStringLiteral("Bob"), QStringLiteral("ｂｏｂ２")}));
        QCOMPARE(list->selectionModel()->selectedIndexes().size(), 1); // Bob stays picked
        QVERIFY(enabled(form(), 2));
        typeText(find, QStringLiteral("ｏb2")); // full-width and half-width alike
        QCOMPARE(listNames(), QStringList{QStringLiteral("ｂｏｂ２")});
        QVERIFY(nothingSelected()); // Bob is no longer shown, yet still the card picked
        QVERIFY(enabled(form(), 2) && enabled(form(), 3));
        QCOMPARE(field(0), QStringLiteral("Bob"));
        QTest::keyClick(find, Qt::Key_Down); // the arrows pick among the lines found
        QCOMPARE(field(0), QStringLiteral("ｂｏｂ２"));
        QVERIFY(enabled(form(), 2) && find->hasFocus());

        // Escape clears and closes it: every line is back, the pick stays.
        QTest::keyClick(find, Qt::Key_Escape);
        QVERIFY(!find->isVisible());
        QCOMPARE(find->text(), QString());
        QCOMPARE(listTexts().size(), 5);
        QCOMPARE(list->selectionModel()->selectedIndexes().first().data().toString(),
                 QStringLiteral("ｂｏｂ２-Lv.3---"));
        QVERIFY(list->hasFocus());

        // Ctrl+F from anywhere in the window; nothing found shows no line.
        form().widgets().text[3]->setFocus();
        QTest::keyClick(&form(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(find->isVisible() && find->hasFocus());
        typeText(find, QStringLiteral("张三丰"));
        QCOMPARE(listTexts(), QStringList{});
        QTest::keyClick(find, Qt::Key_Escape);
        QCOMPARE(listTexts().size(), 5);
    }

    void aSearchNeverUnpicksTheLoadedCard()
    {
        // More cards than the list shows at once.
        {
            kit::RawDb raw(storePath());
            const card::Sheet empty;
            QVERIFY(raw.exec(QStringLiteral("BEGIN")));
            for (int i = 0; i < 80; ++i) {
                const QString name = QStringLiteral("角色%1").arg(i, 2, 10, QLatin1Char('0'));
                QVERIFY(raw.exec(QStringLiteral("INSERT INTO card (Nae, Info, Chk) VALUES (?, ?, ?)"),
                                 {name, card::encodeInfo(empty), card::encodeTicks(empty)}));
                QVERIFY(raw.exec(QStringLiteral("INSERT INTO lstt VALUES (?, '1', '', '', '')"), {name}));
            }
            QVERIFY(raw.exec(QStringLiteral("COMMIT")));
        }
        form().RefreshList();
        form().show();
        QVERIFY(QTest::qWaitForWindowExposed(&form()));
        QListView* list = form().widgets().list1;
        app::ListSearchLine* find = app::Form1Seam::searchLine(form());
        // The card's line is the one selected and the current one, wholly in view.
        const auto pickedInView = [list](const QString& name) {
            const QModelIndexList selected = list->selectionModel()->selectedIndexes();
            return selected.size() == 1 && selected.first() == list->currentIndex() &&
                   selected.first().data(app::CardListModel::NameRole).toString() == name &&
                   list->viewport()->rect().contains(list->visualRect(selected.first()));
        };

        // Hidden by the search, the loaded card can still be saved, with Ctrl+S too.
        pick(70);
        setField(3, QStringLiteral("edited"));
        find->open(QStringLiteral("角色1"));
        QCOMPARE(listNames().size(), 10);
        QVERIFY(enabled(form(), 2) && enabled(form(), 3));
        QTest::keyClick(find, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(nothingSelected() && !enabled(form(), 2));
        QCOMPARE(field(3), QStringLiteral("edited"));
        QTest::keyClick(find, Qt::Key_Escape);
        QVERIFY(nothingSelected());
        pick(70);
        QCOMPARE(field(3), QStringLiteral("edited")); // as saved

        // Escape selects its line again, in view, and loads nothing.
        setField(4, QStringLiteral("kept"));
        find->open(QStringLiteral("角色1"));
        QTRY_VERIFY(list->verticalScrollBar()->maximum() < 10); // laid out for the lines found
        QTest::keyClick(find, Qt::Key_Escape);
        QVERIFY(pickedInView(QStringLiteral("角色70")));
        QCOMPARE(field(4), QStringLiteral("kept"));
        QVERIFY(enabled(form(), 2) && enabled(form(), 3));

        // A card picked through the search is in view once the search closes.
        list->scrollToTop();
        find->open(QStringLiteral("角色7"));
        pick(static_cast<int>(listNames().indexOf(QStringLiteral("角色79"))));
        QTRY_VERIFY(list->verticalScrollBar()->maximum() < 10);
        QTest::keyClick(find, Qt::Key_Escape);
        QVERIFY(pickedInView(QStringLiteral("角色79")));
    }

    void ctrlClickOnTheSelectedLineChangesNothing()
    {
        addCard(QStringLiteral("Ann"), {}, {}, {}, {});
        addCard(QStringLiteral("Bob"), {}, {}, {}, {});
        form().show();
        QVERIFY(QTest::qWaitForWindowExposed(&form()));
        QListView* list = form().widgets().list1;
        const auto click = [list](int row, Qt::KeyboardModifiers modifiers) {
            const QModelIndex index = list->model()->index(row, 0);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, list->visualRect(index).center());
        };
        const auto selectedRows = [list] {
            QList<int> rows;
            for (const QModelIndex& index : list->selectionModel()->selectedIndexes())
                rows << index.row();
            return rows;
        };
        click(0, Qt::NoModifier);
        QCOMPARE(selectedRows(), QList<int>{0});
        QCOMPARE(field(0), QStringLiteral("Ann"));
        setField(3, QStringLiteral("unsaved"));

        // Ctrl with a click or the space bar on the selected line: still selected, nothing reloaded.
        click(0, Qt::ControlModifier);
        QCOMPARE(selectedRows(), QList<int>{0});
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Space, Qt::ControlModifier);
        QCOMPARE(selectedRows(), QList<int>{0});
        QCOMPARE(field(0), QStringLiteral("Ann"));
        QCOMPARE(field(3), QStringLiteral("unsaved"));
        QVERIFY(enabled(form(), 2));
        QVERIFY(enabled(form(), 3));

        // Ctrl+click on another line picks that one, as a plain click does.
        click(1, Qt::ControlModifier);
        QCOMPARE(selectedRows(), QList<int>{1});
        QCOMPARE(field(0), QStringLiteral("Bob"));
        QCOMPARE(field(3), QString());
    }
};

QTEST_MAIN(TestForm1List)
#include "testForm1List.moc"
