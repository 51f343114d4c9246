"""Scenarios 1 to 4: the first start, a card typed with the keyboard, editing and deleting; 5, card
files; 6, a card added and saved with the shortcuts."""

import os

from checks import (CARD_COLUMNS, NEUTRAL, card_row, close_by_window_manager, expect, expect_list,
                    info_string, insert, start_on_store, tick_string, wait_store_ready)
from desktop import StepFailed, Store, settle, wait_for
from pixels import grab


# ---------------------------------------------------------------------------------------------
# 1. First start without a store

def first_start(run):
    desk = run.desktop(wm=True)
    prog = run.program(desk)
    store = Store(prog.store)

    with run.step("window maps with its title"):
        prog.start()
        x, y, w, h, viewable = desk.geometry(prog.win)
        expect("client area size in pixels", (w, h), tuple(run.layout["client"][4:6]))

    with run.step("store created with three tables and the XD row"):
        wait_store_ready(store)
        expect("columns of card", store.columns("card"), CARD_COLUMNS)
        expect("columns of lstt", store.columns("lstt"), ["Nam", "lv", "race", "tra", "cmp"])
        expect("columns of sets", store.columns("sets"), ["Btips", "magw", "Lng"])
        sets = store.query("select * from sets")
        expect("rows of sets", [(r["Btips"], r["magw"]) for r in sets], [("XD", 0)])
        expect("cards in a new store", store.query("select * from card"), [])
        expect("list entries in a new store", store.query("select * from lstt"), [])
        expect_list(run, desk, prog, [])

    os.makedirs(run.pictures, exist_ok=True)
    page = run.rect("FrameA_0")
    crops = []
    with run.step("five pages through the tab strip"):
        for tab in range(1, 6):
            prog.click_at(*run.centre("tab%d" % tab))
            desk.move_mouse(*NEUTRAL)
            previous = crops[-1] if crops else None
            wait_for("page %d to show" % tab,
                     lambda: tab == 1 or grab(desk, prog.win).crop(*page) != previous)
            image = settle(lambda: grab(desk, prog.win))
            image.save(os.path.join(run.pictures, "page-%d.png" % tab))
            crops.append(image.crop(*page))
        for a in range(5):
            for b in range(a + 1, 5):
                if crops[a] == crops[b]:
                    raise StepFailed("tabs %d and %d show the same page" % (a + 1, b + 1))
        prog.click_at(*run.centre("tab1"))
        desk.move_mouse(*NEUTRAL)
        wait_for("the first page to show again", lambda: grab(desk, prog.win).crop(*page) == crops[0])

    with run.step("LabelLR narrows the window to the side panel"):
        left, right = desk.frame_extents(prog.win)[:2]
        prog.click_at(*run.centre("LabelLR"))
        desk.move_mouse(*NEUTRAL)
        wait_for("an outer width of 420 pixels (6300 twips)",
                 lambda: desk.geometry(prog.win)[2] + left + right == 420)
        settle(lambda: grab(desk, prog.win)).save(os.path.join(run.pictures, "narrowed.png"))

    with run.step("LabelLR widens it again"):
        prog.click_at(*run.centre("LabelLR"))
        desk.move_mouse(*NEUTRAL)
        wait_for("an outer width of 1079 pixels (16185 twips)",
                 lambda: desk.geometry(prog.win)[2] + left + right == 1079)

    with run.step("closing the window ends the program"):
        close_by_window_manager(desk, prog)


# ---------------------------------------------------------------------------------------------
# 2. A card typed with the keyboard only

# What is typed into the fields of the first page, in Tab order. ("paste", text) goes through the
# clipboard (xdotool cannot type Chinese); ("type", text) is typed key by key; ("key", name) is one
# key. "@" is refused in every field, "-" in the name, class, alignment, level and race.
TYPED = {
    0: [("paste", "艾琳"), ("type", "-@")],
    1: [("paste", "法师"), ("type", "-")],
    2: [("paste", "守序善良"), ("type", "@")],
    3: [("type", "Sehanine-Moon@")],
    6: [("type", "3-@")],
    8: [("paste", "精灵"), ("type", "-")],
    9: [("paste", "女")],
    25: [("type", "a@b"), ("key", "Return"), ("type", "c-d")],
}
KEPT = {0: "艾琳", 1: "法师", 2: "守序善良", 3: "Sehanine-Moon", 6: "3", 8: "精灵", 9: "女",
        25: "ab\r\nc-d"}


def typed_plan(field):
    """Every other field gets its number, a refused "@" and an accepted "-": "14@x-" keeps "14x-"."""
    if field in TYPED:
        return TYPED[field], KEPT[field]
    return [("type", "%d@x-" % field)], "%dx-" % field


def keyboard_card(run):
    desk = run.desktop(wm=True)
    prog = run.program(desk)
    store = Store(prog.store)
    with run.step("start"):
        prog.start()
        wait_store_ready(store)
        desk.run(["xdotool", "windowactivate", "--sync", str(prog.win)])

    first_page = [name for name, page in run.order if page == 0]
    kept = {}
    ticked = []
    with run.step("准备新增 by the keyboard"):
        # The window opens with the focus on its first control, "准备新增".
        desk.key("space")
    with run.step("fields of the first page, walked with Tab"):
        for position, name in enumerate(first_page):
            if position > 0:
                desk.key("Tab")
            kind, number = name.split("_")
            number = int(number)
            if kind == "Text1":
                actions, kept[number] = typed_plan(number)
                for action, text in actions:
                    if action == "paste":
                        desk.paste(text)
                    elif action == "type":
                        desk.type(text)
                    else:
                        desk.key(text)
            elif kind == "CheckF":
                desk.key("space")
                ticked.append(number)
            else:
                raise StepFailed("unexpected control %s on the first page" % name)
    with run.step("新增 by the keyboard"):
        # Past the last control of the page the focus comes round to "准备新增", then "新增".
        desk.key("Tab", "Tab", "space")
        rows = wait_for("the card row", lambda: store.query("select * from card"), 20)

    with run.step("the stored card row"):
        expect("number of card rows", len(rows), 1)
        long_texts = {"ZhongZu": kept.pop(25)}
        wanted = card_row(kept.pop(0), kept, tick_string(check_f=ticked), long_texts)
        got = rows[0]
        for column in CARD_COLUMNS:
            if column == "Info":
                g, w = got["Info"].split("@"), wanted["Info"].split("@")
                expect("separators in Info", len(g) - 1, 286)
                wrong = [(k, g[k], w[k]) for k in range(287) if g[k] != w[k]]
                if wrong:
                    raise StepFailed("Info values differ (position, got, wanted): %r" % wrong[:8])
            else:
                expect("column %s" % column, got[column], wanted[column])
        expect("ticks typed with Space", ticked, [29])
    with run.step("the stored list entry"):
        expect("lstt rows", store.query("select * from lstt"),
               [{"Nam": "艾琳", "lv": "3", "race": "精灵", "tra": "法师", "cmp": "守序善良"}])
        expect_list(run, desk, prog, ["艾琳-Lv.3-精灵-法师-守序善良"])
    with run.step("closing the window ends the program"):
        close_by_window_manager(desk, prog)


# ---------------------------------------------------------------------------------------------
# 3 and 4. A store with two cards, written by the program's first start and the sqlite3 tool

ANN_FIELDS = {n: "s%d" % n for n in list(range(1, 25)) + list(range(26, 289))}
ANN_FIELDS.update({1: "法师", 2: "守序善良", 6: "3", 8: "精灵", 27: "12"})
ANN = card_row("艾琳", ANN_FIELDS, "10" * 43 + "1",
               {"ZhongZu": "一\r\n二", "Blog": "第一行\r\n第二行\r\n", "Lang": "通用语"})
ANN_ENTRY = {"Nam": "艾琳", "lv": "3", "race": "精灵", "tra": "法师", "cmp": "守序善良"}
# Sorts after 艾琳, so 艾琳 stands on the first line of the list.
DRAGON = card_row("龙", {}, "0" * 87)
DRAGON_ENTRY = {"Nam": "龙", "lv": "", "race": "", "tra": "", "cmp": ""}
NAME_MODE_LINES = ["艾琳-Lv.3-精灵-法师-守序善良", "龙-Lv.---"]


def two_card_store(run, desk):
    """The program creates its store and is closed; then two cards are written with sqlite3."""
    prog = run.program(desk)
    store = Store(prog.store)
    with run.step("first start creates the store"):
        prog.start()
        wait_store_ready(store)
        close_by_window_manager(desk, prog)
    with run.step("two cards written with the sqlite3 tool"):
        for card, entry in ((ANN, ANN_ENTRY), (DRAGON, DRAGON_ENTRY)):
            insert(store, "card", card)
            insert(store, "lstt", entry)
    return store


def pick_first_line(run, prog):
    prog.click_at(*run.centre("listline"))


def replace_field_text(run, desk, prog, field, text):
    prog.click_at(*run.centre("Text1_%d" % field))
    desk.key("ctrl+a")
    desk.type(text)


def wait_changed(store, before, what, timeout=15):
    return wait_for(what, lambda: store.dump() != before and store.dump(), timeout)


def restart_edit(run):
    desk, store, prog = start_on_store(run, two_card_store, NAME_MODE_LINES, "restart")

    before = store.dump()
    with run.step("pick the entry, change a defense field and a tick, 保存"):
        pick_first_line(run, prog)
        replace_field_text(run, desk, prog, 27, "15")   # fortitude, "10+1/2等级"
        prog.click_at(*run.centre("CheckF_29"))         # second wind used
        prog.click_at(*run.centre("Command3"))
        after = wait_changed(store, before, "the save to reach the store")
    with run.step("sqlite3 shows the change and nothing else"):
        fields = dict(ANN_FIELDS)
        fields[27] = "15"
        chk = ANN["Chk"][:29] + "1" + ANN["Chk"][30:]
        wanted = dict(before)
        wanted["card"] = [dict(ANN, Info=info_string(fields), Chk=chk), DRAGON]
        expect("store after the save", after, wanted)

    with run.step("display mode 等级 re-lays the entries"):
        expect_list(run, desk, prog, NAME_MODE_LINES)
        prog.click_at(*run.centre("Combo1"))
        # The drop-down opens over the box; its second item is "等级".
        desk.key("Home", "Down", "Return")
        expect_list(run, desk, prog, ["Lv.3-精灵-法师-艾琳-守序善良", "Lv.---龙-"])
    with run.step("the entry stays pickable in the new mode"):
        before = store.dump()
        pick_first_line(run, prog)
        replace_field_text(run, desk, prog, 6, "4")
        prog.click_at(*run.centre("Command3"))
        after = wait_changed(store, before, "the second save to reach the store")
        fields[6] = "4"
        wanted = dict(before)
        wanted["card"] = [dict(ANN, Info=info_string(fields), Chk=chk), DRAGON]
        wanted["lstt"] = [dict(ANN_ENTRY, lv="4"), DRAGON_ENTRY]
        expect("store after the save in mode 等级", after, wanted)
        expect_list(run, desk, prog, ["Lv.4-精灵-法师-艾琳-守序善良", "Lv.---龙-"])
    with run.step("closing the window ends the program"):
        close_by_window_manager(desk, prog)


def message_boxes(prog, title):
    return prog.windows_named(title)


def delete(run):
    desk, store, prog = start_on_store(run, two_card_store, NAME_MODE_LINES)
    before = store.dump()
    with run.step("删除 answered No"):
        pick_first_line(run, prog)
        prog.click_at(*run.centre("Command4"))
        box = wait_for("the question box \"Qlmk\"", lambda: message_boxes(prog, "Qlmk"))[0]
        desk.run(["xdotool", "windowactivate", "--sync", str(box)])
        desk.key("Escape")
        wait_for("the question box to close", lambda: not message_boxes(prog, "Qlmk"))
        expect("store after No", settle(store.dump, quiet=0.5), before)
    with run.step("删除 answered Yes"):
        prog.click_at(*run.centre("Command4"))
        box = wait_for("the question box \"Qlmk\"", lambda: message_boxes(prog, "Qlmk"))[0]
        desk.run(["xdotool", "windowactivate", "--sync", str(box)])
        desk.key("Return")
        wait_for("the question box to close", lambda: not message_boxes(prog, "Qlmk"))
        after = wait_changed(store, before, "the delete to reach the store")
        wanted = dict(before, card=[DRAGON], lstt=[DRAGON_ENTRY])
        expect("store after Yes", after, wanted)
        expect_list(run, desk, prog, ["龙-Lv.---"])
    with run.step("right click on the list, 恢复…, the deleted card back"):
        shown = len(desk.search(["--onlyvisible", "--pid", str(prog.proc.pid)]))
        x, y, w, h = run.rect("listview")
        prog.click_at(x + w // 2, y + h - 10, button=3)
        wait_for("the list's menu", lambda: len(desk.search(["--onlyvisible", "--pid", str(prog.proc.pid)])) > shown)
        desk.key("Up", "Return")  # "恢复…" ends the menu
        dialog = wait_for("the dialog \"恢复\"", lambda: message_boxes(prog, "恢复"))[0]
        desk.run(["xdotool", "windowactivate", "--sync", str(dialog)])
        # Newest first, the first entry chosen: the card just deleted (the backup made before the
        # day's first change comes after it).
        desk.key("Return")
        wait_for("the dialog to close", lambda: not message_boxes(prog, "恢复"))
        expect("store after 恢复所选", wait_changed(store, after, "the card to come back"), before)
        prog.click_at(*run.centre("Text1_0"))  # the list gives up the focus, and its focus frame
        expect_list(run, desk, prog, NAME_MODE_LINES)
        expect("backups beside the store (none made by a restore of a backup)",
               len(os.listdir(prog.store + ".backups")), 1)
        expect("message boxes", message_boxes(prog, "qlmk-Orz"), [])
    with run.step("closing the window ends the program"):
        close_by_window_manager(desk, prog)


# ---------------------------------------------------------------------------------------------
# 5. A card leaves in a card file and comes back in a fresh program folder

def card_bytes(store):
    """Both rows of every card, each value as hexadecimal bytes."""
    card = store.query("select %s from card order by Nae" % ", ".join("hex(%s) as %s" % (c, c) for c in CARD_COLUMNS))
    lstt = store.query("select hex(Nam) as Nam, hex(lv) as lv, hex(race) as race, hex(tra) as tra, "
                       "hex(cmp) as cmp from lstt order by Nam")
    return card, lstt


def answer_file_dialog(desk, prog, title, path):
    """The program's own file dialog: the whole path typed into its name box, then Return."""
    dialog = wait_for("the dialog %r" % title, lambda: prog.windows_named(title))[0]
    desk.run(["xdotool", "windowactivate", "--sync", str(dialog)])
    desk.key("ctrl+a")
    desk.type(path)
    desk.key("Return")
    wait_for("the dialog %r to close" % title, lambda: not prog.windows_named(title))


def save_menu_picture(run, desk, prog):
    """The context menu open on the first line, for the README."""
    x, y, w, h = run.rect("listline")
    ox, oy = prog.origin()
    menu = wait_for("the context menu", lambda: [win for win in desk.search(["--onlyvisible", "--pid", str(prog.proc.pid)])
                                                 if win != prog.win and desk.geometry(win)[3] > 100])[0]
    mx, my, mw, mh, _ = desk.geometry(menu)
    left, top = ox + x - 8, oy + y - 8
    width, height = max(mx + mw, ox + x + w) - left + 8, max(my + mh, oy + y + h) - top + 8
    os.makedirs(run.pictures, exist_ok=True)
    settle(lambda: desk.geometry(menu))
    desk.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (width, height, left, top),
              os.path.join(run.pictures, "list-menu.png")], timeout=20)


def card_files(run):
    desk = run.desktop(wm=True)
    store = two_card_store(run, desk)
    prog = run.program(desk)
    exported = os.path.join(run.work, "exported", "ailin.json")
    os.makedirs(os.path.dirname(exported))
    with run.step("right-click the first line, 导出角色卡…"):
        prog.start()
        desk.run(["xdotool", "windowactivate", "--sync", str(prog.win)])
        expect_list(run, desk, prog, NAME_MODE_LINES)
        prog.click_at(*run.centre("listline"), button=3)
        save_menu_picture(run, desk, prog)
        desk.key("Down", "Return")  # the first item
        answer_file_dialog(desk, prog, "导出角色卡", exported)
        wait_for("the card file", lambda: os.path.exists(exported))
        close_by_window_manager(desk, prog)

    fresh = run.program(desk, "fresh")
    fresh_store = Store(fresh.store)
    with run.step("导入角色卡… in a fresh program folder"):
        fresh.start()
        wait_store_ready(fresh_store)
        desk.run(["xdotool", "windowactivate", "--sync", str(fresh.win)])
        fresh.click_at(*run.centre("listview"), button=3)
        # Fourth from the end, before "导出全部角色卡…", "角色卡总览…" and "恢复…"; no line and no
        # sheet in use, so the others are off.
        desk.key("Up", "Up", "Up", "Up", "Return")
        answer_file_dialog(desk, fresh, "导入角色卡", exported)
        wait_for("the imported card", lambda: fresh_store.query("select Nam from lstt"))
    with run.step("the store rows compare equal"):
        card, lstt = card_bytes(store)
        got_card, got_lstt = card_bytes(fresh_store)
        expect("card row of 艾琳, byte for byte", got_card, card[:1])
        expect("lstt row of 艾琳, byte for byte", got_lstt, lstt[:1])
    with run.step("closing the window ends the program"):
        close_by_window_manager(desk, fresh)


# ---------------------------------------------------------------------------------------------
# 6. A card added and saved with the keyboard shortcuts

def shortcut_card(run):
    desk = run.desktop(wm=True)
    prog = run.program(desk)
    store = Store(prog.store)
    with run.step("start"):
        prog.start()
        wait_store_ready(store)
        desk.run(["xdotool", "windowactivate", "--sync", str(prog.win)])
    with run.step("Ctrl+N from a field, a name typed, Ctrl+Return"):
        prog.click_at(*run.centre("Text1_3"))
        desk.key("ctrl+n")          # the sheet empties and the name field takes the focus
        desk.type("Ann")
        desk.key("ctrl+Return")
        wait_for("the card row", lambda: store.query("select Nae from card"), 20)
        expect("cards after Ctrl+Return", store.query("select Nae, Info from card"),
               [{"Nae": "Ann", "Info": info_string({})}])
        expect_list(run, desk, prog, ["Ann-Lv.---"])
    before = store.dump()
    with run.step("pick it, change a field, Ctrl+S"):
        pick_first_line(run, prog)
        replace_field_text(run, desk, prog, 27, "15")
        desk.key("ctrl+s")
        after = wait_changed(store, before, "the save to reach the store")
        expect("card after Ctrl+S", after["card"], [card_row("Ann", {27: "15"}, "0" * 87)])
        expect("list entries after Ctrl+S", after["lstt"], before["lstt"])
    page = run.rect("FrameA_0")
    with run.step("Ctrl+Tab and Ctrl+Shift+Tab from inside the field turn the pages"):
        # The selected tab is drawn apart from the others; the page shows what the tab says.
        tab = run.rect("tab1")
        desk.move_mouse(*NEUTRAL)
        shown = settle(lambda: grab(desk, prog.win))
        desk.key("ctrl+Tab")
        wait_for("the second page", lambda: grab(desk, prog.win).crop(*page) != shown.crop(*page))
        wait_for("the first tab to look unselected", lambda: grab(desk, prog.win).crop(*tab) != shown.crop(*tab))
        desk.key("ctrl+shift+Tab")
        wait_for("the first tab selected again", lambda: grab(desk, prog.win).crop(*tab) == shown.crop(*tab))
        expect("the field after the page keys", store.dump(), after)
    with run.step("closing the window ends the program"):
        close_by_window_manager(desk, prog)
