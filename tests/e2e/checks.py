"""What the scenarios share: the card record as the store holds it, and checks on the window."""

import os

from desktop import SCREEN_H, SCREEN_W, StepFailed, settle, wait_for
from pixels import grab, list_pixels

NEUTRAL = (SCREEN_W - 1, SCREEN_H - 1)  # a screen corner no window of the test covers


def expect(what, got, wanted):
    if got != wanted:
        raise StepFailed("%s: got %r, wanted %r" % (what, got, wanted))


def info_string(fields):
    """The info string of a sheet whose fields are given as {index: text}; the others are empty."""
    return "@".join(fields.get(n, "") for n in list(range(1, 25)) + list(range(26, 289)))


def tick_string(check_f=(), check_wn=()):
    return "".join("1" if i in check_f else "0" for i in range(30)) + \
        "".join("1" if i in check_wn else "0" for i in range(57))


CARD_COLUMNS = ["Nae", "Info", "Chk", "ZhongZu", "ZhuanChang", "TeZheng", "Lang", "YiShi", "QiTa",
                "WuPin", "GeXing", "WaiMao", "MengYou", "BeiJing", "Blog"]


def card_row(name, fields, chk, long_texts=None):
    row = {c: "" for c in CARD_COLUMNS}
    row.update(Nae=name, Info=info_string(fields), Chk=chk)
    row.update(long_texts or {})
    return row


def wait_store_ready(store, timeout=20):
    """Until the program has created its store with the settings row."""
    def ready():
        if not os.path.exists(store.path):
            return False
        if store.tables() != ["card", "lstt", "sets"]:
            return False
        return store.query("select * from sets where Btips='XD'")
    return wait_for("the store with its settings row", ready, timeout)


def expect_list(run, desk, prog, lines):
    """List1 shows exactly these lines, nothing selected: its pixels against the same list drawn by
    e2e-layout with these lines."""
    wanted = list_pixels(run.args.layout, desk, lines)
    x, y, w, h = run.rect("listview")
    expect("size of the list's visible area", (w, h), (wanted.width, wanted.height))
    desk.move_mouse(*NEUTRAL)
    wait_for("the list to show %r" % (lines,), lambda: grab(desk, prog.win).crop(x, y, w, h) == wanted.data)


def start_on_store(run, make_store, lines, step="start"):
    """A desktop with a window manager, a store made by make_store(run, desk), the program started on
    it and in front, its list showing exactly these lines. Returns the desktop, store and program."""
    desk = run.desktop(wm=True)
    store = make_store(run, desk)
    prog = run.program(desk)
    with run.step(step):
        prog.start()
        desk.run(["xdotool", "windowactivate", "--sync", str(prog.win)])
        expect_list(run, desk, prog, lines)
    return desk, store, prog


def close_by_window_manager(desk, prog):
    """The window's close button, as the window manager offers it (alt+F4 in openbox)."""
    def focused():
        active = desk.run(["xdotool", "getactivewindow"], check=False).stdout.strip()
        focus = desk.run(["xdotool", "getwindowfocus"], check=False).stdout.strip()
        return active == focus == str(prog.win)

    desk.run(["xdotool", "windowactivate", "--sync", str(prog.win)])
    wait_for("the window to hold the focus", lambda: settle(focused, quiet=0.3) and focused())
    desk.key("alt+F4")
    try:
        code = prog.wait_exit(8)
    except StepFailed:
        # The window manager lets a close key go by now and then while it moves the focus about. Say
        # so, and close once more: a program that ignores close requests fails the second time too.
        active = desk.run(["xdotool", "getactivewindow"], check=False).stdout.strip()
        print("NOTE: alt+F4 did not close the window within 8 s (window %s: %s, WM_STATE %s, "
              "active window %s); pressed again" % (prog.win, desk.geometry(prog.win),
                                                    desk.wm_state(prog.win), active), flush=True)
        desk.run(["xdotool", "windowactivate", "--sync", str(prog.win)])
        desk.key("alt+F4")
        code = prog.wait_exit(10)
    expect("exit code after closing the window", code, 0)


def sql_text(value):
    return "'" + value.replace("'", "''") + "'"


def insert(store, table, row):
    columns = ", ".join(row)
    values = ", ".join(sql_text(v) for v in row.values())
    store.execute("insert into %s (%s) values (%s)" % (table, columns, values))
