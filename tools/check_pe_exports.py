#!/usr/bin/env python3
"""Checks that Windows binaries are 32-bit PE files exporting exactly the expected names.

usage: check_pe_exports.py FILE=NAME@ORD,NAME@ORD,... [FILE=...]
An empty list after '=' means the file must export nothing.
"""
import struct
import sys

IMAGE_FILE_MACHINE_I386 = 0x14C
PE32_MAGIC = 0x10B


def read_exports(path):
    data = open(path, "rb").read()
    if data[:2] != b"MZ":
        raise ValueError("not an MZ image")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("no PE signature")
    machine, sections = struct.unpack_from("<HH", data, pe + 4)
    optional_size = struct.unpack_from("<H", data, pe + 20)[0]
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    if machine != IMAGE_FILE_MACHINE_I386 or magic != PE32_MAGIC:
        raise ValueError("not a 32-bit x86 image (machine %#x, magic %#x)" % (machine, magic))
    export_rva, export_size = struct.unpack_from("<II", data, optional + 96)
    section_table = optional + optional_size
    spans = []
    for i in range(sections):
        s = section_table + 40 * i
        vsize, va, raw_size, raw_ptr = struct.unpack_from("<IIII", data, s + 8)
        spans.append((va, max(vsize, raw_size), raw_ptr))

    def offset(rva):
        for va, size, raw in spans:
            if va <= rva < va + size:
                return raw + rva - va
        raise ValueError("rva %#x outside every section" % rva)

    if export_rva == 0:
        return {}
    d = offset(export_rva)
    base, n_functions, n_names, functions, names, ordinals = struct.unpack_from("<IIIIII", data, d + 16)
    exports = {}
    for i in range(n_names):
        name_rva = struct.unpack_from("<I", data, offset(names) + 4 * i)[0]
        o = offset(name_rva)
        name = data[o:data.index(b"\0", o)].decode()
        index = struct.unpack_from("<H", data, offset(ordinals) + 2 * i)[0]
        exports[name] = base + index
    return exports


def main(args):
    failures = 0
    for arg in args:
        path, _, spec = arg.partition("=")
        expected = {}
        for item in filter(None, spec.split(",")):
            name, _, ordinal = item.partition("@")
            expected[name] = int(ordinal)
        try:
            got = read_exports(path)
        except (OSError, ValueError) as e:
            print("FAIL %s: %s" % (path, e))
            failures += 1
            continue
        if got != expected:
            print("FAIL %s: exports %s, expected %s" % (path, sorted(got.items()), sorted(expected.items())))
            failures += 1
        else:
            print("ok   %s: %s" % (path, ", ".join("%s@%d" % kv for kv in sorted(got.items(), key=lambda kv: kv[1]))))
    print("%d passed, %d failed" % (len(args) - failures, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
