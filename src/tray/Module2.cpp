#include "tray/Module2.h"

#include <QCursor>
#include <QIcon>
#include <QImageReader>
#include <QMenu>
#include <QPixmap>
#include <QWidget>

namespace tray {

QIcon programIcon()
{
    QImageReader reader(QStringLiteral(":/quillmark.png"), "png");
    reader.setAutoDetectImageFormat(false);
    return QIcon(QPixmap::fromImage(reader.read()));
}

Module2::Module2(QObject* parent) : QObject(parent) {}

Module2::~Module2()
{
    RemoveTrayIcon();
}

void Module2::AddTrayIcon(QWidget* form, QMenu* menu)
{
    RemoveTrayIcon();
    m_trayForm = form;
    m_trayMenu = menu;
    // The icon is created even where no notification area is available yet: Qt shows it as soon
    // as one appears (a panel started after the program, for instance). It is the window's own
    // icon, read once; a window without one gets the program's.
    const QIcon icon = form && !form->windowIcon().isNull() ? form->windowIcon() : programIcon();
    m_trayData = new QSystemTrayIcon(icon, this);
    m_trayData->setObjectName(QStringLiteral("TrayData"));
    connect(m_trayData, &QSystemTrayIcon::activated, this, &Module2::TrayWindowProc);
    m_trayData->show();
}

void Module2::SetTrayTip(const QString& text)
{
    if (m_trayData)
        m_trayData->setToolTip(text);
}

void Module2::RemoveTrayIcon()
{
    if (!m_trayData)
        return;
    QSystemTrayIcon* icon = m_trayData;
    m_trayData = nullptr;
    disconnect(icon, nullptr, this, nullptr);
    icon->hide();
    // Deleted later: a removal may be asked for while the icon is still delivering an event.
    icon->deleteLater();
}

bool Module2::isShownInTray() const
{
    return m_trayData && m_trayData->isVisible() && QSystemTrayIcon::isSystemTrayAvailable();
}

QString Module2::trayTip() const
{
    return m_trayData ? m_trayData->toolTip() : QString();
}

QWidget* Module2::trayForm() const
{
    return m_trayForm;
}

QMenu* Module2::trayMenu() const
{
    return m_trayMenu;
}

void Module2::TrayWindowProc(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
    case QSystemTrayIcon::DoubleClick:
        toggleForm();
        break;
    case QSystemTrayIcon::Context:
        if (m_trayMenu)
            m_trayMenu->popup(QCursor::pos());
        break;
    default:
        break;
    }
}

void Module2::toggleForm()
{
    QWidget* form = m_trayForm;
    if (!form)
        return;
    const Qt::WindowStates notNormal = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;
    if (form->windowState() & notNormal || !form->isVisible()) {
        form->showNormal();
        form->raise();
        form->activateWindow();
    } else {
        // A window just minimized is never activated: many window managers restore it on activation.
        form->showMinimized();
    }
}

} // namespace tray
