#include "app/dialogs/WorkProgress.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>

#include <memory>

namespace app {

namespace {

// How long the work runs before its dialog appears.
constexpr int ShowAfterMs = 500;

} // namespace

WorkProgress::WorkProgress(QWidget* parent, const QString& title, int total, bool cancellable)
    : m_dialog(new QProgressDialog(parent)), m_total(total)
{
    m_dialog->setObjectName(QStringLiteral("WorkProgress"));
    m_dialog->setWindowTitle(title);
    m_dialog->setAccessibleName(title);
    m_dialog->setWindowModality(Qt::WindowModal);
    m_dialog->setAutoReset(false);
    m_dialog->setAutoClose(false);
    m_dialog->setMinimumDuration(ShowAfterMs);
    m_dialog->setRange(0, total);
    m_dialog->setCancelButtonText(cancellable ? QStringLiteral("取消") : QString());
    m_dialog->setValue(0);
}

WorkProgress::~WorkProgress()
{
    delete m_dialog.data();
}

bool WorkProgress::step(int done, const QString& what, const QString& item)
{
    if (!m_dialog || m_dialog->wasCanceled())
        return false;
    m_dialog->setLabelText(
        QStringLiteral("正在%1 %2 / %3：%4").arg(what).arg(done + 1).arg(m_total).arg(item));
    if (done > 0)
        m_dialog->setValue(done);
    // Before the dialog shows, only painting and timers: no click reaches the window mid-work.
    QCoreApplication::processEvents(m_dialog->isVisible() ? QEventLoop::AllEvents
                                                          : QEventLoop::ExcludeUserInputEvents);
    return m_dialog && !m_dialog->wasCanceled();
}

bool WorkProgress::cancelled() const
{
    return !m_dialog || m_dialog->wasCanceled();
}

void WorkProgress::runAside(QWidget* parent, const QString& title, const QString& label,
                            const std::function<void()>& work)
{
    QProgressDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("WorkProgress"));
    dialog.setWindowTitle(title);
    dialog.setAccessibleName(title);
    dialog.setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    dialog.setCancelButton(nullptr);
    dialog.setRange(0, 0); // no count to give: the bar only shows the work goes on
    dialog.setLabelText(label);
    dialog.setMinimumDuration(ShowAfterMs);
    dialog.setValue(0);
    QEventLoop loop;
    const std::unique_ptr<QThread> thread(QThread::create(work));
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    thread->start();
    // Painting and timers go on; no key or click reaches the window until the work is done.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    thread->wait();
}

} // namespace app
