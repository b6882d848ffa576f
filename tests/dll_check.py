#!/usr/bin/python3
"""Checks a built talvernis.dll as a file: machine type, imports (system
DLLs only), library name and exports, and every field of its three
resources with their languages and code pages, and that no other resource
exists. Usage: dll_check.py DLL i386|x86_64"""
import struct
import sys

import pefile

FACE = "\uff2d\uff33 \uff30\u30b4\u30b7\u30c3\u30af"
CANCEL = "\uff77\uff6c\uff9d\uff7e\uff99"
COPYRIGHT = "Copyright (C) 2026 Talvernis team"
TRADEMARK = "Xmodeler: trademark of its maker"

BUTTON, EDIT, STATIC = 0x80, 0x81, 0x82
# id, class, text, style, x, y, cx, cy -- in template order
CONTROLS = [
    (107, EDIT, "0", 0x50810000, 36, 16, 60, 12),
    (108, EDIT, "0", 0x50810000, 36, 36, 60, 12),
    (109, EDIT, "0", 0x50810000, 36, 56, 60, 12),
    (106, BUTTON, "Extrude", 0x50010003, 36, 76, 48, 12),
    (1, BUTTON, "OK", 0x50010300, 112, 16, 50, 14),
    (2, BUTTON, CANCEL, 0x50010300, 112, 40, 50, 14),
    (101, STATIC, "Frame1", 0x50000012, 4, 96, 164, 48),
    (102, STATIC, COPYRIGHT, 0x50000000, 8, 108, 156, 8),
    (104, STATIC, TRADEMARK, 0x50000000, 8, 132, 156, 8),
    (105, BUTTON, "Offset", 0x50020007, 4, 4, 100, 88),
    (110, STATIC, "East", 0x50000000, 12, 20, 16, 8),
    (111, STATIC, "North", 0x50000000, 12, 40, 16, 8),
    (112, STATIC, "Up", 0x50000000, 12, 60, 16, 8),
    (113, STATIC, "Talvernis 0.992", 0x50000000, 8, 100, 156, 8),
    (103, STATIC, "talvernis@example.org", 0x50000000, 8, 116, 156, 8),
    (114, STATIC, "https://www.example.org/talvernis/", 0x50000000, 8, 124, 156, 8),
]
VERSION_STRINGS = [
    ("CompanyName", ""),
    ("FileDescription", "Vertex offset plug-in for Xmodeler"),
    ("FileVersion", "0.993"),
    ("InternalName", "Talvernis"),
    ("LegalCopyright", COPYRIGHT),
    ("LegalTrademarks", TRADEMARK),
    ("OriginalFilename", "talvernis.exe"),
    ("ProductName", "Talvernis"),
    ("ProductVersion", "0.993"),
]
MESSAGE = "Too few vertices are selected for this operation"

failures = []


def expect(what, got, want):
    if got != want:
        failures.append(f"{what}: got {got!r}, want {want!r}")


class Reader:
    def __init__(self, data, pos=0):
        self.data, self.pos = data, pos

    def take(self, fmt):
        values = struct.unpack_from("<" + fmt, self.data, self.pos)
        self.pos += struct.calcsize("<" + fmt)
        return values if len(values) > 1 else values[0]

    def align(self, n=4):
        self.pos = (self.pos + n - 1) // n * n

    def sz(self):
        end = self.pos
        while self.data[end:end + 2] != b"\0\0":
            end += 2
        text = self.data[self.pos:end].decode("utf-16-le")
        self.pos = end + 2
        return text

    def sz_or_ordinal(self):
        if struct.unpack_from("<H", self.data, self.pos)[0] == 0xFFFF:
            self.pos += 2
            return ("ordinal", self.take("H"))
        return self.sz()


def check_dialog(data):
    r = Reader(data)
    expect("dialog version, signature", r.take("HH"), (1, 0xFFFF))
    expect("dialog help ID", r.take("I"), 0)
    expect("dialog extended style", r.take("I"), 0)
    expect("dialog style", hex(r.take("I")), hex(0x90C00846))
    expect("dialog control count", r.take("H"), 16)
    expect("dialog rectangle", r.take("hhhh"), (0, 0, 172, 150))
    expect("dialog menu", r.sz_or_ordinal(), "")
    expect("dialog class", r.sz_or_ordinal(), "")
    expect("dialog title", r.sz(), "Talvernis")
    expect("font size, weight, italic, charset", r.take("HHBB"), (9, 0, 0, 1))
    expect("font face", r.sz(), FACE)
    for n, (cid, cls, text, style, x, y, cx, cy) in enumerate(CONTROLS, 1):
        r.align()
        what = f"control {n} ({cid})"
        expect(what + " help ID", r.take("I"), 0)
        expect(what + " extended style", r.take("I"), 0)
        expect(what + " style", hex(r.take("I")), hex(style))
        expect(what + " rectangle", r.take("hhhh"), (x, y, cx, cy))
        expect(what + " ID", r.take("I"), cid)
        expect(what + " class", r.sz_or_ordinal(), ("ordinal", cls))
        expect(what + " text", r.sz_or_ordinal(), text)
        expect(what + " creation data size", r.take("H"), 0)
    expect("bytes after the last control", len(data) - r.pos, 0)


def check_strings(data):
    r = Reader(data)
    for string_id in range(20000, 20016):
        length = r.take("H")
        text = data[r.pos:r.pos + 2 * length].decode("utf-16-le")
        r.pos += 2 * length
        expect(f"string {string_id}", text, MESSAGE if string_id == 20001 else "")
    expect("bytes after the string block", len(data) - r.pos, 0)


def read_block(r):
    """One version block: (key, value bytes, children)"""
    start = r.pos
    length, value_length, kind = r.take("HHH")
    key = r.sz()
    r.align()
    size = value_length * (2 if kind == 1 else 1)
    value = r.data[r.pos:r.pos + size]
    r.pos += size
    children = []
    while True:
        r.align()
        if r.pos >= start + length:
            break
        children.append(read_block(r))
    r.pos = start + length
    return key, kind, value, children


def check_version(data):
    key, kind, value, children = read_block(Reader(data))
    expect("version key", key, "VS_VERSION_INFO")
    fixed = struct.unpack("<13I", value)
    expect("fixed signature, struct version", fixed[0:2], (0xFEEF04BD, 0x00010000))
    expect("file version", fixed[2:4], (0x00010000, 0))
    expect("product version", fixed[4:6], (0x00010000, 0))
    expect("flags mask, flags, OS, type, subtype, date", fixed[6:13], (0, 0, 0, 0, 0, 0, 0))
    expect("version children", [c[0] for c in children], ["StringFileInfo", "VarFileInfo"])
    string_info = children[0][3]
    expect("string tables", [t[0] for t in string_info], ["041103A4"])
    strings = [(k, v.decode("utf-16-le")) for k, kind, v, _ in string_info[0][3]]
    expect("version strings", strings, [(k, v + "\0") for k, v in VERSION_STRINGS])
    var = children[1][3]
    expect("translation", [(k, struct.unpack("<HH", v)) for k, _, v, _ in var], [("Translation", (0x0411, 0x03A4))])


SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "msvcrt.dll", "gdi32.dll", "advapi32.dll", "ntdll.dll"}
MACHINES = {"i386": 0x14C, "x86_64": 0x8664}


def main(path, arch):
    pe = pefile.PE(path)
    expect("machine", hex(pe.FILE_HEADER.Machine), hex(MACHINES[arch]))
    expect("a DLL", bool(pe.FILE_HEADER.Characteristics & 0x2000), True)
    imports = {i.dll.decode().lower() for i in pe.DIRECTORY_ENTRY_IMPORT}
    expect("imports beyond the system's", sorted(imports - SYSTEM_DLLS), [])
    expect("library name", pe.DIRECTORY_ENTRY_EXPORT.name, b"talvernis.dll")
    expect("exports", sorted(e.name for e in pe.DIRECTORY_ENTRY_EXPORT.symbols), [b"DllEntryPoint", b"_Xmodeler"])
    found = {}
    for rtype in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for rid in rtype.directory.entries:
            for lang in rid.directory.entries:
                found[(rtype.id, rid.id, lang.id)] = lang.data.struct
    expect("resources (type, ID, language)", sorted(found), [(5, 10000, 0), (6, 1251, 0), (16, 1, 0)])
    checks = {5: check_dialog, 6: check_strings, 16: check_version}
    for (rtype, rid, lang), entry in found.items():
        expect(f"code page of resource {rtype}/{rid}", entry.CodePage, 0)
        if rtype in checks:
            try:
                checks[rtype](pe.get_data(entry.OffsetToData, entry.Size))
            except (struct.error, UnicodeDecodeError, IndexError) as e:
                failures.append(f"resource {rtype}/{rid} malformed: {e}")
    for f in failures:
        print("FAIL", f)
    print(f"{path}: {'ok' if not failures else str(len(failures)) + ' failures'}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
