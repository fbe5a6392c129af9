#!/usr/bin/env python3
"""Reference decoder for skin packages (LZHUF), kept deliberately plain.

A package is an int32 little-endian U (bytes to produce) followed by an
adaptive-Huffman LZSS bit stream.  This script decodes it step by step and is
used by the tests as a second opinion next to the player's decoder and the
skinpack encoder.

  skin_oracle.py decode PACKAGE OUT   write the U unpacked bytes to OUT
  skin_oracle.py list PACKAGE         print the archive version, then "name size" per member
"""
import struct
import sys

N = 4096                      # ring size
F = 60                        # longest match
THRESHOLD = 2
N_CHAR = 256 - THRESHOLD + F  # 314 symbols: bytes, then match lengths 3..60
T = 2 * N_CHAR - 1            # 627 tree nodes
R = T - 1                     # root
MAX_FREQ = 0x8000
MAX_UNPACKED = 64 << 20

# Upper 6 bits of a position: symbol s has a prefix code of length L and owns
# 2^(8-L) consecutive entries of the 256-entry table, in increasing order of s.
_CODE_LENGTHS = [3] + [4] * 3 + [5] * 8 + [6] * 12 + [7] * 24 + [8] * 16
D_CODE, D_LEN = [], []
for _s, _l in enumerate(_CODE_LENGTHS):
    D_CODE += [_s] * (1 << (8 - _l))
    D_LEN += [_l] * (1 << (8 - _l))
assert len(D_CODE) == 256


class _Bits:
    """MSB-first reader: a 16-bit buffer topped up byte by byte below <9 bits."""

    def __init__(self, data):
        self.data, self.pos, self.buf, self.count = data, 0, 0, 0

    def _fill(self):
        while self.count < 9:
            b = self.data[self.pos] if self.pos < len(self.data) else 0  # zeros past the end
            self.pos += 1
            self.buf |= b << (8 - self.count)
            self.count += 8

    def take(self, n):
        """The top n bits (1 for GetBit, 8 for GetByte)."""
        self._fill()
        v = self.buf >> (16 - n)
        self.buf = (self.buf << n) & 0xFFFF
        self.count -= n
        return v


class _Tree:
    def __init__(self):
        self.freq = [0] * (T + 1)
        self.prnt = [0] * (T + N_CHAR)
        self.son = [0] * T
        for i in range(N_CHAR):
            self.freq[i] = 1
            self.son[i] = i + T
            self.prnt[i + T] = i
        j = 0
        for i in range(N_CHAR, R + 1):
            self.freq[i] = self.freq[j] + self.freq[j + 1]
            self.son[i] = j
            self.prnt[j] = self.prnt[j + 1] = i
            j += 2
        self.freq[T] = 0xFFFF     # sentinel that stops the swap search
        self.prnt[R] = 0

    def rebuild(self):
        freq, son, prnt = self.freq, self.son, self.prnt
        j = 0
        for i in range(T):        # leaves to the front, halved rounding up
            if son[i] >= T:
                freq[j] = (freq[i] + 1) // 2
                son[j] = son[i]
                j += 1
        i = 0
        for j in range(N_CHAR, T):
            f = freq[i] + freq[i + 1]
            k = j - 1
            while f < freq[k]:
                k -= 1
            k += 1                # just above every entry not greater than f
            freq[k + 1:j + 1] = freq[k:j]
            son[k + 1:j + 1] = son[k:j]
            freq[k] = f
            son[k] = i
            i += 2
        for i in range(T):
            k = son[i]
            prnt[k] = i
            if k < T:
                prnt[k + 1] = i

    def update(self, sym):
        freq, son, prnt = self.freq, self.son, self.prnt
        if freq[R] == MAX_FREQ:
            self.rebuild()
        c = prnt[sym + T]
        while True:
            freq[c] += 1
            k = freq[c]
            if k > freq[c + 1]:
                l = c + 1
                while freq[l + 1] < k:
                    l += 1
                freq[c] = freq[l]
                freq[l] = k
                i = son[c]
                prnt[i] = l
                if i < T:
                    prnt[i + 1] = l
                j = son[l]
                son[l] = i
                prnt[j] = c
                if j < T:
                    prnt[j + 1] = c
                son[c] = j
                c = l
            c = prnt[c]
            if c == 0:
                break


def decode(package):
    """Unpack a skin package (bytes) and return exactly U bytes."""
    if len(package) < 4:
        raise ValueError("package shorter than its 4-byte size field")
    (u,) = struct.unpack_from("<i", package, 0)
    if u > MAX_UNPACKED:
        raise ValueError("unpacked size %d exceeds the 64 MiB limit" % u)
    if u <= 0:
        return b""
    bits, tree = _Bits(package[4:]), _Tree()
    ring = bytearray(b" " * (N - F) + b"\0" * F)
    r = N - F
    out = bytearray()
    son = tree.son
    while len(out) < u:           # tested between tokens only
        c = son[R]
        while c < T:
            c = son[c + bits.take(1)]
        c -= T
        tree.update(c)
        if c < 256:
            out.append(c)
            ring[r] = c
            r = (r + 1) % N
            continue
        i = bits.take(8)
        hi = D_CODE[i]
        for _ in range(D_LEN[i] - 2):
            i = (i << 1) + bits.take(1)
        pos = (hi << 6) | (i & 0x3F)
        i = (r - pos - 1) % N
        for k in range(c - 253):
            b = ring[(i + k) % N]
            out.append(b)
            ring[r] = b
            r = (r + 1) % N
    return bytes(out[:u])         # a final match may run past U


LIST_OFFSET = {20000: 16, 30000: 272, 40000: 96}


class UnknownVersion(Exception):
    pass


def list_members(archive):
    """(version, [(lower-cased name bytes, size)]); UnknownVersion for other versions."""
    if len(archive) < 16:
        raise ValueError("archive shorter than its 16-byte header")
    version, length = struct.unpack_from("<ii", archive, 0)
    if version not in LIST_OFFSET:
        raise UnknownVersion("unknown archive version %d" % version)
    o = LIST_OFFSET[version]
    if length < 0 or o + length > len(archive):
        raise ValueError("name list runs past the archive")
    # bytes.splitlines breaks at CR LF, CR and LF only; a trailing break adds no line
    names = archive[o:o + length].lower().splitlines()
    if o + length + 4 * len(names) > len(archive):
        raise ValueError("size table runs past the archive")
    sizes = struct.unpack_from("<%di" % len(names), archive, o + length)
    return version, list(zip(names, sizes))


def main(argv):
    if not (len(argv) == 3 and argv[0] == "decode" or len(argv) == 2 and argv[0] == "list"):
        print("usage: skin_oracle.py decode PACKAGE OUT | list PACKAGE", file=sys.stderr)
        return 2
    try:
        with open(argv[1], "rb") as f:
            data = decode(f.read())
        if argv[0] == "decode":
            with open(argv[2], "wb") as f:
                f.write(data)
            return 0
        version, members = list_members(data)
    except (OSError, ValueError, UnknownVersion) as e:
        print("skin_oracle: %s" % e, file=sys.stderr)
        return 1 if isinstance(e, UnknownVersion) else 2
    lines = [b"version %d" % version] + [b"%s %d" % m for m in members]
    sys.stdout.buffer.write(b"".join(line + b"\n" for line in lines))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
