#pragma once

#include <QByteArray>
#include <QProcessEnvironment>

namespace app {

// The window-system platform to start on, chosen before the application object exists. In a Wayland
// session a program cannot place its own window, so "磁性窗体" and the tray's restore would do
// nothing there: when an X server is reachable too (XWayland: DISPLAY is set) and the user has not
// chosen a platform (QT_QPA_PLATFORM unset or empty), the X11 platform is taken, with Wayland as the
// fallback should the X server refuse. Otherwise an empty value: the toolkit chooses as usual.
// Setting QT_QPA_PLATFORM (for example to "wayland") overrides the choice.
QByteArray preferredPlatform(const QProcessEnvironment& env);

} // namespace app
