#!/usr/bin/env python3
"""The Debian package as a player gets it: built from the test build with cpack, checked with
lintian, desktop-file-validate and appstreamcli, installed with apt-get, started from its menu
entry's Exec line on an Xvfb server as an unprivileged user (whose old Access store the installed
reader helper carries over) and as root, each with a fresh home, then purged again, also when a
step fails.

    installed.py --build BUILD_DIR --shots DIR

Needs root (installing a package); exits 77 (skipped) otherwise, or when the package is already
installed on this machine (the test would not leave it as it found it).
"""

import argparse
import glob
import json
import os
import shlex
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))

from desktop import TITLE, Desktop, StepFailed, wait_for  # noqa: E402

PACKAGE = "quillmark"
APP_ID = "io.github.quillmark.Quillmark"
PREFIX = "/usr"
SKIP = 77


def run(argv, check=True, quiet=False, **kw):
    print("$ " + " ".join(argv), flush=True)
    done = subprocess.run(argv, capture_output=True, text=True, timeout=300, **kw)
    output = (done.stdout + done.stderr).strip()
    if output and not quiet:
        print(output, flush=True)
    if check and done.returncode != 0:
        raise StepFailed("%s ended with code %d" % (argv[0], done.returncode))
    return done


def installed():
    done = subprocess.run(["dpkg-query", "-W", "-f=${Status}", PACKAGE], capture_output=True, text=True)
    return "install ok installed" in done.stdout


def exec_line(desktop_file):
    """The Exec command of the menu entry's main group, without its field codes."""
    group = None
    with open(desktop_file, encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if line.startswith("["):
                group = line
            elif group == "[Desktop Entry]" and line.startswith("Exec="):
                return [a for a in shlex.split(line[5:]) if not (len(a) == 2 and a[0] == "%")]
    raise StepFailed("no Exec line in %s" % desktop_file)


def prefix_leftovers(package_files):
    """What lies in the package's own places under the prefix that the package did not bring."""
    found = [os.path.join(PREFIX, "bin", name) for name in os.listdir(PREFIX + "/bin")
             if name.startswith(("Sav", "quillmark"))]
    for folder in (PREFIX + "/libexec/quillmark", PREFIX + "/share/quillmark"):
        found.append(folder)
        for root, dirs, files in os.walk(folder):
            found += [os.path.join(root, name) for name in dirs + files]
    return [path for path in found if os.path.lexists(path) and path not in package_files]


def start_as(desk, user, work, argv, old_store=None):
    """Starts the menu entry's command as `user` with a fresh home and an empty environment; with
    old_store, an Access store lies in the data folder first, for the installed reader helper."""
    home = os.path.join(work, user + "-home")
    runtime = os.path.join(work, user + "-runtime")
    store = os.path.join(home, ".local/share/Quillmark/Quillmark/Sav.qlk")
    for folder in (home, runtime):
        os.makedirs(folder, mode=0o700)
    if old_store:
        os.makedirs(os.path.dirname(store))
        shutil.copy(old_store, store)
    for folder in (home, runtime):
        for root, dirs, files in os.walk(folder):
            for name in [root] + [os.path.join(root, n) for n in dirs + files]:
                shutil.chown(name, user)
    env = ["env", "-i", "HOME=" + home, "XDG_RUNTIME_DIR=" + runtime, "DISPLAY=" + desk.display,
           "PATH=/usr/local/bin:/usr/bin:/bin", "LANG=C.UTF-8", "QT_ACCESSIBILITY=0", "NO_AT_BRIDGE=1"]
    group = subprocess.run(["id", "-gn", user], capture_output=True, text=True, check=True).stdout.strip()
    # setpriv executes the command in place: the window belongs to the pid started here.
    proc = desk.spawn("quillmark-" + user, ["setpriv", "--reuid=" + user, "--regid=" + group, "--clear-groups"]
                      + env + argv, env=os.environ.copy())

    def window():
        if proc.poll() is not None:
            raise StepFailed("the program ended with code %s (see %s)" % (proc.returncode, desk.shots))
        for win in desk.search(["--onlyvisible", "--pid", str(proc.pid)]):
            if desk.string_prop(win, "_NET_WM_NAME") == TITLE:
                return win
        return None

    wait_for("the window of the program started as %s to map" % user, window, timeout=30)

    def sqlite_store():
        with open(store, "rb") as f:
            return f.read(16) == b"SQLite format 3\0"
    wait_for("an SQLite store in the data folder of %s" % user, lambda: os.path.isfile(store) and sqlite_store())
    print("%s: window mapped, store at %s" % (user, store), flush=True)
    return proc, store


def old_access_store(work):
    """An Access store written by the legacy tests' fixture writer, and the names of its cards."""
    mdb, report = os.path.join(work, "old.mdb"), os.path.join(work, "old.json")
    run([sys.executable, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "legacy", "jetwriter.py"),
         "full", mdb, report])
    with open(report, encoding="utf-8") as f:
        return mdb, {row["Nae"] for row in json.load(f)["tables"]["card"]["rows"]}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--shots", required=True)
    args = parser.parse_args()
    if os.geteuid() != 0:
        print("SKIP: installing the package needs root")
        return SKIP
    if installed():
        print("SKIP: %s is already installed on this machine; the test installs and purges it" % PACKAGE)
        return SKIP
    before = prefix_leftovers(set())
    if before:
        print("SKIP: files of an earlier install are in the prefix: %s" % before)
        return SKIP

    work = tempfile.mkdtemp(prefix="qlmk-package-")
    os.chmod(work, 0o755)
    shots = os.path.join(args.shots, "package")
    shutil.rmtree(shots, ignore_errors=True)
    os.makedirs(shots)
    desk = Desktop(shots)
    failed = None
    try:
        # The package from the objects of the test build: nothing is compiled again.
        run(["cpack", "-G", "DEB", "--config", os.path.join(args.build, "CPackConfig.cmake"), "-B", work])
        debs = glob.glob(os.path.join(work, PACKAGE + "_*.deb"))
        if len(debs) != 1:
            raise StepFailed("cpack made %d packages" % len(debs))
        deb = debs[0]
        run(["lintian", "--fail-on", "error", "--display-info", deb])
        run(["apt-get", "install", "-y", "-q", "--no-install-recommends", deb],
            env={**os.environ, "DEBIAN_FRONTEND": "noninteractive"})
        desktop_file = "%s/share/applications/%s.desktop" % (PREFIX, APP_ID)
        run(["desktop-file-validate", desktop_file])
        run(["appstreamcli", "validate", "--no-net", "%s/share/metainfo/%s.metainfo.xml" % (PREFIX, APP_ID)])
        package_files = set(run(["dpkg-query", "-L", PACKAGE], quiet=True).stdout.split())

        desk.start()
        argv = exec_line(desktop_file)
        # An unprivileged player with an old Access store (read by the installed helper), and root
        # with none, who could write to the prefix but must not.
        mdb, cards = old_access_store(work)
        for user, old in (("nobody", mdb), ("root", None)):
            proc, store = start_as(desk, user, work, argv, old)
            if old:
                rows = json.loads(run(["sqlite3", "-json", store, "select Nae from card"], quiet=True).stdout)
                missing = cards - {r["Nae"] for r in rows}
                if missing:
                    raise StepFailed("%d cards of the Access store were not imported" % len(missing))
                if not glob.glob(store + ".legacy-mdb*"):
                    raise StepFailed("the Access store was not kept beside the new one")
            leftovers = prefix_leftovers(package_files)
            if leftovers:
                raise StepFailed("the program run as %s wrote into the prefix: %s" % (user, leftovers))
            desk.stop_process(proc)
    except StepFailed as e:
        failed = str(e)
    finally:
        desk.stop()
        if installed():
            run(["apt-get", "purge", "-y", "-q", PACKAGE], check=False,
                env={**os.environ, "DEBIAN_FRONTEND": "noninteractive"})
        # What a faulty program wrote into the prefix goes too: none of it was there before.
        for path in prefix_leftovers(set()):
            if os.path.lexists(path):
                print("removing %s, left in the prefix" % path)
                if os.path.isdir(path) and not os.path.islink(path):
                    shutil.rmtree(path, ignore_errors=True)
                else:
                    os.remove(path)
        shutil.rmtree(work, ignore_errors=True)
    if installed():
        failed = (failed or "") + "; the package is still installed after the purge"
    if failed:
        print("FAILED: %s (logs in %s)" % (failed, shots))
        return 1
    shutil.rmtree(shots, ignore_errors=True)
    print("the package installs, starts from its menu entry and purges cleanly")
    return 0


if __name__ == "__main__":
    sys.exit(main())
