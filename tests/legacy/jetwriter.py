#!/usr/bin/env python3
"""Writes small Jet 4 (Access 2000) files with the tables card, lstt and sets, for the legacy tests.

    jetwriter.py VARIANT OUT.mdb OUT.json

VARIANT is "full", "encrypted" (the same content with RC4-encrypted pages) or a damaged file:
"truncated", "truncated-mid", "broken-chain", "chain-loop", "no-table", "no-column", "bad-count",
or "duplicate-card" (two cards of one name, which the new store cannot hold), or "shared-memo" (400
more cards whose note points to one and the same 60 KB memo chain: a small file that reads as 24 MB;
its report leaves the card rows out).
OUT.json receives the rows exactly as written (null for NULL) and what the file exercises.
"""
import json
import struct
import sys

from jetpages import (PAGE, PASSWORD, T_INT, T_LONG, T_MEMO, T_OLE, T_TEXT, Column, File, Stats, Table,
                      build_row, header_page, rc4, tdef_page)


def info_string(fields):
    """The info string of a sheet whose fields (number -> text) are given: fields 1..24, 26..288."""
    order = list(range(1, 25)) + list(range(26, 289))
    return "@".join(fields.get(n, "") for n in order)


CARD_COLUMNS = ["Nae", "Info", "Chk", "ZhongZu", "ZhuanChang", "TeZheng", "Lang", "YiShi", "QiTa", "WuPin",
                "GeXing", "WaiMao", "MengYou", "BeiJing", "Blog"]
NOTES = CARD_COLUMNS[3:]


def card(name, fields=None, chk="0" * 87, notes=None):
    row = {"Nae": name, "Info": info_string(fields or {}), "Chk": chk}
    for c in NOTES:
        row[c] = ""
    row.update(notes or {})
    return row


def content():
    ann_fields = {n: "值%d" % n for n in range(1, 289) if n != 25}
    ann_fields.update({1: "Wizard", 2: "Good", 6: "3", 8: "Elf", 24: " blanks ", 288: "12 gp"})
    chinese = "".join("第%d行：精灵的专长，包含“引号”与 空格。\r\n" % i for i in range(1, 161))
    huge = "".join(("段落%05d：" % i) + "The quick brown fox 敏捷的狐狸 jumps over the lazy dog.\r\n"
                   for i in range(1, 1400))[:70000]
    ann = card("Ann", ann_fields, "10" * 43 + "1", {
        "ZhongZu": "Elf traits:\r\n  keen senses  \r\n\"quoted\" & 'single'",
        "ZhuanChang": chinese,
        "TeZheng": huge,
        "Lang": "通用语、精灵语 😀 and 𝄞 music",
        "YiShi": None,
        "QiTa": "",
        "WuPin": "He said \"hi\", then 'bye';\ttab; trailing  ",
        "GeXing": "   ",
        "WaiMao": ("Tall, with silver hair. " * 70)[:1500],
        "MengYou": ("Allies: Bob, Carol; " * 40)[:600],
        "BeiJing": "Hello 世界 again — mixed\r\nline two",
        "Blog": ("Session log line. " * 300)[:4000],
    })
    cards = [ann, card("O'Brien"), {c: None for c in CARD_COLUMNS}, card("孤卡", {1: "Fighter", 2: "Evil", 6: "7", 8: "Dwarf"}),
             card("Dup", {1: "Rogue", 2: "Neutral", 6: "2", 8: "Halfling"})]
    cards[2]["Nae"] = "空值卡"
    lstt = [
        {"Nam": "Ann", "lv": "3", "race": "Elf", "tra": "Wizard", "cmp": "Good"},
        {"Nam": "O'Brien", "lv": "", "race": "", "tra": "", "cmp": ""},
        {"Nam": "空值卡", "lv": None, "race": None, "tra": None, "cmp": None},
        {"Nam": "Dup", "lv": "1", "race": "X", "tra": "Y", "cmp": "Z"},
        {"Nam": "孤儿条目", "lv": "5", "race": "Elf", "tra": "Wizard", "cmp": "Good"},
        {"Nam": "Dup", "lv": "9", "race": "A", "tra": "B", "cmp": "C"},
        {"Nam": "Deleted Hero", "lv": "1", "race": "r", "tra": "t", "cmp": "c", "__state": "deleted"},
        {"Nam": "Orphan Two", "lv": None, "race": "", "tra": "Cleric", "cmp": None},
        {"Nam": "Dup", "lv": None, "race": None, "tra": None, "cmp": None},
    ]
    races = ["Human", "Elf", "矮人", "Halfling", "Dragonborn"]
    for i in range(1, 596):
        name = ("Hero%03d" if i % 2 else "英雄%03d") % i
        fields = {1: "Class%d" % (i % 7), 2: "Good" if i % 3 else "邪恶", 6: str(i % 30 + 1), 8: races[i % 5],
                  3: "Deity %d" % i, 100 + i % 150: "value %d" % i}
        notes = {"Blog": "note %d" % i} if i % 10 == 0 else {}
        cards.append(card(name, fields, ("%087d" % (i * 7919))[:87], notes))
        row = {"Nam": name, "lv": fields[6], "race": fields[8], "tra": fields[1], "cmp": fields[2]}
        if i == 2:
            row["__state"] = "moved"
        lstt.append(row)
    sets = [{"Btips": "XD", "magw": 1, "Lng": "简体中文(内置)"}, {"Btips": "YY", "magw": -2, "Lng": None},
            {"Btips": "ZZ", "magw": None, "Lng": "English"}]
    return cards, lstt, sets


def make_tables(damage):
    cards, lstt, sets = content()
    card_cols = [Column(n, T_TEXT if n in ("Nae", "Chk") else T_MEMO, 510) for n in CARD_COLUMNS]
    if damage == "duplicate-card":
        cards.append(card("Dup", {1: "Second"}))
    if damage == "shared-memo":
        shared = ("共享的长备注 shared memo text. " * 3000)[:60000]
        cards += [card("Shared%03d" % i, notes={"Blog": shared}) for i in range(400)]
    if damage == "no-column":
        card_cols = [c for c in card_cols if c.name != "Blog"]
        for r in cards:
            r.pop("Blog")
    lstt_cols = [Column("Nam", T_TEXT, 510), Column("lv", T_TEXT, 510),
                 Column("race", T_TEXT, 510, compress=False), Column("tra", T_TEXT, 510), Column("cmp", T_TEXT, 510)]
    sets_cols = [Column("Btips", T_TEXT, 510), Column("magw", T_INT), Column("Lng", T_TEXT, 510)]
    return [Table("card", card_cols, cards), Table("lstt", lstt_cols, lstt), Table("sets", sets_cols, sets)]


def write(damage, db_key):
    f = File()
    f.chains = []
    stats = Stats()
    header = f.reserve()
    usage = f.reserve()
    catalog = Table("MSysObjects", [Column("Id", T_LONG), Column("ParentId", T_LONG), Column("Name", T_TEXT, 256),
                                    Column("Type", T_INT), Column("Flags", T_LONG), Column("LvProp", T_OLE)],
                    [], system=True)
    catalog.tdef_page = f.reserve()
    map_page = f.new_row_page(0)
    catalog.data_pages = [f.new_row_page(catalog.tdef_page)]
    tables = make_tables(damage)
    for t in tables:
        t.tdef_page = f.reserve()
    orig_long_value = f.long_value

    shared = {}

    def long_value(data, stats, force=None):
        if damage == "shared-memo" and data in shared:
            return shared[data]
        value = orig_long_value(data, stats, force)
        if damage == "shared-memo" and len(data) > 50000:
            shared[data] = value
        if struct.unpack_from("<I", value)[0] & 0xC0000000 == 0:
            f.chains.append(struct.unpack_from("<I", value, 4)[0])
        return value
    f.long_value = long_value

    live = {}
    for t in tables:
        page = None
        live[t.name] = []
        for values in t.rows:
            state = values.get("__state")
            row = build_row(t, values, f, stats)
            if state == "moved":
                target = f.new_row_page(t.tdef_page)
                t.data_pages.append(target)
                ref = f.add_row(target, row, 0x8000)
                row, flags = struct.pack("<I", ref), 0x4000
            else:
                flags = 0x8000 if state == "deleted" else 0
            if page is None or not f.fits(page, len(row)):
                page = f.new_row_page(t.tdef_page)
                t.data_pages.append(page)
            f.add_row(page, row, flags)
            if state != "deleted":
                live[t.name].append({k: v for k, v in values.items() if k != "__state"})
    for t in tables:
        if damage == "no-table" and t.name == "lstt":
            continue
        catalog.rows.append({"Id": t.tdef_page, "ParentId": 0x0F000001, "Name": t.name, "Type": 1, "Flags": 0})
    catalog.rows.insert(0, {"Id": 2, "ParentId": 0x0F000001, "Name": "MSysObjects", "Type": 1,
                            "Flags": -0x80000000 + 2})
    for values in catalog.rows:
        f.add_row(catalog.data_pages[0], build_row(catalog, values, f, stats))

    total = f.count
    for t in [catalog] + tables:
        bitmap = bytearray((total + 7) // 8)
        for p in t.data_pages:
            bitmap[p // 8] |= 1 << (p % 8)
        used_ref = f.add_row(map_page, b"\0" + struct.pack("<I", 0) + bytes(bitmap))
        free_ref = f.add_row(map_page, b"\0" + struct.pack("<I", 0) + bytes(len(bitmap)))
        count = len(live.get(t.name, catalog.rows))
        if damage == "bad-count" and t.name == "lstt":
            count += 1
        f.pages[t.tdef_page] = tdef_page(t, count, used_ref, free_ref)

    longest = max(f.chains, key=lambda ref: chain_length(f, ref))
    if damage == "broken-chain":
        f.row_bytes(longest)[0:4] = struct.pack("<I", (longest >> 8 << 8) | 9)
    elif damage == "chain-loop":
        ref = longest
        while struct.unpack_from("<I", f.row_bytes(ref))[0]:
            ref = struct.unpack_from("<I", f.row_bytes(ref))[0]
        f.row_bytes(ref)[0:4] = struct.pack("<I", longest)

    f.pages[header] = header_page(db_key)
    b = bytearray(PAGE)
    b[0], b[1] = 5, 1
    f.pages[usage] = b
    for n in f.page_rows:
        f.pages[n] = f.serialize_rows(n)
    out = bytearray()
    for n in range(f.count):
        page = bytes(f.pages[n])
        if n and db_key:
            page = rc4(struct.pack("<I", db_key ^ n), page)
        out += page
    if damage == "truncated":
        out = out[:PAGE * (f.count * 2 // 3)]
    elif damage == "truncated-mid":
        out = out[:len(out) - 1000]
    lstt_pages = len(tables[1].data_pages)
    report = {"tables": {t.name: {"columns": [c.name for c in t.columns], "rows": live[t.name]} for t in tables},
              "memoForms": stats.memo, "compressedTexts": stats.compressed, "mixedTexts": stats.mixed,
              "uncompressedTexts": stats.uncompressed, "lsttPages": lstt_pages, "pages": f.count,
              "password": PASSWORD, "dbKey": db_key}
    return bytes(out), report


def chain_length(f, ref):
    n = 0
    while ref:
        n += 1
        ref = struct.unpack_from("<I", f.row_bytes(ref))[0]
    return n


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    variant = sys.argv[1]
    damages = ["truncated", "truncated-mid", "broken-chain", "chain-loop", "no-table", "no-column", "bad-count",
               "duplicate-card", "shared-memo"]
    if variant not in ["full", "encrypted"] + damages:
        sys.exit("unknown variant " + variant)
    data, report = write(variant if variant in damages else None, 0x5A3C96E1 if variant == "encrypted" else 0)
    if variant == "shared-memo":
        report["tables"]["card"]["rows"] = []  # the point is that they are too many to write out
    with open(sys.argv[2], "wb") as out:
        out.write(data)
    with open(sys.argv[3], "w", encoding="utf-8") as out:
        json.dump(report, out, ensure_ascii=True)


if __name__ == "__main__":
    main()
