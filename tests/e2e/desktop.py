"""A real X desktop for the end-to-end test: Xvfb, optionally openbox and trayer, and the program.

Every process started here is remembered and stopped by its pid in stop(); every wait has a
deadline. Screenshots of the steps go to the scenario's shot folder.
"""

import hashlib
import json
import os
import re
import select
import shutil
import signal
import subprocess
import time

SCREEN_W = 1280
SCREEN_H = 1024
TITLE = "羽笔卷宗(Quillmark)  0.3 Alpha"


class StepFailed(Exception):
    pass


class Ended(StepFailed):
    """A process that a wait depends on has ended: the wait stops at once."""


def wait_for(what, probe, timeout=10.0, interval=0.05):
    """Polls probe() until it returns a true value, which is returned; fails after the deadline."""
    deadline = time.monotonic() + timeout
    last = None
    while True:
        try:
            last = probe()
        except Ended:
            raise
        except StepFailed:
            last = None
        if last:
            return last
        if time.monotonic() > deadline:
            raise StepFailed("timed out after %.0f s waiting for %s" % (timeout, what))
        time.sleep(interval)


def settle(probe, quiet=0.4, timeout=5.0, interval=0.05):
    """Waits until probe() has returned the same value for `quiet` seconds; returns that value."""
    deadline = time.monotonic() + timeout
    value = probe()
    since = time.monotonic()
    while time.monotonic() < deadline:
        time.sleep(interval)
        now = probe()
        if now != value:
            value, since = now, time.monotonic()
        elif time.monotonic() - since >= quiet:
            break
    return value


class Desktop:
    def __init__(self, shots, wm=False, tray=False):
        self.shots = shots
        self.wm = wm
        self.tray = tray
        self.procs = []  # (name, Popen), stopped in reverse order
        self.logs = []
        self.env = None
        self.display = None
        self.shot_no = 0

    # -- processes ---------------------------------------------------------------------------

    def spawn(self, name, argv, **kw):
        kw.setdefault("stdin", subprocess.DEVNULL)
        if "stdout" not in kw:
            log = open(os.path.join(self.shots, name + ".log"), "ab")
            self.logs.append(log)
            kw["stdout"] = log
            kw["stderr"] = subprocess.STDOUT
        kw.setdefault("env", self.env)
        proc = subprocess.Popen(argv, **kw)
        self.procs.append((name, proc))
        return proc

    def stop_process(self, proc, grace=3.0):
        if proc.poll() is not None:
            return
        proc.send_signal(signal.SIGTERM)
        try:
            proc.wait(grace)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait(5)

    def stop(self):
        for name, proc in reversed(self.procs):
            try:
                self.stop_process(proc)
            except Exception as e:  # keep stopping the others
                print("could not stop %s (pid %d): %s" % (name, proc.pid, e))
        self.procs = []
        for log in self.logs:
            log.close()
        self.logs = []

    # -- start-up ----------------------------------------------------------------------------

    def start(self):
        read_end, write_end = os.pipe()
        # -noreset: without it the server starts afresh whenever its last client leaves, and a client
        # that connects meanwhile (the next program, the window manager) is turned away.
        xvfb = self.spawn("xvfb", ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                                   "%dx%dx24" % (SCREEN_W, SCREEN_H), "-nolisten", "tcp", "-dpi", "96",
                                   "-noreset"],
                          pass_fds=(write_end,), env=os.environ.copy())
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 15
        while not number.endswith(b"\n"):
            left = deadline - time.monotonic()
            if left <= 0 or xvfb.poll() is not None:
                os.close(read_end)
                raise StepFailed("Xvfb did not report its display")
            ready, _, _ = select.select([read_end], [], [], left)
            if ready:
                chunk = os.read(read_end, 16)
                if not chunk:
                    break
                number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()
        env = {k: v for k, v in os.environ.items()
               if not k.startswith(("QT_", "XDG_SESSION", "WAYLAND"))}
        env.update(DISPLAY=self.display, LC_ALL="C.UTF-8", LANG="C.UTF-8",
                   QT_QPA_PLATFORM="xcb", XDG_CURRENT_DESKTOP="", NO_AT_BRIDGE="1",
                   QT_ACCESSIBILITY="0")
        runtime = os.path.join(self.shots, "runtime")
        os.makedirs(runtime, mode=0o700, exist_ok=True)
        env["XDG_RUNTIME_DIR"] = runtime
        # The user's settings (the window's place) belong to the scenario: shared by its runs only.
        env["XDG_CONFIG_HOME"] = os.path.join(self.shots, "config")
        # A data folder of the run's own: a store the user keeps there must never meet the tests.
        env["XDG_DATA_HOME"] = os.path.join(self.shots, "data")
        env.pop("XAUTHORITY", None)
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        self.env = env
        wait_for("the X server", lambda: self.run(["xprop", "-root", "RESOURCE_MANAGER"], check=False,
                                                  timeout=5).returncode == 0)
        if self.wm:
            openbox = self.spawn("openbox", ["openbox", "--sm-disable"])
            wait_for("openbox", lambda: self.alive(openbox, "openbox") and "_NET_SUPPORTING_WM_CHECK(WINDOW)"
                     in self.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check=False).stdout)
        if self.tray:
            trayer = self.spawn("trayer", ["trayer", "--edge", "top", "--align", "right", "--widthtype",
                                           "request", "--height", "32", "--SetDockType", "true",
                                           "--transparent", "false", "--tint", "0xffffff", "--expand", "true"])
            wait_for("the tray host", lambda: self.alive(trayer, "trayer") and self.search(["--class", "trayer"]))

    def alive(self, proc, name):
        if proc.poll() is not None:
            raise Ended("%s ended with code %s on display %s (see %s.log)"
                             % (name, proc.returncode, self.display, name))
        return True

    # -- tools -------------------------------------------------------------------------------

    def run(self, argv, check=True, timeout=10, input=None):
        try:
            done = subprocess.run(argv, env=self.env, capture_output=True, timeout=timeout,
                                  input=input.encode() if isinstance(input, str) else input)
        except subprocess.TimeoutExpired:
            raise StepFailed("%s did not finish within %d s" % (argv[0], timeout))
        done.stdout = done.stdout.decode("utf-8", "replace")
        done.stderr = done.stderr.decode("utf-8", "replace")
        if check and done.returncode != 0:
            raise StepFailed("%s failed: %s" % (" ".join(argv[:3]), done.stderr.strip()))
        return done

    def search(self, args):
        out = self.run(["xdotool", "search"] + args, check=False).stdout
        return [int(w) for w in out.split()]

    def prop(self, win, name):
        """The value text of one property, as xprop prints it, or None when it is not set."""
        out = self.run(["xprop", "-id", str(win), name], check=False).stdout.strip()
        if "=" not in out and ":" not in out:
            return None
        if "not found" in out or "no such atom" in out:
            return None
        return out.split("=", 1)[1].strip() if "=" in out else out.split(":", 1)[1].strip()

    def string_prop(self, win, name):
        value = self.prop(win, name)
        if value is None or not value.startswith('"'):
            return None
        return decode_xprop_string(value)

    def geometry(self, win):
        """(x, y, w, h, viewable) of a window: absolute upper-left of the window itself."""
        out = self.run(["xwininfo", "-id", str(win)], check=False).stdout
        if not out:
            return None
        def field(label):
            m = re.search(r"^\s*" + re.escape(label) + r":\s*(-?\d+)", out, re.M)
            return int(m.group(1)) if m else None
        return (field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"),
                field("Height"), "IsViewable" in out)

    def frame_extents(self, win):
        value = self.prop(win, "_NET_FRAME_EXTENTS")
        if not value:
            return (0, 0, 0, 0)
        return tuple(int(v) for v in value.split(","))

    def wm_state(self, win):
        out = self.run(["xprop", "-id", str(win), "WM_STATE"], check=False).stdout
        m = re.search(r"window state:\s*(\w+)", out)
        return m.group(1) if m else None

    def tree(self, win):
        return self.run(["xwininfo", "-tree", "-id", str(win)], check=False).stdout

    def move_mouse(self, x, y):
        self.run(["xdotool", "mousemove", str(x), str(y)])

    def click(self, x, y, button=1):
        self.move_mouse(x, y)
        self.run(["xdotool", "click", str(button)])

    def key(self, *keys):
        self.run(["xdotool", "key", "--delay", "30"] + list(keys))

    def type(self, text):
        self.run(["xdotool", "type", "--delay", "25", "--", text], timeout=30)

    def screenshot(self, label, window="root"):
        self.shot_no += 1
        path = os.path.join(self.shots, "%02d-%s.png" % (self.shot_no, label))
        self.run(["import", "-window", str(window), path], timeout=20)
        return path

    # -- clipboard ---------------------------------------------------------------------------

    def paste(self, text):
        """Puts text on the clipboard with xclip and pastes it with ctrl+v into the focused widget."""
        holder = self.spawn("xclip", ["xclip", "-quiet", "-selection", "clipboard", "-i"],
                            stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
        holder.stdin.write(text.encode())
        holder.stdin.close()
        wait_for("the clipboard to hold %r" % text,
                 lambda: self.run(["xclip", "-o", "-selection", "clipboard"], check=False,
                                  timeout=5).stdout == text)
        self.key("ctrl+v")
        return holder


def decode_xprop_string(value):
    """xprop writes non-printable bytes as octal escapes; turn a quoted value back into text."""
    body = value.strip()[1:-1]
    raw = bytearray()
    i = 0
    while i < len(body):
        c = body[i]
        if c == "\\" and i + 1 < len(body):
            if body[i + 1] in "01234567":
                j = i + 1
                while j < len(body) and j < i + 4 and body[j] in "01234567":
                    j += 1
                raw.append(int(body[i + 1:j], 8))
                i = j
                continue
            raw += body[i + 1].encode()
            i += 2
            continue
        raw += c.encode()
        i += 1
    return raw.decode("utf-8", "replace")


class Program:
    """One run of the program in its own program folder."""

    def __init__(self, desk, folder, binary, extras=()):
        self.desk = desk
        self.folder = folder
        self.binary = binary
        self.extras = extras
        self.proc = None
        self.win = None

    @property
    def store(self):
        return os.path.join(self.folder, "Sav.qlk")

    def install(self):
        os.makedirs(self.folder, exist_ok=True)
        for path in (self.binary,) + tuple(self.extras):
            if path and os.path.exists(path):
                shutil.copy2(path, os.path.join(self.folder, os.path.basename(path)))

    def start(self, timeout=30):
        self.install()
        exe = os.path.join(self.folder, os.path.basename(self.binary))
        self.proc = self.desk.spawn("quillmark", [exe], cwd=self.folder)
        self.win = wait_for("the window %r to map" % TITLE, self.find_window, timeout)
        return self.win

    def find_window(self):
        if self.proc.poll() is not None:
            raise Ended("the program ended with code %s" % self.proc.returncode)
        for win in self.desk.search(["--onlyvisible", "--pid", str(self.proc.pid)]):
            if self.desk.string_prop(win, "_NET_WM_NAME") == TITLE:
                return win
        return None

    def windows_named(self, title):
        found = []
        for win in self.desk.search(["--onlyvisible", "--pid", str(self.proc.pid)]):
            if self.desk.string_prop(win, "_NET_WM_NAME") == title:
                found.append(win)
        return found

    def origin(self):
        g = self.desk.geometry(self.win)
        return g[0], g[1]

    def click_at(self, x, y, button=1):
        ox, oy = self.origin()
        self.desk.click(ox + x, oy + y, button)

    def wait_exit(self, timeout=10):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise StepFailed("the program did not end within %d s" % timeout)

    def stop(self):
        if self.proc:
            self.desk.stop_process(self.proc)


class Store:
    """Reads the program's store with the sqlite3 command-line tool, independently of the program."""

    def __init__(self, path):
        self.path = path

    def query(self, sql):
        done = subprocess.run(["sqlite3", "-json", "-cmd", ".timeout 3000", self.path, sql],
                              capture_output=True, timeout=20)
        if done.returncode != 0:
            raise StepFailed("sqlite3 failed on %r: %s" % (sql, done.stderr.decode("utf-8", "replace")))
        text = done.stdout.decode("utf-8")
        return json.loads(text) if text.strip() else []

    def execute(self, sql):
        done = subprocess.run(["sqlite3", "-cmd", ".timeout 3000", self.path, sql],
                              capture_output=True, timeout=20)
        if done.returncode != 0:
            raise StepFailed("sqlite3 failed on %r: %s" % (sql, done.stderr.decode("utf-8", "replace")))

    def tables(self):
        return sorted(r["name"] for r in self.query("select name from sqlite_master where type='table'"))

    def columns(self, table):
        return [r["name"] for r in self.query("pragma table_info(%s)" % table)]

    def dump(self):
        """Every row of the three tables, for before-and-after comparisons."""
        return {t: self.query("select * from %s order by 1" % t) for t in ("card", "lstt", "sets")}


def file_state(path):
    """The store file's content hash and modification time."""
    with open(path, "rb") as f:
        digest = hashlib.sha256(f.read()).hexdigest()
    return digest, os.stat(path).st_mtime_ns
