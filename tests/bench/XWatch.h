#pragma once

#include <QString>
#include <QStringList>

#include <sys/types.h>

namespace bench {

// A child process started with posix_spawn, so that its start time and its resource use are ours
// to read: the peak resident memory comes from wait4.
struct ChildResult
{
    bool started = false;
    int exitCode = -1;
    bool signalled = false;
    double peakRssMb = 0;
    QString output; // its standard output, when captured
};

// Runs a program to its end, capturing its standard output.
ChildResult runToEnd(const QStringList& argv, const QStringList& extraEnv);

// A virtual X server of our own, found through -displayfd, stopped again by the destructor.
class VirtualDisplay
{
public:
    VirtualDisplay();
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    bool isRunning() const { return m_pid > 0 && !m_name.isEmpty(); }
    const QString& name() const { return m_name; } // ":N"
    const QString& error() const { return m_error; }

private:
    pid_t m_pid = -1;
    QString m_name;
    QString m_error;
};

struct StartupResult
{
    bool mapped = false;
    double msToMapped = 0; // from just before the spawn to the first poll that sees the window viewable
    bool painted = false;
    double msToPainted = 0; // from just before the spawn to the first drawing inside the mapped window
    double peakRssMb = 0;  // of the whole run: start-up, first paint and the settle time
    double cpuShare = 0;   // when idle seconds were asked for: CPU time over wall time, in % of one core
    QString error;
};

// Starts a program on the display and polls the X window tree every pollMs until a top-level window
// of that process is viewable. Meanwhile it watches the screen through the X DAMAGE extension for the
// first drawing inside that window after it was mapped: the window's first paint, as a player would
// see it (a mapped window shows nothing until its program has painted it). Then it waits settleMs, optionally measures idleSeconds of CPU time
// from /proc, and ends the program. The program gets no arguments.
StartupResult watchStartup(const QString& display, const QString& program, double pollMs, int settleMs,
                           double idleSeconds);

} // namespace bench
