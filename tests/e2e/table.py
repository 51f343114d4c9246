"""Scenario 11: at the table. A card picked with a click, "长休" from the list's menu, "保存": the ticks
and hit-point fields in the store; then the roster of every card, pictured for the README."""

import os

from checks import (card_row, close_by_window_manager, expect, insert, start_on_store, tick_string,
                    wait_store_ready)
from desktop import Store, settle, wait_for
from pixels import grab

# A fighter after a hard day: hit points and surges spent, temporary hit points and a failed death
# save, used powers and items, second wind used, bloodied, and a monster tracked on the last page.
TIRED = {1: "战士", 2: "善良", 6: "3", 8: "人类", 14: "30", 15: "15", 16: "7", 17: "8", 18: "5",
         19: "2", 20: "4", 24: "1", 104: "0"}
TIRED_F = (0, 4, 5, 6, 20, 28, 29)        # second wind, bloodied, two surges, two monster ticks
TIRED_WN = (0, 3, 9, 16, 25, 40, 56)      # at-will, encounter, utility, daily, magic items
TIRED_ENTRY = {"Nam": "艾琳", "lv": "3", "race": "人类", "tra": "战士", "cmp": "善良"}

# The others of the group, for the roster; in name order after 艾琳 (ài < bù < suǒ < wéi).
PARTY = [
    {"Nam": "布兰", "lv": "5", "race": "矮人", "tra": "牧师", "cmp": "守序善良"},
    {"Nam": "索尔", "lv": "12", "race": "龙裔", "tra": "圣武士", "cmp": "善良"},
    {"Nam": "维拉", "lv": "1", "race": "精灵", "tra": "游侠", "cmp": "无阵营"},
]
LINES = ["艾琳-Lv.3-人类-战士-善良", "布兰-Lv.5-矮人-牧师-守序善良", "索尔-Lv.12-龙裔-圣武士-善良",
         "维拉-Lv.1-精灵-游侠-无阵营"]


def party_store(run, desk):
    """The program creates its store and is closed; then four cards are written with sqlite3."""
    prog = run.program(desk)
    store = Store(prog.store)
    with run.step("first start creates the store"):
        prog.start()
        wait_store_ready(store)
        close_by_window_manager(desk, prog)
    with run.step("four cards written with the sqlite3 tool"):
        insert(store, "card", card_row("艾琳", TIRED, tick_string(TIRED_F, TIRED_WN)))
        insert(store, "lstt", TIRED_ENTRY)
        for entry in PARTY:
            fields = {1: entry["tra"], 2: entry["cmp"], 6: entry["lv"], 8: entry["race"]}
            insert(store, "card", card_row(entry["Nam"], fields, tick_string()))
            insert(store, "lstt", entry)
    return store


def open_list_menu(run, desk, prog, at):
    shown = len(desk.search(["--onlyvisible", "--pid", str(prog.proc.pid)]))
    prog.click_at(*at, button=3)
    wait_for("the list's menu", lambda: len(desk.search(["--onlyvisible", "--pid", str(prog.proc.pid)])) > shown)


def extended_rest(run):
    desk, store, prog = start_on_store(run, party_store, LINES)

    before = store.dump()
    with run.step("pick 艾琳 with a click, 长休 from the list's menu, 保存"):
        prog.click_at(*run.centre("listline"))
        open_list_menu(run, desk, prog, run.centre("listline"))
        # Seventh from the end, above "生命值…", "复制为文字", "打印预览…", "重命名…", "角色卡总览…" and
        # "恢复…", all on: a card is loaded and the pointer is over its line.
        desk.key("Up", "Up", "Up", "Up", "Up", "Up", "Up", "Return")
        prog.click_at(*run.centre("Command3"))
        after = wait_for("the rested card in the store",
                         lambda: store.dump()["card"] != before["card"] and store.dump(), 15)
    with run.step("sqlite3 shows the rested card and nothing else changed"):
        # Every power and item unticked, the combat card's ticks too, the monster's kept; hit points
        # and surges back to their maximum, temporary hit points and death saves emptied, one action
        # point; no longer bloodied.
        fields = dict(TIRED)
        fields.update({18: "30", 19: "8", 20: "", 24: "", 104: "1"})
        wanted = dict(before)
        rested = card_row("艾琳", fields, tick_string((20, 28)))
        wanted["card"] = [rested if row["Nae"] == "艾琳" else row for row in before["card"]]
        expect("store after 长休 and 保存", after, wanted)

    with run.step("角色卡总览… shows every card"):
        x, y, w, h = run.rect("listview")
        open_list_menu(run, desk, prog, (x + w // 2, y + h - 10))
        desk.key("Up", "Up", "Return")  # above "恢复…"
        roster = wait_for("the dialog \"角色卡总览\"", lambda: prog.windows_named("角色卡总览"))[0]
        desk.run(["xdotool", "windowactivate", "--sync", str(roster)])
        os.makedirs(run.pictures, exist_ok=True)
        settle(lambda: grab(desk, roster)).save(os.path.join(run.pictures, "roster.png"))
        desk.key("Escape")
        wait_for("the roster to close", lambda: not prog.windows_named("角色卡总览"))
    with run.step("closing the window ends the program"):
        close_by_window_manager(desk, prog)
