#pragma once

#include <QPointer>
#include <QString>

#include <functional>

class QProgressDialog;
class QWidget;

namespace app {

// The progress of a long piece of work done on the window's own thread, one short step at a time:
// a dialog with the count and what is being done appears once the work has taken about half a
// second, and between steps the window keeps painting. Input reaches the window only through the
// dialog while it is shown (it is modal), and not at all before, so nothing else starts meanwhile.
class WorkProgress
{
public:
    // title names the work ("导出全部角色卡"); with cancellable, the dialog has "取消".
    WorkProgress(QWidget* parent, const QString& title, int total, bool cancellable);
    ~WorkProgress();
    WorkProgress(const WorkProgress&) = delete;
    WorkProgress& operator=(const WorkProgress&) = delete;

    // Before step done (0-based) of the total: shows "正在<what> done+1 / total：<item>" and lets
    // the window paint. Returns false once the player cancelled: the work stops before this step.
    bool step(int done, const QString& what, const QString& item);
    bool cancelled() const;

    // Work that cannot stop halfway (a restore, an import at start): runs on a thread of its own
    // while the window keeps painting, and a dialog without "取消" says what is being done once it
    // has taken about half a second. Returns when the work is done. The work must not touch the
    // window's widgets nor the window's own database connection.
    static void runAside(QWidget* parent, const QString& title, const QString& label,
                         const std::function<void()>& work);

private:
    QPointer<QProgressDialog> m_dialog;
    int m_total;
};

} // namespace app
