#include "Module2Seam.h"
#include "tray/Module2.h"

#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTest>
#include <QWidget>

class TestModule2 : public QObject
{
    Q_OBJECT

private:
    static QSystemTrayIcon* iconOf(tray::Module2& module)
    {
        return module.findChild<QSystemTrayIcon*>(QStringLiteral("TrayData"));
    }
    static bool isNormal(const QWidget& w) { return !w.isMinimized() && !w.isMaximized(); }

private slots:
    void iconTipAndRemoval();
    void activationsArriveOnlyWhileTheIconIsThere();
    void clickTogglesNormalAndMinimized();
    void clickOnMaximizedMakesItNormal();
    void doubleClickLeavesTheStateAsItWas();
    void rightClickOpensTheMenu();
    void otherActivationsDoNothing();
    void vanishedWindowOrMenuIsHarmless();
};

void TestModule2::iconTipAndRemoval()
{
    QWidget form;
    QMenu menu;
    tray::Module2 module;
    QVERIFY(!tray::Module2Seam::hasIcon(module));
    module.SetTrayTip(QStringLiteral("early"));
    QVERIFY(module.trayTip().isEmpty());

    module.AddTrayIcon(&form, &menu);
    QVERIFY(tray::Module2Seam::hasIcon(module));
    QCOMPARE(module.trayForm(), &form);
    QCOMPARE(module.trayMenu(), &menu);
    QVERIFY(module.trayTip().isEmpty());
    QVERIFY(iconOf(module));
    QCOMPARE(iconOf(module)->icon().availableSizes(), QList<QSize>{QSize(64, 64)});
    QVERIFY(iconOf(module)->isVisible());

    module.SetTrayTip(QStringLiteral("羽笔卷宗"));
    QCOMPARE(module.trayTip(), QStringLiteral("羽笔卷宗"));
    QCOMPARE(iconOf(module)->toolTip(), QStringLiteral("羽笔卷宗"));

    QPointer<QSystemTrayIcon> icon = iconOf(module);
    module.RemoveTrayIcon();
    QVERIFY(!tray::Module2Seam::hasIcon(module));
    QVERIFY(module.trayTip().isEmpty());
    QVERIFY(!module.isShownInTray());
    QVERIFY(icon);
    QVERIFY(!icon->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!icon);

    // A second removal changes nothing.
    module.RemoveTrayIcon();
    QVERIFY(!tray::Module2Seam::hasIcon(module));
    module.SetTrayTip(QStringLiteral("late"));
    QVERIFY(module.trayTip().isEmpty());
}

void TestModule2::activationsArriveOnlyWhileTheIconIsThere()
{
    QWidget form;
    form.show();
    QMenu menu;
    tray::Module2 module;
    module.AddTrayIcon(&form, &menu);
    QSystemTrayIcon* icon = iconOf(module);
    QVERIFY(icon);
    emit icon->activated(QSystemTrayIcon::Trigger);
    QVERIFY(form.isMinimized());
    emit icon->activated(QSystemTrayIcon::Trigger);
    QVERIFY(isNormal(form));

    module.RemoveTrayIcon();
    emit icon->activated(QSystemTrayIcon::Trigger);
    QVERIFY(isNormal(form));
}

void TestModule2::clickTogglesNormalAndMinimized()
{
    QWidget form;
    form.show();
    tray::Module2 module;
    module.AddTrayIcon(&form, nullptr);
    module.TrayWindowProc(QSystemTrayIcon::Trigger);
    QVERIFY(form.isMinimized());
    module.TrayWindowProc(QSystemTrayIcon::Trigger);
    QVERIFY(isNormal(form));
    QVERIFY(form.isVisible());

    // Minimized by other means: the next click restores.
    form.showMinimized();
    module.TrayWindowProc(QSystemTrayIcon::Trigger);
    QVERIFY(isNormal(form));
}

void TestModule2::clickOnMaximizedMakesItNormal()
{
    QWidget form;
    form.showMaximized();
    QVERIFY(form.isMaximized());
    tray::Module2 module;
    module.AddTrayIcon(&form, nullptr);
    module.TrayWindowProc(QSystemTrayIcon::Trigger);
    QVERIFY(isNormal(form));
    module.TrayWindowProc(QSystemTrayIcon::Trigger);
    QVERIFY(form.isMinimized());
    QVERIFY(!form.isMaximized());
}

void TestModule2::doubleClickLeavesTheStateAsItWas()
{
    QWidget form;
    form.show();
    tray::Module2 module;
    module.AddTrayIcon(&form, nullptr);
    // The desktop reports a double click as a click followed by a double click.
    module.TrayWindowProc(QSystemTrayIcon::Trigger);
    module.TrayWindowProc(QSystemTrayIcon::DoubleClick);
    QVERIFY(isNormal(form));

    form.showMinimized();
    module.TrayWindowProc(QSystemTrayIcon::Trigger);
    QVERIFY(isNormal(form));
    module.TrayWindowProc(QSystemTrayIcon::DoubleClick);
    QVERIFY(form.isMinimized());
}

void TestModule2::rightClickOpensTheMenu()
{
    QWidget form;
    form.show();
    QMenu menu;
    menu.addAction(QStringLiteral("联系方式"));
    tray::Module2 module;
    module.AddTrayIcon(&form, &menu);
    QVERIFY(!menu.isVisible());
    module.TrayWindowProc(QSystemTrayIcon::Context);
    QVERIFY(menu.isVisible());
    QVERIFY(isNormal(form));
    menu.hide();
}

void TestModule2::otherActivationsDoNothing()
{
    QWidget form;
    form.show();
    QMenu menu;
    menu.addAction(QStringLiteral("x"));
    tray::Module2 module;
    module.AddTrayIcon(&form, &menu);
    module.TrayWindowProc(QSystemTrayIcon::MiddleClick);
    module.TrayWindowProc(QSystemTrayIcon::Unknown);
    QVERIFY(isNormal(form));
    QVERIFY(!menu.isVisible());
}

void TestModule2::vanishedWindowOrMenuIsHarmless()
{
    tray::Module2 module;
    {
        auto* form = new QWidget;
        auto* menu = new QMenu;
        module.AddTrayIcon(form, menu);
        delete form;
        delete menu;
    }
    QVERIFY(!module.trayForm());
    QVERIFY(!module.trayMenu());
    module.TrayWindowProc(QSystemTrayIcon::Trigger);
    module.TrayWindowProc(QSystemTrayIcon::Context);
    QVERIFY(tray::Module2Seam::hasIcon(module));
}

QTEST_MAIN(TestModule2)
#include "testModule2.moc"
