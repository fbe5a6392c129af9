#!/usr/bin/python3
"""Writes a small valid skin package and its unpacked archive into a fuzz corpus folder, so the
package fuzzer starts from an archive that reads (an ini member and a picture member) instead
of from noise.

    make_seed.py SKINPACK CORPUS-DIR
"""
import os
import struct
import subprocess
import sys
import tempfile

INI = (b"; seed\r\n[Personality]\r\nLeft=left.bmp\r\nLeftFrame=2\r\n[ Colours ]\r\n"
       b"ButtonFace=232,236,242\r\n[Buttons]\r\nLeftWidth=0x4\r\n")
PICTURE = b"BM" + bytes(52)


def archive():
    names = b"skin.ini\r\nleft.bmp"
    members = [INI, PICTURE]
    head = struct.pack("<ii8x", 20000, len(names))
    sizes = b"".join(struct.pack("<i", len(m)) for m in members)
    return head + names + sizes + b"".join(members)


def main():
    skinpack, corpus = sys.argv[1], sys.argv[2]
    os.makedirs(corpus, exist_ok=True)
    with open(os.path.join(corpus, "seed.archive"), "wb") as f:
        f.write(archive())
    with tempfile.NamedTemporaryFile(suffix=".archive", delete=False) as f:
        f.write(archive())
    try:
        subprocess.run([skinpack, "pack-raw", f.name, os.path.join(corpus, "seed.skin")], check=True)
    finally:
        os.unlink(f.name)


if __name__ == "__main__":
    main()
