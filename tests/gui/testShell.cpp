// The window's shell offscreen: tab pages, side panel, tray icon and menu, and the edge auto-hide tick.
#include "Form1Seam.h"
#include "Module2Seam.h"
#include "WindowDriver.h"
#include "app/FieldWidgets.h"
#include "app/Form1.h"
#include "app/dialogs/MessageBox.h"
#include "app/dialogs/Notice.h"
#include "app/list/ListSearchLine.h"
#include "tray/Module2.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QtTest>

using app::Form1;

namespace {

int visiblePages(const Form1& f, int* which)
{
    int count = 0;
    for (int i = 0; i < 5; ++i) {
        if (!f.widgets().frameA[i]->isHidden()) {
            ++count;
            *which = i;
        }
    }
    return count;
}

// Notes whether the tray icon is still there when the window receives its close request.
class CloseWatcher : public QObject
{
public:
    explicit CloseWatcher(tray::Module2* tray) : m_tray(tray) {}
    int closeRequests = 0;
    bool iconAtClose = true;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Close) {
            ++closeRequests;
            iconAtClose = tray::Module2Seam::hasIcon(*m_tray);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    tray::Module2* m_tray;
};

} // namespace

class TestShell : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

private slots:
    void initTestCase() { MessageBox::setAutoAnswer(true); }
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        MessageBox::clearHistory();
    }

    void exactlyOnePageAfterEveryTabChange();
    void sidePanelNarrowsAndWidens();
    void trayIconTipAndMenu();
    void trayClickOnTheWindow();
    void exitRemovesTheIconBeforeClosing();
    void closeButtonRemovesTheIcon();
    void timerTickDocksAndHidesTheWindow();
    void noticesStandOverTheFooterInsideTheWindow();
    void anActionNoticeStaysUntilClickedOrDismissed();
    void everyControlHasItsOwnStableName();
    void theSearchLineStaysClearOfTheScrollBar();
};

void TestShell::exactlyOnePageAfterEveryTabChange()
{
    Form1 f(m_dir->path());
    f.show();
    int page = -1;
    QCOMPARE(visiblePages(f, &page), 1);
    QCOMPARE(page, 0);
    for (int tab : {2, 4, 1, 3, 0, 4}) {
        f.widgets().tabStrip->setCurrentIndex(tab);
        QCOMPARE(visiblePages(f, &page), 1);
        QCOMPARE(page, tab);
    }
    // The tab that is already selected, clicked again.
    f.TabStrip1_Click();
    QCOMPARE(visiblePages(f, &page), 1);
    QCOMPARE(page, 4);
    QVERIFY(!f.widgets().frameL->isHidden());
}

void TestShell::sidePanelNarrowsAndWidens()
{
    Form1 f(m_dir->path());
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    app::ClickLabel* lr = f.widgets().labelLR;
    QCOMPARE(lr->text(), QStringLiteral("<"));
    f.move(40, 30);
    const QPoint origin = f.pos();
    const int height = f.frameGeometry().height();

    QTest::mouseClick(lr, Qt::LeftButton);
    QCOMPARE(lr->text(), QStringLiteral(">"));
    QCOMPARE(f.frameGeometry().width(), 6300 / 15);
    QCOMPARE(f.pos(), origin);
    QCOMPARE(f.frameGeometry().height(), height);
    QVERIFY(lr->isVisibleTo(&f));
    QVERIFY(f.frameGeometry().contains(lr->mapTo(&f, lr->rect().bottomRight()) + f.geometry().topLeft()));

    QTest::mouseClick(lr, Qt::LeftButton);
    QCOMPARE(lr->text(), QStringLiteral("<"));
    QCOMPARE(f.frameGeometry().width(), 16185 / 15);
    QCOMPARE(f.pos(), origin);
    QCOMPARE(f.frameGeometry().height(), height);

    // Narrowed, then widened by other means: the next click still sets the fixed wide width.
    f.LabelLR_Click();
    f.resize(700, f.height());
    QCOMPARE(lr->text(), QStringLiteral(">"));
    f.LabelLR_Click();
    QCOMPARE(f.frameGeometry().width(), 16185 / 15);
    QCOMPARE(lr->text(), QStringLiteral("<"));
}

void TestShell::trayIconTipAndMenu()
{
    Form1 f(m_dir->path());
    tray::Module2* tray = app::Form1Seam::trayModule(f);
    QVERIFY(tray);
    QVERIFY(tray::Module2Seam::hasIcon(*tray));
    QCOMPARE(tray->trayTip(), QStringLiteral("羽笔卷宗"));
    QCOMPARE(tray->trayForm(), &f);
    QCOMPARE(tray->trayMenu(), f.trayMenu());

    const QList<QAction*> items = f.trayMenu()->actions();
    QCOMPARE(items.size(), 2);
    QCOMPARE(items[0]->text(), QStringLiteral("联系方式"));
    QCOMPARE(items[0]->objectName(), QStringLiteral("mumTrayAbout"));
    QCOMPARE(items[1]->text(), QStringLiteral("退出"));
    QCOMPARE(items[1]->objectName(), QStringLiteral("mumTrayClose"));

    items[0]->trigger();
    QCOMPARE(MessageBox::history().size(), 1);
    const MessageBox::Shown& box = MessageBox::history().first();
    QCOMPARE(box.title, QStringLiteral("羽笔卷宗"));
    QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(box.icon, QMessageBox::NoIcon);
    const QStringList lines = box.text.split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[0].startsWith(QLatin1String("QQ:")) && lines[0].size() > 3);
    QVERIFY(lines[1].startsWith(QLatin1String("E-mail:")) && lines[1].contains(QLatin1Char('@')));
    QVERIFY(lines[2].startsWith(QLatin1String("Homepage:")) && lines[2].size() > 9);
    QVERIFY(tray::Module2Seam::hasIcon(*tray));
}

void TestShell::trayClickOnTheWindow()
{
    Form1 f(m_dir->path());
    f.show();
    tray::Module2* tray = app::Form1Seam::trayModule(f);
    tray->TrayWindowProc(QSystemTrayIcon::Trigger);
    QVERIFY(f.isMinimized());
    tray->TrayWindowProc(QSystemTrayIcon::Trigger);
    QVERIFY(!f.isMinimized() && !f.isMaximized());
    f.showMaximized();
    tray->TrayWindowProc(QSystemTrayIcon::Trigger);
    QVERIFY(!f.isMinimized() && !f.isMaximized());
    tray->TrayWindowProc(QSystemTrayIcon::Trigger);
    tray->TrayWindowProc(QSystemTrayIcon::DoubleClick);
    QVERIFY(!f.isMinimized() && !f.isMaximized());
}

void TestShell::exitRemovesTheIconBeforeClosing()
{
    Form1 f(m_dir->path());
    f.show();
    tray::Module2* tray = app::Form1Seam::trayModule(f);
    CloseWatcher watcher(tray);
    f.installEventFilter(&watcher);
    f.trayMenu()->actions().at(1)->trigger();
    QCOMPARE(watcher.closeRequests, 1);
    QVERIFY(!watcher.iconAtClose);
    QVERIFY(!tray::Module2Seam::hasIcon(*tray));
    QVERIFY(!f.isVisible());
    QVERIFY(MessageBox::history().isEmpty());
    // A further close request removes the icon a second time, harmlessly.
    QVERIFY(f.close());
    QVERIFY(!tray::Module2Seam::hasIcon(*tray));
}

void TestShell::closeButtonRemovesTheIcon()
{
    Form1 f(m_dir->path());
    f.show();
    QVERIFY(tray::Module2Seam::hasIcon(*app::Form1Seam::trayModule(f)));
    QVERIFY(f.close());
    QVERIFY(!tray::Module2Seam::hasIcon(*app::Form1Seam::trayModule(f)));
    QVERIFY(!f.isVisible());
    QVERIFY(MessageBox::history().isEmpty());
}

void TestShell::timerTickDocksAndHidesTheWindow()
{
    Form1 f(m_dir->path());
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QScreen* screen = f.screen();
    QVERIFY(screen);
    const QRect area = screen->geometry();
    // Well inside the screen's width and height, touching the top edge only.
    f.resize(area.width() / 2, area.height() / 2);
    f.move(area.topLeft() + QPoint(20, 0));
    const QRect shown = f.frameGeometry();
    QCOMPARE(shown.top(), area.top());

    QCursor::setPos(screen, shown.center().x(), shown.bottom() + 40);
    if (QCursor::pos(screen) != QPoint(shown.center().x(), shown.bottom() + 40))
        QSKIP("this platform cannot place the cursor");
    f.Timer1_Timer();
    // 50 twips stay: 3 of the window's pixels at 15 twips per pixel.
    QCOMPARE(f.frameGeometry().bottom() - area.top(), 3 - 1);
    QCOMPARE(f.frameGeometry().left(), shown.left());

    QCursor::setPos(screen, shown.center().x(), area.top() + 1);
    f.Timer1_Timer();
    QCOMPARE(f.frameGeometry(), shown);

    // At the bottom nothing stays on the screen: the window parks 50 twips (3 pixels) below it.
    f.move(shown.left(), area.bottom() + 1 - shown.height());
    const QRect bottom = f.frameGeometry();
    QCOMPARE(bottom.bottom(), area.bottom());
    QCursor::setPos(screen, bottom.center().x(), bottom.top() - 10);
    f.Timer1_Timer();
    QCOMPARE(f.frameGeometry().top(), area.bottom() + 1 + 3);
    QCursor::setPos(screen, bottom.center().x(), area.bottom());
    f.Timer1_Timer();
    QCOMPARE(f.frameGeometry(), bottom);
}

namespace {

// A widget's rectangle in screen coordinates.
QRect globalRect(const QWidget* w)
{
    return QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
}

// What a screen reader is told of each control the window shows, page by page: buttons, boxes,
// fields, lists, the tab strip, frames and the labels that stand for something (not the captions,
// nor the parts Qt builds inside the controls).
QMap<QWidget*, QString> shownNames(Form1& f)
{
    QMap<QWidget*, QString> names;
    QTabBar* tabs = f.widgets().tabStrip;
    const int page = tabs->currentIndex();
    for (int tab = 0; tab < tabs->count(); ++tab) {
        tabs->setCurrentIndex(tab);
        for (QWidget* w : f.findChildren<QWidget*>()) {
            QWidget* parent = w->parentWidget();
            const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                                 qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QComboBox*>(w) ||
                                 qobject_cast<QAbstractItemView*>(w) || qobject_cast<QTabBar*>(w) ||
                                 qobject_cast<QGroupBox*>(w) || qobject_cast<QLabel*>(w);
            const bool inner = qobject_cast<QLineEdit*>(parent) || qobject_cast<QComboBox*>(parent) ||
                               qobject_cast<QTabBar*>(parent) ||
                               w->objectName().startsWith(QLatin1String("qt_"));
            // A caption is text read beside its control, not a control of its own.
            const bool caption = qobject_cast<QLabel*>(w) && w->accessibleName().isEmpty();
            if (!control || inner || caption || !w->isVisible())
                continue;
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
            names[w] = face ? face->text(QAccessible::Name) : QString();
        }
    }
    tabs->setCurrentIndex(page);
    return names;
}

} // namespace

void TestShell::everyControlHasItsOwnStableName()
{
    Form1 f(m_dir->path());
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    f.buildAllPages();
    const QMap<QWidget*, QString> before = shownNames(f);
    QVERIFY(before.size() > 300);
    QMap<QString, QWidget*> owner;
    QStringList faults;
    for (auto it = before.begin(); it != before.end(); ++it) {
        const QString what = it.key()->metaObject()->className() + QLatin1Char(' ') + it.key()->objectName();
        if (it.value().trimmed().isEmpty())
            faults << QStringLiteral("no name: ") + what;
        else if (owner.contains(it.value()))
            faults << QStringLiteral("twice \"%1\": %2, %3")
                          .arg(it.value(), what, owner[it.value()]->metaObject()->className());
        owner.insert(it.value(), it.key());
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));

    // A card loaded and the side panel narrowed change what the controls show, never their names.
    kit::addCard(f, QList<std::pair<int, QString>>{{0, QStringLiteral("艾琳")}, {1, QStringLiteral("12")}});
    kit::pickLine(f, 0);
    f.widgets().combo1->setCurrentIndex(2);
    f.Combo1_Click();
    f.LabelLR_Click();
    QCOMPARE(f.widgets().labelLR->text(), QStringLiteral(">"));
    QMap<QWidget*, QString> after = shownNames(f);
    for (auto it = before.begin(); it != before.end(); ++it)
        QVERIFY2(after.value(it.key(), it.value()) == it.value(),
                 qPrintable(it.key()->objectName() + QLatin1Char(' ') + after.value(it.key())));
}

void TestShell::noticesStandOverTheFooterInsideTheWindow()
{
    Form1 f(m_dir->path());
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    const QRect screen = f.screen()->availableGeometry();
    f.move(screen.topLeft()); // at the top of the screen, where a bubble over the window had no room
    QTRY_COMPARE(f.frameGeometry().top(), screen.top());
    const QLabel* footer = f.widgets().labelAbout;
    const QPoint footerBottomLeft = footer->mapTo(&f, QPoint(0, footer->height()));

    app::Notice::show(f.widgets().list1, QStringLiteral("已保存：艾琳"));
    const QLabel* text = app::Notice::current();
    QVERIFY(text);
    const QWidget* bubble = text->parentWidget();
    QCOMPARE(bubble->window(), &f); // inside the window, not a window of its own
    QVERIFY(f.geometry().contains(globalRect(bubble)));
    QVERIFY(screen.contains(globalRect(bubble)));
    QCOMPARE(bubble->geometry().bottomLeft() + QPoint(0, 1), footerBottomLeft);
    QVERIFY(!text->wordWrap()); // a short name stays on one line

    // A long notice wraps left of "<", which stays free to click.
    app::Notice::show(f.widgets().list1,
                      QStringLiteral("“艾琳”有未保存的修改，可在列表的右键菜单“恢复…”中找回。"
                                     "另有一段很长的说明，一行放不下，只能折成两行或更多行。"));
    bubble = app::Notice::current()->parentWidget();
    QVERIFY(app::Notice::current()->wordWrap());
    QVERIFY(bubble->geometry().right() < f.widgets().labelLR->mapTo(&f, QPoint(0, 0)).x());
    QVERIFY(f.rect().contains(bubble->geometry()));

    // Narrowed, the window shows the side panel alone: the notice is still all in it.
    f.LabelLR_Click();
    QCOMPARE(f.widgets().labelLR->text(), QStringLiteral(">"));
    QVERIFY(f.rect().contains(bubble->geometry()));
    QVERIFY(screen.contains(globalRect(bubble)));

    // Only the content's area is used: a window cut shorter than its content keeps the notice in it.
    f.resize(f.width(), footerBottomLeft.y() / 2);
    QVERIFY(f.rect().contains(bubble->geometry()) && bubble->isVisible());
}

void TestShell::anActionNoticeStaysUntilClickedOrDismissed()
{
    Form1 f(m_dir->path());
    f.show();
    f.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    int runs = 0;
    app::Notice::showAction(f.widgets().list1, QStringLiteral("上次关闭时有未保存的修改。"),
                            QStringLiteral("恢复…"), [&runs] { ++runs; });
    QLabel* action = app::Notice::currentAction();
    QVERIFY(action);

    // A plain notice comes and goes over it; the action notice stays.
    app::Notice::show(f.widgets().list1, QStringLiteral("已保存：艾琳"), 10);
    QLabel* plain = app::Notice::current();
    QVERIFY(plain != action);
    QVERIFY(plain->parentWidget()->geometry().bottom() < action->parentWidget()->geometry().top());
    QTRY_VERIFY_WITH_TIMEOUT(app::Notice::current() == action, 5000);
    QCOMPARE(app::Notice::currentAction(), action);
    QVERIFY(action->isVisible());

    // Escape dismisses it without running the action; the field keeps the focus.
    QWidget* field = f.widgets().text[0];
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Escape);
    QVERIFY(!app::Notice::currentAction());
    QCOMPARE(runs, 0);

    // Its ×, too.
    app::Notice::showAction(f.widgets().list1, QStringLiteral("上次关闭时有未保存的修改。"),
                            QStringLiteral("恢复…"), [&runs] { ++runs; });
    auto* close = app::Notice::currentAction()->parentWidget()->findChild<QAbstractButton*>(
        QStringLiteral("NoticeClose"));
    QVERIFY(close);
    QTest::mouseClick(close, Qt::LeftButton);
    QVERIFY(!app::Notice::currentAction());
    QCOMPARE(runs, 0);

    // A click on its text runs the action, once, and takes it away.
    app::Notice::showAction(f.widgets().list1, QStringLiteral("上次关闭时有未保存的修改。"),
                            QStringLiteral("恢复…"), [&runs] { ++runs; });
    QTest::mouseClick(app::Notice::currentAction(), Qt::LeftButton);
    QCOMPARE(runs, 1);
    QVERIFY(!app::Notice::currentAction());
}

void TestShell::theSearchLineStaysClearOfTheScrollBar()
{
    Form1 f(m_dir->path());
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    for (int i = 0; i < 9; ++i)
        kit::addCard(f, kit::namedSheet(QStringLiteral("Card%1").arg(i)));
    QListView* list = f.widgets().list1;
    app::ListSearchLine* line = f.searchLine();
    line->open();
    QWidget* bar = list->verticalScrollBar()->parentWidget();
    QTRY_VERIFY(bar->isVisible()); // more lines than the list shows
    QVERIFY(!line->geometry().intersects(bar->geometry()));
    QVERIFY(list->contentsRect().contains(line->geometry()));

    // Found lines that fit: the scroll bar goes and the line takes the whole width again.
    QTest::keyClicks(line, QStringLiteral("Card1"));
    QTRY_VERIFY(!bar->isVisible());
    QCOMPARE(line->width(), list->contentsRect().width());
}

QTEST_MAIN(TestShell)
#include "testShell.moc"
