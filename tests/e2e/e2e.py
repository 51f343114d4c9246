#!/usr/bin/env python3
"""The program driven as a user would, on a real X server.

    e2e.py SCENARIO --program build/quillmark --layout build/.../e2e-layout --shots build/e2e-shots

Each scenario runs the program in a fresh program folder of its own. Clicks go to the centres of the
rectangles that the layout table gives (e2e-layout prints them in pixels), so every passing click
also shows that its control stands where the layout puts it. The store is read with the sqlite3
tool. A failing step is named on the output, and the screenshots of the steps stay in
<shots>/<scenario>/; on success that folder is removed and only the pictures are kept.
"""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import cards  # noqa: E402
import shell  # noqa: E402
import table  # noqa: E402
from desktop import Desktop, Ended, Program, StepFailed  # noqa: E402

SCENARIOS = {
    "first-start": cards.first_start,
    "keyboard-card": cards.keyboard_card,
    "restart-edit": cards.restart_edit,
    "delete": cards.delete,
    "card-files": cards.card_files,
    "shortcut-card": cards.shortcut_card,
    "tray": shell.tray,
    "auto-hide": shell.auto_hide,
    "restart-magw": shell.restart_magw,
    "second-start": shell.second_start,
    "extended-rest": table.extended_rest,
}


class Run:
    """What a scenario works with: the layout, its shot folder, its desktops and its steps."""

    def __init__(self, args, name):
        self.args = args
        self.name = name
        self.shots = os.path.join(args.shots, name)
        self.pictures = os.path.join(args.shots, "pictures")
        shutil.rmtree(self.shots, ignore_errors=True)
        os.makedirs(self.shots)
        self.work = tempfile.mkdtemp(prefix="qlmk-e2e-%s-" % name)
        self.desktops = []
        self.current = None
        self.layout, self.order = read_layout(args.layout)
        self.widgets = None

    def desktop(self, wm=False, tray=False):
        desk = Desktop(self.shots, wm=wm, tray=tray)
        self.desktops.append(desk)
        desk.start()
        if self.widgets is None:
            self.widgets = read_widgets(self.args.layout, desk)
        return desk

    def program(self, desk, folder_name="program"):
        folder = os.path.join(self.work, folder_name)
        extras = (self.args.extra,) if self.args.extra else ()
        return Program(desk, folder, self.args.program, extras)

    def step(self, label):
        return Step(self, label)

    def rect(self, name):
        if name in self.layout:
            return self.layout[name][2:]
        return self.widgets[name]

    def centre(self, name):
        x, y, w, h = self.rect(name)
        return x + w // 2, y + h // 2

    def finish(self):
        for desk in reversed(self.desktops):
            desk.stop()
        shutil.rmtree(self.work, ignore_errors=True)


class Step:
    def __init__(self, run, label):
        self.run = run
        self.label = label

    def __enter__(self):
        self.run.current = self.label
        print("step: %s" % self.label, flush=True)
        return self

    def __exit__(self, kind, value, tb):
        desk = self.run.desktops[-1] if self.run.desktops else None
        if desk is not None and desk.display:
            try:
                desk.screenshot(self.label.replace(" ", "-").replace("/", "-")[:40])
            except Ended:
                raise
            except StepFailed:
                pass
        return False


def read_layout(helper):
    out = subprocess.run([helper], capture_output=True, timeout=30, check=True,
                         env={**os.environ, "QT_QPA_PLATFORM": "offscreen"}).stdout.decode()
    layout, order = {}, []
    for line in out.splitlines():
        parts = line.split()
        name, page, focus = parts[0], int(parts[1]), int(parts[2])
        layout[name] = (page, focus) + tuple(int(v) for v in parts[3:7])
        if focus:
            order.append((name, page))
    return layout, order


def read_widgets(helper, desk):
    out = desk.run([helper, "--widgets"], timeout=30).stdout
    widgets = {}
    for line in out.splitlines():
        parts = line.split()
        widgets[parts[0]] = tuple(int(v) for v in parts[1:5])
    return widgets


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("scenario", choices=sorted(SCENARIOS))
    parser.add_argument("--program", required=True)
    parser.add_argument("--layout", required=True)
    parser.add_argument("--shots", required=True)
    parser.add_argument("--extra", default="")
    parser.add_argument("--budget", type=int, default=100,
                        help="seconds the scenario may take before it is stopped as failed")
    args = parser.parse_args()

    # A stop request or the end of the budget fails the step under way; the processes are still
    # stopped on the way out.
    def stop(signum, _frame):
        raise Ended("stopped by signal %d" % signum)

    def out_of_time(_signum, _frame):
        raise Ended("the scenario ran past its budget of %d s" % args.budget)

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    signal.signal(signal.SIGALRM, out_of_time)
    signal.alarm(args.budget)

    run = Run(args, args.scenario)
    started = time.monotonic()
    failed = None
    try:
        SCENARIOS[args.scenario](run)
    except StepFailed as e:
        failed = str(e)
    except Exception:
        failed = traceback.format_exc()
    finally:
        signal.alarm(0)
        logs = {}
        for desk in run.desktops:
            path = os.path.join(desk.shots, "quillmark.log")
            if os.path.exists(path):
                logs[path] = open(path, encoding="utf-8", errors="replace").read()
        run.finish()
    took = time.monotonic() - started
    if failed:
        print("FAILED in scenario %s, step %r: %s" % (args.scenario, run.current, failed))
        for path, text in logs.items():
            if text.strip():
                print("--- program output (%s):\n%s" % (path, text[-3000:]))
        print("screenshots of the steps: %s" % run.shots)
        return 1
    shutil.rmtree(run.shots, ignore_errors=True)
    print("scenario %s passed in %.1f s" % (args.scenario, took))
    return 0


if __name__ == "__main__":
    sys.exit(main())
