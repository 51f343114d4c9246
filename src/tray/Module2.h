#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>

class QMenu;
class QWidget;

namespace tray {

// The program's icon, for the window and the tray: read as the PNG it is, so that no image plugin
// is loaded to guess its format.
QIcon programIcon();

// The notification-area icon of the main window: a left click minimizes or restores the window,
// a right click opens the tray menu at the cursor. Where the desktop has no notification area the
// icon is simply not shown and the program runs on without it.
class Module2 : public QObject
{
    Q_OBJECT
public:
    explicit Module2(QObject* parent = nullptr);
    ~Module2() override;

    // Adds the icon, without a tip, and routes its activations to TrayWindowProc. The window is the
    // one the icon minimizes and restores; the menu opens on a right click. Neither is owned.
    void AddTrayIcon(QWidget* form, QMenu* menu);
    // Sets the icon's tip. Does nothing while there is no icon.
    void SetTrayTip(const QString& text);
    // Removes the icon and stops the routing. A second call changes nothing.
    void RemoveTrayIcon();

    // Whether the desktop actually shows it: an icon is in place and a notification area exists.
    bool isShownInTray() const;
    // The tip the icon carries; empty without an icon.
    QString trayTip() const;
    QWidget* trayForm() const;
    QMenu* trayMenu() const;

public slots:
    // The icon's activations: a click (Trigger) and a double click (DoubleClick) toggle the window
    // once each, a right click (Context) opens the menu at the cursor, anything else does nothing.
    void TrayWindowProc(QSystemTrayIcon::ActivationReason reason);

private:
    friend struct Module2Seam;

    void toggleForm();

    QPointer<QWidget> m_trayForm;
    QPointer<QMenu> m_trayMenu;
    QSystemTrayIcon* m_trayData = nullptr;
};

} // namespace tray
