"""Jet 4 (Access 2000) page layouts for the test fixture writer.

Follows the Jet 4 notes of mdbtools (HACKING): 4 KB pages, a table definition page per table, data
pages with a row offset table, long-value (LVAL) pages, type-0 usage maps, the RC4-masked header
page and RC4-encrypted pages.
"""
import struct

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
