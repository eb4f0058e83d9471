#!/usr/bin/env python3
"""Reads the resource section of a Windows executable built with the program's
quillory.rc and checks its version resource and icon group against
resources/identity.cmake and resources/quillory.ico.

    read_version_resource.py EXE IDENTITY_CMAKE ICO
"""
import re
import struct
import sys

RT_ICON, RT_GROUP_ICON, RT_VERSION = 3, 14, 16
VS_FIXEDFILEINFO_SIGNATURE = 0xFEEF04BD
VS_FFI_FILEFLAGSMASK, VOS__WINDOWS32, VFT_APP, VFT2_UNKNOWN = 0x3F, 0x4, 0x1, 0x0


def read_resources(exe):
    """{(type, name, language): bytes} from the PE resource directory."""
    (pe,) = struct.unpack_from("<I", exe, 0x3C)
    if exe[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE file")
    sections_count, optional_size = struct.unpack_from("<H12xH", exe, pe + 6)
    optional = pe + 24
    (magic,) = struct.unpack_from("<H", exe, optional)
    directories = optional + (112 if magic == 0x20B else 96)
    resource_rva, _ = struct.unpack_from("<II", exe, directories + 2 * 8)

    sections = []
    for i in range(sections_count):
        virtual_size, rva, raw_size, raw_offset = struct.unpack_from("<IIII", exe, optional + optional_size + 40 * i + 8)
        sections.append((rva, max(virtual_size, raw_size), raw_offset))

    def file_offset(rva):
        for start, size, raw in sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise ValueError("RVA %#x is in no section" % rva)

    root = file_offset(resource_rva)

    def entries(directory):
        named, numbered = struct.unpack_from("<12xHH", exe, root + directory)
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", exe, root + directory + 16 + 8 * i)
            if name & 0x80000000:
                (length,) = struct.unpack_from("<H", exe, root + (name & 0x7FFFFFFF))
                start = root + (name & 0x7FFFFFFF) + 2
                name = exe[start:start + 2 * length].decode("utf-16-le")
            yield name, target

    resources = {}
    for kind, kind_dir in entries(0):
        for name, name_dir in entries(kind_dir & 0x7FFFFFFF):
            for language, data_entry in entries(name_dir & 0x7FFFFFFF):
                rva, size = struct.unpack_from("<II", exe, root + data_entry)
                resources[(kind, name, language)] = exe[file_offset(rva):file_offset(rva) + size]
    return resources


def version_node(data, pos=0):
    """One VS_VERSIONINFO-style node: (key, value, children)."""
    length, value_length, value_type = struct.unpack_from("<HHH", data, pos)
    end = pos + length
    key_end = pos + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[pos + 6:key_end].decode("utf-16-le")
    cursor = (key_end + 2 + 3) & ~3
    value_bytes = value_length * 2 if value_type == 1 else value_length
    value = data[cursor:cursor + value_bytes]
    if value_type == 1:
        value = value.decode("utf-16-le").rstrip("\0")
    cursor = (cursor + value_bytes + 3) & ~3
    children = []
    while cursor < end:
        child, child_end = version_node(data, cursor)
        children.append(child)
        cursor = (child_end + 3) & ~3
    return (key, value, children), end


def identity(path):
    """The set(NAME "value") lines of identity.cmake."""
    with open(path, encoding="utf-8") as f:
        return dict(re.findall(r'^set\((\w+)\s+"([^"]*)"\)', f.read(), re.M))


def ico_images(path):
    """The images of an .ico file, in the order of its directory."""
    with open(path, "rb") as f:
        ico = f.read()
    _, _, count = struct.unpack_from("<HHH", ico, 0)
    images = []
    for i in range(count):
        size, offset = struct.unpack_from("<II", ico, 6 + 16 * i + 8)
        images.append(ico[offset:offset + size])
    return images


def main(exe_path, identity_path, ico_path):
    results = []

    def check(ok, what):
        results.append(ok)
        print(("ok   " if ok else "FAIL ") + what)

    with open(exe_path, "rb") as f:
        resources = read_resources(f.read())
    ids = identity(identity_path)

    versions = [data for (kind, _, _), data in resources.items() if kind == RT_VERSION]
    check(len(versions) == 1, "one version resource")
    (key, fixed, children), _ = version_node(versions[0])
    check(key == "VS_VERSION_INFO", "the version resource is VS_VERSION_INFO")

    fields = struct.unpack_from("<13I", fixed)
    (signature, _, file_ms, file_ls, product_ms, product_ls, mask, flags, file_os, file_type, subtype, _, _) = fields
    numbers = [int(n) for n in ids["QUILLORY_VERSION_COMMAS"].split(",")]
    expected_ms, expected_ls = numbers[0] << 16 | numbers[1], numbers[2] << 16 | numbers[3]
    check(signature == VS_FIXEDFILEINFO_SIGNATURE, "VS_FIXEDFILEINFO signature")
    check((file_ms, file_ls) == (expected_ms, expected_ls), "FILEVERSION %s" % ids["QUILLORY_VERSION_COMMAS"])
    check((product_ms, product_ls) == (expected_ms, expected_ls), "PRODUCTVERSION %s" % ids["QUILLORY_VERSION_COMMAS"])
    check(mask == VS_FFI_FILEFLAGSMASK, "FILEFLAGSMASK 0x3f (is %#x)" % mask)
    check(flags == 0, "FILEFLAGS 0 (is %#x)" % flags)
    check(file_os == VOS__WINDOWS32, "FILEOS VOS__WINDOWS32 (is %#x)" % file_os)
    check(file_type == VFT_APP, "FILETYPE VFT_APP (is %#x)" % file_type)
    check(subtype == VFT2_UNKNOWN, "FILESUBTYPE 0 (is %#x)" % subtype)

    blocks = {child[0]: child for child in children}
    tables = blocks.get("StringFileInfo", ("", b"", []))[2]
    check([t[0] for t in tables] == ["040904B0"], "one string table, 040904B0")
    strings = {k: v for k, v, _ in tables[0][2]} if tables else {}
    expected = {
        "Comments": ids["QUILLORY_COMMENTS"],
        "CompanyName": ids["QUILLORY_COMPANY"],
        "LegalCopyright": ids["QUILLORY_COPYRIGHT"],
        "ProductName": ids["QUILLORY_NAME"],
        "FileVersion": ids["QUILLORY_VERSION_TEXT"],
        "ProductVersion": ids["QUILLORY_VERSION_TEXT"],
        "InternalName": ids["QUILLORY_INTERNAL_NAME"],
        "OriginalFilename": ids["QUILLORY_INTERNAL_NAME"] + ".exe",
    }
    check(set(strings) == set(expected), "exactly the strings " + ", ".join(sorted(expected)))
    for name, value in expected.items():
        check(strings.get(name) == value, "%s is %r (is %r)" % (name, value, strings.get(name)))

    variables = {k: v for k, v, _ in blocks.get("VarFileInfo", ("", b"", []))[2]}
    check(variables.get("Translation") == struct.pack("<HH", 0x409, 1200), "Translation 0x409, 1200")

    groups = [(name, data) for (kind, name, _), data in resources.items() if kind == RT_GROUP_ICON]
    check([name for name, _ in groups] == [1], "one icon group, id 1")
    group = groups[0][1] if groups else struct.pack("<HHH", 0, 1, 0)
    _, _, count = struct.unpack_from("<HHH", group, 0)
    entries = [struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i) for i in range(count)]
    check([(e[0], e[1], e[2], e[5]) for e in entries] == [(32, 32, 16, 4), (16, 16, 16, 4)],
          "icons 32x32 and 16x16, 16 colours (4 bits per pixel)")
    icons = {name: data for (kind, name, _), data in resources.items() if kind == RT_ICON}
    check([icons.get(e[7]) for e in entries] == ico_images(ico_path), "the icon images are those of quillory.ico")

    print("read_version_resource: %d passed, %d failed" % (results.count(True), results.count(False)))
    return 0 if all(results) else 1


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
