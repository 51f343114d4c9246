#include "XWatch.h"

#include "BenchStats.h"

#include <QByteArray>
#include <QFile>
#include <QRect>
#include <QSet>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <memory>
#include <vector>

extern char** environ;

namespace bench {

namespace {

// The current environment with some variables replaced ("NAME=value") or removed ("NAME=").
std::vector<QByteArray> environmentWith(const QStringList& changes)
{
    std::vector<QByteArray> env;
    QSet<QByteArray> changed;
    for (const QString& c : changes)
        changed.insert(c.section(QLatin1Char('='), 0, 0).toUtf8());
    for (char** e = environ; *e; ++e) {
        const QByteArray entry(*e);
        if (!changed.contains(entry.left(entry.indexOf('='))))
            env.push_back(entry);
    }
    for (const QString& c : changes) {
        if (!c.endsWith(QLatin1Char('=')))
            env.push_back(c.toUtf8());
    }
    return env;
}

std::vector<char*> pointers(std::vector<QByteArray>& strings)
{
    std::vector<char*> out;
    for (QByteArray& s : strings)
        out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

// Spawns argv; stdoutFd (if >= 0) becomes the child's standard output, and stderr goes nowhere.
pid_t spawn(const QStringList& argv, const QStringList& envChanges, int stdoutFd, int extraFd = -1,
            int extraTarget = -1)
{
    std::vector<QByteArray> args;
    for (const QString& a : argv)
        args.push_back(QFile::encodeName(a));
    std::vector<QByteArray> env = environmentWith(envChanges);
    std::vector<char*> argp = pointers(args);
    std::vector<char*> envp = pointers(env);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdoutFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    if (extraFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, extraFd, extraTarget);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argp[0], &actions, nullptr, argp.data(), envp.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

void reap(pid_t pid, ChildResult* result)
{
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return;
    result->peakRssMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
    result->signalled = WIFSIGNALED(status);
    result->exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void sleepMs(double ms)
{
    timespec t{};
    t.tv_sec = static_cast<time_t>(ms / 1000);
    t.tv_nsec = static_cast<long>((ms - static_cast<double>(t.tv_sec) * 1000) * 1e6);
    nanosleep(&t, nullptr);
}

// utime + stime of the whole process, in seconds.
double cpuSeconds(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // The command name is in parentheses and may hold blanks: count fields after the last ')'.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    const double ticks = static_cast<double>(sysconf(_SC_CLK_TCK));
    return (fields[11].toDouble() + fields[12].toDouble()) / ticks; // fields 14 and 15 of the line
}

int ignoreXErrors(Display*, XErrorEvent*)
{
    return 0; // windows come and go while we look at them
}

long windowPid(Display* display, Window window, Atom pidAtom)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after,
                           &data) == Success &&
        data && count == 1 && format == 32)
        pid = *reinterpret_cast<long*>(data);
    if (data)
        XFree(data);
    return pid;
}

// Whether a top-level window of the process is viewable now.
bool viewableWindowOf(Display* display, Atom pidAtom, pid_t pid)
{
    Window root = DefaultRootWindow(display), parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, root, &root, &parent, &children, &count))
        return false;
    bool found = false;
    for (unsigned int i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable &&
            attributes.c_class == InputOutput)
            found = windowPid(display, children[i], pidAtom) == pid;
    }
    if (children)
        XFree(children);
    return found;
}

// The first paint, read from the X server's own order of events: the MapNotify of the program's
// top-level window, then the first damage to the screen inside that window. Damage before the map
// (the screen repainted where an earlier program's window was) is not the program's.
class PaintWatch
{
public:
    PaintWatch(Display* display, Atom pidAtom) : m_x(display), m_pidAtom(pidAtom)
    {
        int error = 0;
        if (!XDamageQueryExtension(m_x, &m_damageEvent, &error))
            return;
        const Window root = DefaultRootWindow(m_x);
        XSelectInput(m_x, root, SubstructureNotifyMask);
        m_damage = XDamageCreate(m_x, root, XDamageReportRawRectangles);
        XSync(m_x, False);
        XEvent drop;
        while (XPending(m_x))
            XNextEvent(m_x, &drop);
    }
    ~PaintWatch()
    {
        if (m_damage)
            XDamageDestroy(m_x, m_damage);
        XSelectInput(m_x, DefaultRootWindow(m_x), NoEventMask);
    }
    PaintWatch(const PaintWatch&) = delete;
    PaintWatch& operator=(const PaintWatch&) = delete;

    void watchFor(pid_t pid) { m_pid = pid; }
    bool works() const { return m_damage != 0; }
    bool painted() const { return m_painted; }

    // Reads the events that have arrived; true once the first paint is among them.
    bool take()
    {
        while (!m_painted && XPending(m_x)) {
            XEvent event;
            XNextEvent(m_x, &event);
            if (event.type == MapNotify && m_window == 0 &&
                windowPid(m_x, event.xmap.window, m_pidAtom) == m_pid) {
                XWindowAttributes a{};
                if (XGetWindowAttributes(m_x, event.xmap.window, &a)) {
                    m_window = event.xmap.window;
                    m_area = QRect(a.x, a.y, a.width, a.height);
                }
            } else if (event.type == m_damageEvent + XDamageNotify && m_window != 0) {
                const XRectangle& d = reinterpret_cast<XDamageNotifyEvent*>(&event)->area;
                m_painted = m_area.intersects(QRect(d.x, d.y, d.width, d.height));
            }
        }
        return m_painted;
    }

private:
    Display* m_x;
    Atom m_pidAtom;
    pid_t m_pid = -1;
    int m_damageEvent = 0;
    Damage m_damage = 0;
    Window m_window = 0;
    QRect m_area;
    bool m_painted = false;
};

// Waits up to ms for the display connection to have something to read.
void waitForEvents(Display* display, double ms)
{
    pollfd p{ConnectionNumber(display), POLLIN, 0};
    poll(&p, 1, static_cast<int>(ms < 1 ? 1 : ms));
}

// Whether a client can connect, trying for up to two seconds.
bool canConnect(const QString& display)
{
    const QByteArray name = display.toLocal8Bit();
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (Display* x = XOpenDisplay(name.constData())) {
            XCloseDisplay(x);
            return true;
        }
        sleepMs(20);
    }
    return false;
}

} // namespace

ChildResult runToEnd(const QStringList& argv, const QStringList& extraEnv)
{
    ChildResult result;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return result;
    const pid_t pid = spawn(argv, extraEnv, fds[1]);
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        return result;
    }
    result.started = true;
    QByteArray out;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0)
        out.append(buffer, n);
    close(fds[0]);
    reap(pid, &result);
    result.output = QString::fromUtf8(out);
    return result;
}

VirtualDisplay::VirtualDisplay()
{
    // A display number of our own: other X servers may run on this machine, in other file-system
    // views that hide their lock files, so a number is taken only when nothing answers on it.
    for (int attempt = 0; attempt < 20 && m_name.isEmpty(); ++attempt) {
        const int number = 200 + (static_cast<int>(getpid()) * 7 + attempt * 13) % 700;
        const QString name = QStringLiteral(":%1").arg(number);
        if (Display* other = XOpenDisplay(name.toLocal8Bit().constData())) {
            XCloseDisplay(other);
            continue;
        }
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            break;
        // The server writes its display number to descriptor 3 once it accepts connections. Without
        // -noreset it would reset, refusing connections for a moment, each time its last client leaves.
        m_pid = spawn({QStringLiteral("Xvfb"), name, QStringLiteral("-displayfd"), QStringLiteral("3"),
                       QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("1280x1024x24"),
                       QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-noreset")},
                      {}, -1, fds[1], 3);
        close(fds[1]);
        QByteArray reported;
        char c = 0;
        while (m_pid > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
            reported.append(c);
        close(fds[0]);
        if (m_pid < 0) {
            m_error = QStringLiteral("cannot start Xvfb");
            return;
        }
        if (reported.toInt() == number && canConnect(name)) {
            m_name = name;
        } else {
            kill(m_pid, SIGTERM);
            ChildResult ignored;
            reap(m_pid, &ignored);
            m_pid = -1;
        }
    }
    if (m_name.isEmpty())
        m_error = QStringLiteral("no free display for Xvfb");
}

VirtualDisplay::~VirtualDisplay()
{
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        ChildResult ignored;
        reap(m_pid, &ignored);
    }
}

StartupResult watchStartup(const QString& display, const QString& program, double pollMs, int settleMs,
                           double idleSeconds)
{
    StartupResult result;
    const QByteArray displayName = display.toLocal8Bit();
    Display* x = XOpenDisplay(displayName.constData());
    if (!x) {
        result.error = QStringLiteral("cannot open display %1").arg(display);
        return result;
    }
    XSetErrorHandler(ignoreXErrors);
    const Atom pidAtom = XInternAtom(x, "_NET_WM_PID", False);
    const QStringList env{QStringLiteral("DISPLAY=") + display, QStringLiteral("QT_QPA_PLATFORM=xcb"),
                          QStringLiteral("WAYLAND_DISPLAY=")};

    auto paint = std::make_unique<PaintWatch>(x, pidAtom);
    const double start = nowMs();
    const pid_t pid = spawn({program}, env, -1);
    if (pid < 0) {
        paint.reset();
        XCloseDisplay(x);
        result.error = QStringLiteral("cannot start %1").arg(program);
        return result;
    }
    paint->watchFor(pid);
    const double deadline = start + 60000;
    bool alive = true;
    while (alive && nowMs() < deadline && !(result.mapped && (paint->painted() || !paint->works()))) {
        if (!result.mapped && viewableWindowOf(x, pidAtom, pid)) {
            result.mapped = true;
            result.msToMapped = nowMs() - start;
        }
        if (!result.painted && paint->take()) {
            result.painted = true;
            result.msToPainted = nowMs() - start;
        }
        alive = waitpid(pid, nullptr, WNOHANG) == 0;
        if (!result.painted)
            waitForEvents(x, pollMs);
        else
            sleepMs(pollMs);
    }
    paint.reset();
    XCloseDisplay(x);
    if (!result.mapped)
        result.error =
            alive ? QStringLiteral("no window within 60 s") : QStringLiteral("the program ended early");
    if (alive) {
        sleepMs(settleMs);
        if (idleSeconds > 0) {
            const double cpuBefore = cpuSeconds(pid);
            const double wallBefore = nowMs();
            sleepMs(idleSeconds * 1000);
            const double cpuAfter = cpuSeconds(pid);
            const double wall = (nowMs() - wallBefore) / 1000;
            if (cpuBefore >= 0 && cpuAfter >= 0 && wall > 0)
                result.cpuShare = 100.0 * (cpuAfter - cpuBefore) / wall;
        }
        kill(pid, SIGTERM);
    }
    ChildResult child;
    reap(pid, &child);
    result.peakRssMb = child.peakRssMb;
    return result;
}

} // namespace bench
