// The window's shell offscreen: tab pages, side panel, tray icon and menu, and the edge auto-hide tick.
#include "Form1Seam.h"
#include "Module2Seam.h"
#include "WindowTest.h"
#include "app/FieldWidgets.h"
#include "app/Form1.h"
#include "app/dialogs/MessageBox.h"
#include "tray/Module2.h"

#include <QMenu>
#include <QScreen>
#include <QTabBar>
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

class TestShell : public kit::WindowTest
{
    Q_OBJECT

private slots:
    void init() { openFolder(); }

    void exactlyOnePageAfterEveryTabChange();
    void sidePanelNarrowsAndWidens();
    void trayIconTipAndMenu();
    void trayClickOnTheWindow();
    void exitRemovesTheIconBeforeClosing();
    void closeButtonRemovesTheIcon();
    void timerTickDocksAndHidesTheWindow();
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

QTEST_MAIN(TestShell)
#include "testShell.moc"
