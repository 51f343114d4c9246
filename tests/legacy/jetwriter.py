#!/usr/bin/env python3
"""Writes small Jet 4 (Access 2000) files with the tables card, lstt and sets, for the legacy tests.

    jetwriter.py VARIANT OUT.mdb OUT.json

VARIANT is "full", "encrypted" (the same content with RC4-encrypted pages) or a damaged file:
"truncated", "truncated-mid", "broken-chain", "chain-loop", "no-table", "no-column", "bad-count".
OUT.json receives the rows exactly as written (null for NULL) and what the file exercises.

Page layouts follow the Jet 4 notes of mdbtools (HACKING): 4 KB pages, a table definition page per
table, data pages with a row offset table, long-value (LVAL) pages, type-0 usage maps.
"""
import json
import struct
import sys

PAGE = 4096
PASSWORD = "47kqvane52tz"
HEADER_KEY = bytes([0xC7, 0xDA, 0x39, 0x6B])
CREATED = 44568.5  # a creation date (days since 1899-12-30), also the password mask

T_BYTE, T_INT, T_LONG, T_TEXT, T_OLE, T_MEMO = 0x02, 0x03, 0x04, 0x0A, 0x0B, 0x0C
INLINE_MAX = 64      # long values up to this many bytes stay in the row
SINGLE_MAX = 4000    # up to this many bytes in one LVAL row, longer ones are chained
CHUNK = PAGE - 14 - 2 - 4


def rc4(key, data):
    s = list(range(256))
    j = 0
    for i in range(256):
        j = (j + s[i] + key[i % len(key)]) & 255
        s[i], s[j] = s[j], s[i]
    i = j = 0
    out = bytearray(len(data))
    for n, b in enumerate(data):
        i = (i + 1) & 255
        j = (j + s[i]) & 255
        s[i], s[j] = s[j], s[i]
        out[n] = b ^ s[(s[i] + s[j]) & 255]
    return bytes(out)


class Stats:
    def __init__(self):
        self.memo = {"inline": 0, "single": 0, "chain": 0}
        self.compressed = 0
        self.mixed = 0
        self.uncompressed = 0


def encode_text(s, compress, stats):
    """Stored bytes of a text: UTF-16LE, or the FF FE compressed form when allowed and shorter."""
    raw = s.encode("utf-16-le")
    units = [struct.unpack_from("<H", raw, i)[0] for i in range(0, len(raw), 2)]
    # In the compressed form a 0x00 byte switches modes, so no wide unit may have a zero low byte.
    if compress and units and all(u != 0 for u in units) and all(u < 256 or (u & 0xFF) for u in units):
        out = bytearray(b"\xff\xfe")
        narrow = True
        switched = False
        for u in units:
            if (u < 256) != narrow:
                out.append(0)
                narrow = not narrow
                switched = True
            out += bytes([u]) if narrow else struct.pack("<H", u)
        if len(out) < len(raw):
            stats.compressed += 1
            if switched:
                stats.mixed += 1
            return bytes(out)
    if units:
        stats.uncompressed += 1
    return raw


class Column:
    def __init__(self, name, ctype, size=0, compress=True):
        self.name, self.type, self.size, self.compress = name, ctype, size, compress
        self.fixed = ctype in (T_BYTE, T_INT, T_LONG)
        self.num = self.var_index = self.fixed_offset = 0


def fixed_size(ctype):
    return {T_BYTE: 1, T_INT: 2, T_LONG: 4}[ctype]


class Table:
    def __init__(self, name, columns, rows, system=False):
        self.name, self.columns, self.rows, self.system = name, columns, rows, system
        var = fixed = 0
        for n, c in enumerate(columns):
            c.num = n
            if c.fixed:
                c.size = fixed_size(c.type)
                c.fixed_offset = fixed
                fixed += c.size
            else:
                c.var_index = var
                var += 1
        self.fixed_len = fixed
        self.num_var = var
        self.tdef_page = 0
        self.data_pages = []
        self.stored_count = None  # written into the definition when set (else the real count)


class File:
    def __init__(self):
        self.pages = {}        # number -> bytearray (finished pages)
        self.page_rows = {}    # number -> (tdef or b"LVAL", [row bytes], [flags])
        self.count = 0
        self.lval = None

    def reserve(self):
        n = self.count
        self.count += 1
        return n

    def new_row_page(self, owner):
        n = self.reserve()
        self.page_rows[n] = (owner, [], [])
        return n

    @staticmethod
    def used(rows):
        return 14 + 2 * len(rows) + sum(len(r) for r in rows)

    def add_row(self, page, row, flags=0):
        rows = self.page_rows[page][1]
        rows.append(bytearray(row))
        self.page_rows[page][2].append(flags)
        return (page << 8) | (len(rows) - 1)

    def fits(self, page, size):
        return self.used(self.page_rows[page][1]) + 2 + size <= PAGE

    def lval_row(self, data):
        if self.lval is None or not self.fits(self.lval, len(data)):
            self.lval = self.new_row_page(b"LVAL")
        return self.add_row(self.lval, data)

    def long_value(self, data, stats, force=None):
        form = force or ("inline" if len(data) <= INLINE_MAX else "single" if len(data) <= SINGLE_MAX else "chain")
        stats.memo[form] += 1
        if form == "inline":
            return struct.pack("<III", len(data) | 0x80000000, 0, 0) + data
        if form == "single":
            return struct.pack("<III", len(data) | 0x40000000, self.lval_row(data), 0)
        chunks = [data[i:i + CHUNK] for i in range(0, len(data), CHUNK)]
        refs = []
        for chunk in chunks:  # each chunk on a page of its own, the next pointer patched in later
            self.lval = self.new_row_page(b"LVAL")
            refs.append(self.add_row(self.lval, b"\0\0\0\0" + chunk))
        for k in range(len(refs) - 1):
            self.row_bytes(refs[k])[0:4] = struct.pack("<I", refs[k + 1])
        self.lval = None
        return struct.pack("<III", len(data), refs[0], 0)

    def row_bytes(self, ref):
        return self.page_rows[ref >> 8][1][ref & 0xFF]

    def serialize_rows(self, n):
        owner, rows, flags = self.page_rows[n]
        b = bytearray(PAGE)
        b[0], b[1] = 1, 1
        struct.pack_into("<H", b, 2, PAGE - self.used(rows))
        b[4:8] = owner if isinstance(owner, bytes) else struct.pack("<I", owner)
        struct.pack_into("<H", b, 12, len(rows))
        end = PAGE
        for i, row in enumerate(rows):
            start = end - len(row)
            b[start:end] = row
            struct.pack_into("<H", b, 14 + 2 * i, start | flags[i])
            end = start
        return b


def build_row(table, values, f, stats):
    """values: column name -> str / int / None; a str of a long-text column may be (text, form)."""
    ncols = len(table.columns)
    mask = bytearray((ncols + 7) // 8)
    fixed = bytearray(table.fixed_len)
    var = []
    for c in table.columns:
        v = values.get(c.name)
        force = None
        if isinstance(v, tuple):
            v, force = v
        if v is not None:
            mask[c.num // 8] |= 1 << (c.num % 8)
        if c.fixed:
            if v is not None:
                fmt = {1: "<B", 2: "<h", 4: "<i"}[c.size]
                struct.pack_into(fmt, fixed, c.fixed_offset, v)
            continue
        if v is None:
            var.append(b"")
        elif c.type == T_TEXT:
            var.append(encode_text(v, c.compress, stats))
        else:
            data = encode_text(v, c.compress and len(v) <= 1024, stats)
            var.append(f.long_value(data, stats, force))
    row = bytearray(struct.pack("<H", ncols)) + fixed
    offsets = []
    for data in var:
        offsets.append(len(row))
        row += data
    offsets.append(len(row))  # end of data
    for o in reversed(offsets):
        row += struct.pack("<H", o)
    row += struct.pack("<H", len(var)) + mask
    return bytes(row)


def tdef_page(table, count, used_ref, free_ref):
    b = bytearray(PAGE)
    b[0], b[1] = 2, 1
    struct.pack_into("<I", b, 16, count)
    b[40] = 0x53 if table.system else 0x4E
    struct.pack_into("<HHH", b, 41, len(table.columns), table.num_var, len(table.columns))
    struct.pack_into("<IIII", b, 47, 0, 0, used_ref, free_ref)
    pos = 63
    for c in table.columns:
        flags = (0x01 if c.fixed else 0) | 0x02
        misc = 0x409 if c.type in (T_TEXT, T_MEMO) else 0
        size = c.size if c.type != T_MEMO and c.type != T_OLE else 0
        struct.pack_into("<BIHHHHHBBIHH", b, pos, c.type, 0, c.num, c.var_index, c.num, misc, 0, flags,
                         1 if c.compress and c.type in (T_TEXT, T_MEMO) else 0, 0, c.fixed_offset, size)
        pos += 25
    for c in table.columns:
        name = c.name.encode("utf-16-le")
        struct.pack_into("<H", b, pos, len(name))
        b[pos + 2:pos + 2 + len(name)] = name
        pos += 2 + len(name)
    struct.pack_into("<I", b, 8, pos - 8)
    struct.pack_into("<H", b, 2, PAGE - pos - 8)
    return b


def header_page(db_key):
    b = bytearray(PAGE)
    b[0], b[1] = 0, 1
    b[4:20] = b"Standard Jet DB\0"
    struct.pack_into("<I", b, 0x14, 1)
    struct.pack_into("<HI", b, 0x3C, 0x4E4, db_key)
    mask = struct.pack("<i", int(CREATED))
    pw = PASSWORD.encode("utf-16-le").ljust(40, b"\0")
    b[0x42:0x6A] = bytes(pw[i] ^ mask[i % 4] for i in range(40))
    struct.pack_into("<I", b, 0x6E, 0x409)
    struct.pack_into("<d", b, 0x72, CREATED)
    b[0x18:0x98] = rc4(HEADER_KEY, bytes(b[0x18:0x98]))
    return b


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

    def long_value(data, stats, force=None):
        value = orig_long_value(data, stats, force)
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
    damages = ["truncated", "truncated-mid", "broken-chain", "chain-loop", "no-table", "no-column", "bad-count"]
    if variant not in ["full", "encrypted"] + damages:
        sys.exit("unknown variant " + variant)
    data, report = write(variant if variant in damages else None, 0x5A3C96E1 if variant == "encrypted" else 0)
    with open(sys.argv[2], "wb") as out:
        out.write(data)
    with open(sys.argv[3], "w", encoding="utf-8") as out:
        json.dump(report, out, ensure_ascii=True)


if __name__ == "__main__":
    main()
