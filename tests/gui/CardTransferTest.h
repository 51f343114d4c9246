#pragma once

// What the card transfer suites share: a window on a store with a second folder beside it, the
// shortcuts and context menu of the list, files written and file dialogs answered as a player would.
#include "WindowDriver.h"
#include "WindowTest.h"
#include "app/Form1.h"
#include "app/Shortcuts.h"
#include "app/transfer/CardTransfer.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QShortcut>
#include <QTimer>
#include <QtTest>

namespace transfer {

// Answers the next file dialog with these paths, as a player would pick them.
inline void answerFileDialog(const QString& path)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, path] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        timer->deleteLater();
        // The whole path typed into the name box, as a player may; it is taken as it stands.
        dialog->selectFile(path);
        if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            edit->setText(path);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    timer->start(10);
}

// The window of every test; the test classes call init and cleanup from their own slots.
class CardTransferTest : public kit::WindowTest
{
protected:
    app::CardTransfer& transfer() { return *form().findChild<app::CardTransfer*>(); }
    QShortcut* key(app::Shortcuts::Action action) { return form().findChild<app::Shortcuts*>()->key(action); }
    QString path(const QString& name) const { return m_dir->filePath(name); }
    QString lastText() const { return kit::lastBoxText(); }

    // Through the sheet snapshot, so pages that are not built yet take the text too.
    void setField(int field, const QString& text)
    {
        card::Sheet sheet = form().readSheet();
        sheet.text[field] = text;
        form().writeSheet(sheet);
    }
    static card::Sheet named(const QString& name) { return kit::namedSheet(name); }
    // Opens the context menu on the line of that card (or below the lines) and fires an item.
    void menuItem(const QString& cardName, const QString& item)
    {
        QAction* action = menuAction(cardName, item);
        QVERIFY2(action, qPrintable(QStringLiteral("no menu item ") + item));
        QVERIFY2(action->isEnabled(), qPrintable(item));
        action->trigger();
    }
    QByteArray writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile f(path(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return bytes;
    }

    void init()
    {
        openWindow(QStringLiteral("one"));
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("two")));
    }
    void cleanup() { closeWindow(); }
};

} // namespace transfer
