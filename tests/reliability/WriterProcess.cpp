#include "WriterProcess.h"

#include <QDeadlineTimer>

#include <csignal>
#include <sys/types.h>

namespace rel {

WriterProcess::WriterProcess(const QString& program) : m_program(program)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

WriterProcess::~WriterProcess()
{
    if (m_process.state() != QProcess::NotRunning)
        killHard();
}

QString WriterProcess::program()
{
    // A test run as another user gets a copy of the writer it can reach.
    const QString copy = qEnvironmentVariable("QUILLMARK_CARD_WRITER");
    return copy.isEmpty() ? QStringLiteral(CARD_WRITER) : copy;
}

bool WriterProcess::start(const QStringList& arguments)
{
    m_partial.clear();
    m_lines.clear();
    m_process.start(m_program, arguments);
    return m_process.waitForStarted(10000);
}

void WriterProcess::collect()
{
    m_partial += m_process.readAllStandardOutput();
    qsizetype end;
    while ((end = m_partial.indexOf('\n')) >= 0) {
        m_lines << m_partial.left(end);
        m_partial.remove(0, end + 1);
    }
}

bool WriterProcess::waitForLine(const QByteArray& line, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    qsizetype seen = 0;
    for (;;) {
        collect();
        for (; seen < m_lines.size(); ++seen) {
            if (m_lines.at(seen) == line)
                return true;
        }
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
            return false;
        m_process.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
    }
}

bool WriterProcess::waitForLines(const QByteArray& prefix, int count, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        collect();
        int found = 0;
        for (const QByteArray& line : std::as_const(m_lines))
            found += line.startsWith(prefix) ? 1 : 0;
        if (found >= count)
            return true;
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
            return false;
        m_process.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
    }
}

void WriterProcess::send(const QByteArray& line)
{
    m_process.write(line + '\n');
    m_process.waitForBytesWritten(5000);
}

void WriterProcess::killHard()
{
    const qint64 pid = m_process.processId();
    if (pid > 0)
        ::kill(static_cast<pid_t>(pid), SIGKILL);
    m_process.waitForFinished(10000);
    collect();
}

bool WriterProcess::finish(int timeoutMs)
{
    if (m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(timeoutMs)) {
        killHard();
        return false;
    }
    collect();
    return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
}

bool WriterProcess::isRunning()
{
    m_process.waitForFinished(0);
    collect();
    return m_process.state() != QProcess::NotRunning;
}

const QList<QByteArray>& WriterProcess::lines()
{
    collect();
    return m_lines;
}

} // namespace rel
