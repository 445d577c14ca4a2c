"""What Windows reads of tamsel.exe's resources, read back from the built program with MinGW's
windres: the version resource says the project's version, in Japanese, with every field that
Explorer's properties and a school's inventory show; the application manifest declares Windows 10
and 11, per-monitor (v2) DPI awareness and the version 6 common controls; the icon is there.

The resources are written out in the .res format and walked as Windows walks them (each entry's
header, then VS_VERSIONINFO's tree of nodes), so a field that windres dropped, or one in the
wrong language block, fails here as it would be missing in Explorer.

    check_resources.py WINDRES TAMSEL_EXE VERSION
"""

import re
import struct
import subprocess
import sys
import tempfile

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24
JAPANESE_UNICODE_BLOCK = "041104B0"
REQUIRED_FIELDS = ("ProductName", "FileVersion", "ProductVersion", "FileDescription",
                   "CompanyName", "LegalCopyright")
# The fields a Japanese Windows shows in words, which say who made the program and what it is.
JAPANESE_FIELDS = ("FileDescription", "CompanyName", "LegalCopyright")
KANA_OR_KANJI = re.compile("[\u3040-\u30ff\u4e00-\u9fff]")
MANIFEST_DECLARATIONS = {
    "Windows 10 and 11": '<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>',
    "per-monitor v2 DPI awareness": ">PerMonitorV2</dpiAwareness>",
    "common controls 6": 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"',
    "no elevation": '<requestedExecutionLevel level="asInvoker"',
}


def align4(offset):
    return (offset + 3) & ~3


def read_id(data, offset):
    """A resource type or name: 0xFFFF then a number, or a NUL-ended UTF-16 string."""
    if struct.unpack_from("<H", data, offset)[0] == 0xFFFF:
        return struct.unpack_from("<H", data, offset + 2)[0], offset + 4
    end = offset
    while struct.unpack_from("<H", data, end)[0]:
        end += 2
    return data[offset:end].decode("utf-16-le"), end + 2


def resources(res):
    """(type, name, language, data) of every entry of a .res file."""
    offset, entries = 0, []
    while offset < len(res):
        size, header_size = struct.unpack_from("<II", res, offset)
        kind, at = read_id(res, offset + 8)
        name, at = read_id(res, at)
        language = struct.unpack_from("<H", res, align4(at) + 6)[0]
        data = res[offset + header_size:offset + header_size + size]
        if size:
            entries.append((kind, name, language, data))
        offset = align4(offset + header_size + size)
    return entries


def version_node(data, offset):
    """One node of VS_VERSIONINFO: (key, value, children, end)."""
    length, value_length, is_text = struct.unpack_from("<HHH", data, offset)
    end = offset + length
    key_end = offset + 6
    while struct.unpack_from("<H", data, key_end)[0]:
        key_end += 2
    key = data[offset + 6:key_end].decode("utf-16-le")
    at = align4(key_end + 2)
    value_size = value_length * 2 if is_text else value_length
    value = data[at:at + value_size]
    at = align4(at + value_size)
    children = []
    while at < end:
        child = version_node(data, at)
        children.append(child)
        at = align4(child[3])
    return key, value, children, end


def text(value):
    return value.decode("utf-16-le").rstrip("\0")


def check(windres, exe, version):
    with tempfile.NamedTemporaryFile(suffix=".res") as res_file:
        subprocess.run([windres, "-J", "coff", "-i", exe, "-O", "res", "-o", res_file.name],
                       check=True)
        entries = resources(res_file.read())
    by_type = {}
    for kind, name, language, data in entries:
        by_type.setdefault(kind, []).append((name, language, data))
    problems = []
    for kind, what in ((RT_ICON, "icon images"), (RT_GROUP_ICON, "icon"),
                       (RT_VERSION, "version resource"), (RT_MANIFEST, "manifest")):
        if kind not in by_type:
            problems.append(f"no {what}")
    if problems:
        return problems

    numbers = [int(n) for n in version.split(".")]
    numbers += [0] * (4 - len(numbers))
    dotted = ".".join(map(str, numbers))
    key, fixed, children, _ = version_node(by_type[RT_VERSION][0][2], 0)
    if key != "VS_VERSION_INFO":
        problems.append(f"the version resource's root is {key!r}")
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", fixed)
    if signature != 0xFEEF04BD:
        problems.append("the version resource has no fixed file information")
    for what, most, least in (("file", file_ms, file_ls), ("product", product_ms, product_ls)):
        fixed_numbers = [most >> 16, most & 0xFFFF, least >> 16, least & 0xFFFF]
        if fixed_numbers != numbers:
            problems.append(f"the fixed {what} version is {fixed_numbers}, not {numbers}")

    blocks = {child[0]: child for child in children}
    tables = {table[0]: table for table in blocks.get("StringFileInfo", ("", b"", []))[2]}
    if set(tables) != {JAPANESE_UNICODE_BLOCK}:
        problems.append(f"the strings are in the blocks {sorted(tables)}, "
                        f"not in Japanese ({JAPANESE_UNICODE_BLOCK}) alone")
    fields = {field[0]: text(field[1])
              for field in tables.get(JAPANESE_UNICODE_BLOCK, ("", b"", []))[2]}
    for field in REQUIRED_FIELDS:
        if not fields.get(field):
            problems.append(f"no {field}")
    for field in ("FileVersion", "ProductVersion"):
        if field in fields and fields[field] != dotted:
            problems.append(f"{field} is {fields[field]!r}, not {dotted!r}")
    if "Tamsel" not in fields.get("ProductName", ""):
        problems.append(f"ProductName {fields.get('ProductName')!r} does not name Tamsel")
    for field in JAPANESE_FIELDS:
        if field in fields and not KANA_OR_KANJI.search(fields[field]):
            problems.append(f"{field} {fields[field]!r} is not in Japanese")
    translations = {var[0]: var[1] for var in blocks.get("VarFileInfo", ("", b"", []))[2]}
    if translations.get("Translation") != struct.pack("<HH", 0x0411, 1200):
        problems.append("VarFileInfo does not name Japanese in UTF-16 (0x0411, 1200)")

    manifests = by_type[RT_MANIFEST]
    if [name for name, _, _ in manifests] != [1]:
        problems.append(f"the manifests are {[name for name, _, _ in manifests]}, not the one "
                        "a program's start reads (1)")
    manifest = manifests[0][2].decode("utf-8")
    for what, declaration in MANIFEST_DECLARATIONS.items():
        if declaration not in manifest:
            problems.append(f"the manifest does not declare {what}")
    if f'name="io.github.tamsel.Tamsel" version="{dotted}"' not in manifest:
        problems.append(f"the manifest's identity is not Tamsel {dotted}")
    if not problems:
        print(f"tamsel.exe: version {dotted}, " +
              ", ".join(f"{field} {fields[field]}" for field in REQUIRED_FIELDS) +
              "; manifest: " + ", ".join(MANIFEST_DECLARATIONS))
    return problems


if __name__ == "__main__":
    found = check(*sys.argv[1:4])
    for problem in found:
        print(f"tamsel.exe: {problem}", file=sys.stderr)
    sys.exit(1 if found else 0)
