"""Scenarios 5 to 8: the tray icon, the edge auto-hide, a restart with it switched on and a second
start while the program runs."""

import os
import re
import shutil

from checks import NEUTRAL, expect, wait_store_ready
from desktop import SCREEN_H, SCREEN_W, TITLE, Ended, StepFailed, Store, file_state, settle, wait_for
from pixels import grab


# ---------------------------------------------------------------------------------------------
# 5. The tray icon

def tray_panel(desk):
    """trayer's panel window, which holds the sockets of the embedded icons."""
    for win in desk.search(["--class", "trayer"]):
        if (desk.prop(win, "WM_CLASS") or "").startswith('"panel"'):
            return win
    return None


def embedded_icons(desk, panel):
    """Ids of the windows inside the tray host's panel: its sockets and the icons embedded in them."""
    ids = []
    for line in desk.tree(panel).splitlines():
        parts = line.split()
        if parts and parts[0].startswith("0x"):
            ids.append(int(parts[0], 16))
    return ids


def program_windows(desk, prog, kind=None):
    """Viewable windows of the program other than its main window; kind filters by window type."""
    found = []
    for win in desk.search(["--onlyvisible", "--pid", str(prog.proc.pid)]):
        if win == prog.win:
            continue
        types = desk.prop(win, "_NET_WM_WINDOW_TYPE") or ""
        if kind is None or kind in types:
            found.append(win)
    return found


def tip_pixels(run, desk, text):
    """A tool tip holding text, shown by e2e-layout with the toolkit's own tip."""
    helper = desk.spawn("tip", [run.args.layout, "--tip", text])
    try:
        def shown():
            for win in desk.search(["--onlyvisible", "--pid", str(helper.pid)]):
                if "TOOLTIP" in (desk.prop(win, "_NET_WM_WINDOW_TYPE") or ""):
                    return win
            return None
        win = wait_for("the reference tip", shown)
        return settle(lambda: grab(desk, win))
    finally:
        desk.stop_process(helper)


def tray(run):
    desk = run.desktop(wm=True, tray=True)
    prog = run.program(desk)
    panel = wait_for("the tray host's panel", lambda: tray_panel(desk))
    with run.step("the icon appears in the tray host"):
        desk.move_mouse(*NEUTRAL)
        prog.start()
        icon = wait_for("the icon embedded in the tray host",
                        lambda: [w for w in program_windows(desk, prog) if w in embedded_icons(desk, panel)])[0]
        x, y, w, h, _ = desk.geometry(icon)
        centre = (x + w // 2, y + h // 2)
        # The icon shows the program's picture, not just a plain square.
        image = settle(lambda: grab(desk, icon))
        colours = {image.data[i:i + 3] for i in range(0, len(image.data), 3)}
        if len(colours) < 8:
            raise StepFailed("the tray icon shows %d colours only: no picture" % len(colours))
    with run.step("the icon's tip is 羽笔卷宗"):
        wanted = tip_pixels(run, desk, "羽笔卷宗")
        desk.move_mouse(*centre)
        tip = wait_for("the tip over the icon", lambda: program_windows(desk, prog, "TOOLTIP"))[0]
        shown = settle(lambda: grab(desk, tip))
        os.makedirs(run.pictures, exist_ok=True)
        desk.screenshot("tip")
        expect("pixels of the tip (same as a tip reading 羽笔卷宗)", shown == wanted, True)
    with run.step("left click minimizes"):
        desk.click(*centre)
        wait_for("WM_STATE Iconic", lambda: desk.wm_state(prog.win) == "Iconic")
    with run.step("left click restores"):
        desk.click(*centre)
        wait_for("WM_STATE Normal", lambda: desk.wm_state(prog.win) == "Normal")
        wait_for("the window to be viewable again", lambda: desk.geometry(prog.win)[4])

    def open_menu():
        desk.click(*centre, button=3)
        menu = wait_for("the tray menu", lambda: [w for w in program_windows(desk, prog)
                                                  if w != icon and w not in program_windows(desk, prog, "TOOLTIP")])
        return desk.geometry(menu[0]), menu[0]

    with run.step("right click shows the menu; 联系方式 shows the contact box"):
        (mx, my, mw, mh, _), menu = open_menu()
        shot = desk.screenshot("tray-menu")
        shutil.copy(shot, os.path.join(run.pictures, "tray-menu.png"))
        desk.click(mx + mw // 2, my + mh // 4)          # first of two items
        box = wait_for("the contact box", lambda: prog.windows_named("羽笔卷宗"))[0]
        desk.run(["xdotool", "windowactivate", "--sync", str(box)])
        desk.key("Return")
        wait_for("the contact box to close", lambda: not prog.windows_named("羽笔卷宗"))
        expect("the program still runs", prog.proc.poll(), None)
    with run.step("退出 ends the program and the icon leaves the tray"):
        (mx, my, mw, mh, _), menu = open_menu()
        desk.click(mx + mw // 2, my + 3 * mh // 4)      # second of two items
        expect("exit code after 退出", prog.wait_exit(15), 0)
        wait_for("the tray to hold no icon of the program", lambda: icon not in embedded_icons(desk, panel))


# ---------------------------------------------------------------------------------------------
# 6 and 7. Edge auto-hide ("磁性窗体")

STRIP = 50          # twips left on the screen at the top, left and right edges
TWIPS = 15          # twips per pixel


def near(got, twips):
    """A window position in pixels against a figure in twips: the window stands on whole pixels."""
    return got is not None and abs(got - twips / TWIPS) < 1


def position(desk, prog):
    x, y, _, _, _ = desk.geometry(prog.win)
    return x, y


def move_window(desk, prog, x, y, cursor):
    """Moves the window to (x, y) with the cursor resting inside it all the while: the cursor must
    lie inside the window both where it stands and where it goes, or the auto-hide would move the
    window itself in the middle of the move."""
    ox, oy, w, h, _ = desk.geometry(prog.win)
    for left, top in ((ox, oy), (x, y)):
        if not (left < cursor[0] < left + w and top < cursor[1] < top + h):
            raise StepFailed("cursor %r is not inside the window at (%d, %d)" % (cursor, left, top))
    desk.move_mouse(*cursor)
    desk.run(["xdotool", "windowmove", str(prog.win), str(x), str(y)])
    wait_for("the window to stand at (%d, %d)" % (x, y), lambda: position(desk, prog) == (x, y))


def expect_position(desk, prog, what, x=None, y=None, x_twips=None, y_twips=None, timeout=5):
    """Waits until the window stands where the figures put it; x, y in pixels or *_twips in twips."""
    def there():
        px, py = position(desk, prog)
        return ((x is None or px == x) and (y is None or py == y) and
                (x_twips is None or near(px, x_twips)) and (y_twips is None or near(py, y_twips)))
    try:
        wait_for(what, there, timeout)
    except Ended:
        raise
    except StepFailed:
        raise StepFailed("%s: the window stands at %r" % (what, position(desk, prog)))


def tick_magnetic(run, desk, prog, store):
    prog.click_at(*run.centre("CheckSet_0"))
    wait_for("magw 1 in the store", lambda: store.query("select magw from sets where Btips='XD'")
             == [{"magw": 1}])


def auto_hide(run):
    desk = run.desktop()          # no window manager: every move is honoured exactly
    prog = run.program(desk)
    store = Store(prog.store)
    with run.step("start without a window manager"):
        desk.move_mouse(640, 500)
        prog.start()
        wait_store_ready(store)
        _, _, W, H, _ = desk.geometry(prog.win)
        w, h = W * TWIPS, H * TWIPS
        sw, sh = SCREEN_W * TWIPS, SCREEN_H * TWIPS
    with run.step("tick 磁性窗体: magw 1 in the store"):
        tick_magnetic(run, desk, prog, store)

    with run.step("top edge: docked, cursor inside"):
        move_window(desk, prog, 100, 0, (600, 300))
    with run.step("top edge: cursor below hides, Top = 50 - Height"):
        desk.move_mouse(600, H + 40)
        expect_position(desk, prog, "hidden at the top", x=100, y_twips=STRIP - h)
    with run.step("top edge: cursor at row 0 within the columns shows, Top = 0"):
        desk.move_mouse(600, 0)
        expect_position(desk, prog, "shown at the top", x=100, y=0)

    with run.step("left edge: docked, cursor inside"):
        move_window(desk, prog, 0, 150, (300, 400))
    with run.step("left edge: cursor right of it hides, Left = 50 - Width"):
        desk.move_mouse(W + 40, 400)
        expect_position(desk, prog, "hidden at the left", x_twips=STRIP - w, y=150)
    with run.step("left edge: cursor at column 0 within the rows shows, Left = 0"):
        desk.move_mouse(0, 400)
        expect_position(desk, prog, "shown at the left", x=0, y=150)

    with run.step("right edge: docked, cursor inside"):
        move_window(desk, prog, SCREEN_W - W, 150, (600, 400))
    with run.step("right edge: cursor left of it hides, Left = screen width - 50"):
        desk.move_mouse(100, 400)
        expect_position(desk, prog, "hidden at the right", x_twips=sw - STRIP, y=150)
    with run.step("right edge: cursor in the last columns within the rows shows it"):
        desk.move_mouse(SCREEN_W - 1, 400)
        expect_position(desk, prog, "shown at the right", x=SCREEN_W - W, y=150)

    with run.step("bottom edge: docked, cursor inside"):
        move_window(desk, prog, 100, SCREEN_H - H, (600, 600))
    with run.step("bottom edge: cursor above hides it wholly, Top = screen height + 50"):
        desk.move_mouse(600, 100)
        expect_position(desk, prog, "hidden below the screen", x=100, y_twips=sh + STRIP)
    with run.step("bottom edge: cursor in the last rows within the columns shows it"):
        desk.move_mouse(600, SCREEN_H - 1)
        expect_position(desk, prog, "shown at the bottom", x=100, y=SCREEN_H - H)
    prog.stop()

    # Under a window manager with decorations the window's frame is what docks and hides: the strip
    # left on the screen is measured on the frame, also after a maximize and a restore.
    desk2 = run.desktop(wm=True)
    prog2 = run.program(desk2, "openbox")
    store2 = Store(prog2.store)
    notes = []
    with run.step("under openbox: start and tick 磁性窗体"):
        desk2.move_mouse(640, 500)
        prog2.start()
        wait_store_ready(store2)
        tick_magnetic(run, desk2, prog2, store2)
        notes.append("Edge auto-hide under openbox, frame extents %s, frame %r"
                     % (desk2.frame_extents(prog2.win), frame_of(desk2, prog2)))

    def hide_at_top(label):
        with run.step("under openbox, %s: docked at the top, cursor below hides the frame" % label):
            dock_frame(desk2, prog2, 100, 0)
            fx, fy, fw, fh = frame_of(desk2, prog2)
            desk2.move_mouse(fx + fw // 2, fy + fh + 40)
            frame = settle(lambda: frame_of(desk2, prog2), quiet=0.5, timeout=5)
            notes.append("  %-28s hidden at the top: frame %r, %d rows in view" % (label, frame, frame[1] + frame[3]))
            if not near(frame[1] + frame[3], STRIP):
                raise StepFailed("hidden at the top, %d rows of the frame stay in view, not %d twips"
                                 % (frame[1] + frame[3], STRIP))
        with run.step("under openbox, %s: cursor at row 0 shows it" % label):
            desk2.move_mouse(frame[0] + frame[2] // 2, 0)
            wait_for("the frame back at the top", lambda: frame_of(desk2, prog2)[1] == 0)

    hide_at_top("after start")
    with run.step("under openbox: maximize and restore by the title bar"):
        fx, fy, fw, fh = frame_of(desk2, prog2)
        title = (fx + fw // 2, fy + desk2.frame_extents(prog2.win)[2] // 2)
        for state in ("maximized", "restored"):
            desk2.move_mouse(*title)
            desk2.run(["xdotool", "click", "--repeat", "2", "--delay", "80", "1"])
            maximized = state == "maximized"
            wait_for("the window %s" % state, lambda: ("_NET_WM_STATE_MAXIMIZED_VERT" in
                                                       (desk2.prop(prog2.win, "_NET_WM_STATE") or "")) == maximized)
            settle(lambda: frame_of(desk2, prog2), quiet=0.5)
            title = (title[0], desk2.frame_extents(prog2.win)[2] // 2)
    hide_at_top("after maximize and restore")
    with run.step("under openbox: docked at the left, cursor right of it hides the frame"):
        dock_frame(desk2, prog2, 0, 150)
        fx, fy, fw, fh = frame_of(desk2, prog2)
        desk2.move_mouse(fw + 40, fy + fh // 2)
        frame = settle(lambda: frame_of(desk2, prog2), quiet=0.5, timeout=5)
        notes.append("  %-28s hidden at the left: frame %r, %d columns in view" % ("", frame, frame[0] + frame[2]))
        if not near(frame[0] + frame[2], STRIP):
            raise StepFailed("hidden at the left, %d columns of the frame stay in view" % (frame[0] + frame[2]))
    report = "\n".join(notes)
    print(report)
    with open(os.path.join(run.args.shots, "auto-hide-openbox.txt"), "w", encoding="utf-8") as f:
        f.write(report + "\n")


def frame_of(desk, prog):
    """(x, y, w, h) of the window manager's frame around the program's window: the ancestor that is a
    child of the root window."""
    win = prog.win
    while True:
        m = re.search(r"Root window id: (0x[0-9a-f]+).*?Parent window id: (0x[0-9a-f]+)",
                      desk.run(["xwininfo", "-children", "-id", str(win)]).stdout, re.S)
        if not m:
            raise StepFailed("no parent of window %s" % win)
        if m.group(1) == m.group(2):
            x, y, w, h, _ = desk.geometry(win)
            return x, y, w, h
        win = int(m.group(2), 16)


def dock_frame(desk, prog, x, y):
    """Moves the window until its frame's top left stands at (x, y), the cursor resting inside it."""
    fx, fy, fw, fh = frame_of(desk, prog)
    cx, cy, _, _, _ = desk.geometry(prog.win)
    cursor = (x + fw // 2, y + fh // 2)
    desk.move_mouse(*cursor)
    desk.run(["xdotool", "windowmove", str(prog.win), str(x + cx - fx), str(y + cy - fy)])
    try:
        wait_for("the frame at (%d, %d)" % (x, y), lambda: frame_of(desk, prog)[:2] == (x, y), 5)
    except StepFailed:
        # The window manager takes the position for the frame's: ask for it as such.
        desk.run(["xdotool", "windowmove", str(prog.win), str(x), str(y)])
        wait_for("the frame at (%d, %d)" % (x, y), lambda: frame_of(desk, prog)[:2] == (x, y), 5)


def restart_magw(run):
    desk = run.desktop()
    prog = run.program(desk)
    store = Store(prog.store)
    box = run.rect("CheckSet_0")
    rest = run.centre("LabelAbout")  # the cursor rests here, inside the window, away from the box
    with run.step("first run: tick 磁性窗体"):
        desk.move_mouse(*rest)
        prog.start()
        wait_store_ready(store)
        # The first start: centred on the screen.
        x, y = position(desk, prog)
        _, _, W, H, _ = desk.geometry(prog.win)
        if abs(x - (SCREEN_W - W) // 2) > 1 or abs(y - (SCREEN_H - H) // 2) > 1:
            raise StepFailed("the window opens at %r, not centred" % ((x, y),))
        clear = settle(lambda: grab(desk, prog.win)).crop(*box)
        tick_magnetic(run, desk, prog, store)
        prog.click_at(*run.centre("Text1_0"))   # the focus leaves the box, as after a restart
        desk.move_mouse(*rest)
        ticked = settle(lambda: grab(desk, prog.win)).crop(*box)
        if ticked == clear:
            raise StepFailed("the box looks the same ticked and clear")
        prog.stop()
    sets = store.query("select * from sets")
    state = file_state(store.path)
    with run.step("restart: the box is ticked"):
        desk.move_mouse(*rest)
        prog2 = run.program(desk)
        prog2.start()
        wait_for("the box to show ticked", lambda: grab(desk, prog2.win).crop(*box) == ticked)
    with run.step("restart: the settings row is not rewritten"):
        expect("sets after the restart", store.query("select * from sets"), sets)
        expect("store file (hash, mtime) after the restart", file_state(store.path), state)
    with run.step("restart: the edge auto-hide runs"):
        _, _, W, H, _ = desk.geometry(prog2.win)
        # Stopped, not closed, the first run left no place behind: the window opens centred again
        # and is taken into the top-left corner, docked at both edges.
        move_window(desk, prog2, 0, 0, (600, 400))
        desk.move_mouse(600, H + 40)
        expect_position(desk, prog2, "hidden in the corner", x_twips=STRIP - W * TWIPS,
                        y_twips=STRIP - H * TWIPS)
        desk.move_mouse(0, 1)
        expect_position(desk, prog2, "shown in the corner", x=0, y=0)
        prog2.stop()
        expect("sets after the run", store.query("select * from sets"), sets)
        expect("store file (hash, mtime) after the run", file_state(store.path), state)


# ---------------------------------------------------------------------------------------------
# 8. A second start brings the running window forward

def start_second_copy(desk, prog):
    """Starts the program again in the same folder (the same store): it must end at once with 0."""
    exe = os.path.join(prog.folder, os.path.basename(prog.binary))
    second = desk.spawn("quillmark-second", [exe], cwd=prog.folder)
    try:
        code = second.wait(15)
    except Exception:
        raise StepFailed("the second start did not end")
    expect("exit code of the second start", code, 0)


def second_start(run):
    desk = run.desktop(wm=True)
    prog = run.program(desk)
    with run.step("minimized window: a second start restores it and ends"):
        desk.move_mouse(640, 500)
        prog.start()
        wait_store_ready(Store(prog.store))
        desk.run(["xdotool", "windowminimize", "--sync", str(prog.win)])
        wait_for("WM_STATE Iconic", lambda: desk.wm_state(prog.win) == "Iconic")
        start_second_copy(desk, prog)
        wait_for("WM_STATE Normal", lambda: desk.wm_state(prog.win) == "Normal")
        wait_for("the window to be viewable again", lambda: desk.geometry(prog.win)[4])
        expect("windows of the program with its title", len(prog.windows_named(TITLE)), 1)
        prog.stop()

    desk2 = run.desktop()          # no window manager: every move is honoured exactly
    prog2 = run.program(desk2, "edge")
    store = Store(prog2.store)
    with run.step("hidden at the top edge: a second start brings it back and it stays"):
        desk2.move_mouse(640, 500)
        prog2.start()
        wait_store_ready(store)
        tick_magnetic(run, desk2, prog2, store)
        _, _, _, H, _ = desk2.geometry(prog2.win)
        move_window(desk2, prog2, 100, 0, (600, 300))
        desk2.move_mouse(600, H + 40)
        expect_position(desk2, prog2, "hidden at the top", x=100, y_twips=STRIP - H * TWIPS)
        start_second_copy(desk2, prog2)
        # One pixel below the edge: the auto-hide, still running, leaves it there.
        expect_position(desk2, prog2, "brought back below the top edge", x=100, y=1)
        expect("position a while later", settle(lambda: position(desk2, prog2), quiet=0.5), (100, 1))
        prog2.stop()
