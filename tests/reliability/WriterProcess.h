#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QStringList>

namespace rel {

// The card writer (a second program on the store file), started by a test and read line by line.
class WriterProcess
{
public:
    // The card writer, or another test program that reports in lines.
    explicit WriterProcess(const QString& program = WriterProcess::program());
    ~WriterProcess();
    WriterProcess(const WriterProcess&) = delete;
    WriterProcess& operator=(const WriterProcess&) = delete;

    static QString program();

    bool start(const QStringList& arguments);
    // Waits (at most timeoutMs) until a line equal to `line` has arrived.
    bool waitForLine(const QByteArray& line, int timeoutMs = 10000);
    // Waits (at most timeoutMs) until `count` lines starting with `prefix` have arrived.
    bool waitForLines(const QByteArray& prefix, int count, int timeoutMs = 60000);
    // Sends one line to the writer's stdin.
    void send(const QByteArray& line);
    // Kills the writer with SIGKILL and waits for it to be gone.
    void killHard();
    // Waits for a normal end; true when it exited with status 0.
    bool finish(int timeoutMs = 60000);
    // Takes in what has arrived without waiting; false once the process has ended.
    bool isRunning();
    // Every complete line received so far.
    const QList<QByteArray>& lines();
    qint64 pid() const { return m_process.processId(); }

private:
    void collect();

    QString m_program;
    QProcess m_process;
    QByteArray m_partial;
    QList<QByteArray> m_lines;
};

} // namespace rel
