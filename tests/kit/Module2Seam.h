#pragma once

// Test-only: reads what the tray module keeps to itself. The program never builds this.
#include "tray/Module2.h"

#include <QSystemTrayIcon>

namespace tray {

struct Module2Seam
{
    // Whether the icon is in place (added and not yet removed).
    static bool hasIcon(const Module2& module) { return module.m_trayData != nullptr; }
};

} // namespace tray
