#include "app/window/WindowSystem.h"

namespace app {

QByteArray preferredPlatform(const QProcessEnvironment& env)
{
    if (!env.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty())
        return {};
    const bool wayland = env.value(QStringLiteral("XDG_SESSION_TYPE")) == QLatin1String("wayland") ||
                         !env.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();
    const bool xServer = !env.value(QStringLiteral("DISPLAY")).isEmpty();
    if (!wayland || !xServer)
        return {};
    return QByteArrayLiteral("xcb;wayland");
}

} // namespace app
