#!/usr/bin/env python3
"""Checks that Windows binaries are 32-bit PE files exporting exactly the expected names.

usage: check_pe_exports.py FILE=NAME@ORD,NAME@ORD,... [FILE=...]
An empty list after '=' means the file must export nothing.
"""
import struct
import sys

from kestrav.pe_image import EXPORT_DIRECTORY, PeImage


def read_exports(path):
    image = PeImage(path)
    data, offset = image.data, image.offset
    export_rva, _ = image.directory(EXPORT_DIRECTORY)
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
