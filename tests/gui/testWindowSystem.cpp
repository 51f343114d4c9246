// The window-system platform chosen from the environment before the program starts.
#include "app/window/WindowSystem.h"

#include <QTest>

class TestWindowSystem : public QObject
{
    Q_OBJECT

private slots:
    void choice_data();
    void choice();
};

void TestWindowSystem::choice_data()
{
    QTest::addColumn<QStringList>("variables"); // NAME=value
    QTest::addColumn<QByteArray>("platform");
    const QByteArray x11 = "xcb;wayland";
    QTest::newRow("Wayland session with XWayland")
        << QStringList{"XDG_SESSION_TYPE=wayland", "WAYLAND_DISPLAY=wayland-0", "DISPLAY=:0"} << x11;
    QTest::newRow("Wayland display alone with XWayland")
        << QStringList{"WAYLAND_DISPLAY=wayland-0", "DISPLAY=:1"} << x11;
    QTest::newRow("Wayland session without an X server")
        << QStringList{"XDG_SESSION_TYPE=wayland", "WAYLAND_DISPLAY=wayland-0"} << QByteArray();
    QTest::newRow("empty DISPLAY is no X server")
        << QStringList{"XDG_SESSION_TYPE=wayland", "DISPLAY="} << QByteArray();
    QTest::newRow("the user's choice stands")
        << QStringList{"XDG_SESSION_TYPE=wayland", "DISPLAY=:0", "QT_QPA_PLATFORM=wayland"} << QByteArray();
    QTest::newRow("an empty choice is no choice")
        << QStringList{"XDG_SESSION_TYPE=wayland", "DISPLAY=:0", "QT_QPA_PLATFORM="} << x11;
    QTest::newRow("X11 session") << QStringList{"XDG_SESSION_TYPE=x11", "DISPLAY=:0"} << QByteArray();
    QTest::newRow("nothing set") << QStringList{} << QByteArray();
}

void TestWindowSystem::choice()
{
    QFETCH(QStringList, variables);
    QFETCH(QByteArray, platform);
    QProcessEnvironment env;
    for (const QString& variable : variables)
        env.insert(variable.section(QLatin1Char('='), 0, 0), variable.section(QLatin1Char('='), 1));
    QCOMPARE(app::preferredPlatform(env), platform);
}

QTEST_GUILESS_MAIN(TestWindowSystem)
#include "testWindowSystem.moc"
