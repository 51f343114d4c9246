#pragma once

#include "store/RecoveryEntries.h"

#include <QDialog>

class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

namespace app {

// "恢复": everything that can be brought back, newest first, with what the chosen entry holds. The
// dialog only chooses; the window does the restoring and says how it went.
class RecoveryDialog : public QDialog
{
    Q_OBJECT
public:
    RecoveryDialog(const QList<store::RecoveryEntry>& entries, QWidget* parent);

    // The entry chosen with "恢复所选", or -1.
    int chosen() const { return m_chosen; }
    QTreeWidget* entryList() const { return m_list; }
    QPushButton* restoreButton() const { return m_restore; }
    QPlainTextEdit* contents() const { return m_contents; }

private:
    void showCurrent();

    QList<store::RecoveryEntry> m_entries;
    QTreeWidget* m_list = nullptr;
    QPlainTextEdit* m_contents = nullptr;
    QPushButton* m_restore = nullptr;
    int m_chosen = -1;
};

} // namespace app
