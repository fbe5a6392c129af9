"""skin_oracle.py against packages made by a small encoder written here.

The encoder knows literals and explicit matches only (no match search); the
expected bytes come from a linear history model, not from a ring buffer.
"""

import os
import random
import struct
import subprocess
import sys

import pytest

import skin_oracle

TOOLS = os.path.join(os.environ.get("KESTRAV_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", "..")),
                     "tools")
ORACLE = os.path.join(TOOLS, "skin_oracle.py")
NCH, NODES = 314, 627
ROOT = NODES - 1


def position_codes():
    """Upper-6-bit position symbol -> (code, length): lengths 3,4x3,5x8,6x12,7x24,8x16, codes in order."""
    codes, start = [], 0
    for length, count in ((3, 1), (4, 3), (5, 8), (6, 12), (7, 24), (8, 16)):
        for _ in range(count):
            codes.append((start >> (8 - length), length))
            start += 1 << (8 - length)
    assert start == 256
    return codes


POS_CODES = position_codes()


class Encoder:
    def __init__(self):
        self.bits, self.rebuilds = [], 0
        self.freq = [1] * NCH + [0] * (NODES - NCH) + [0xFFFF]
        self.son = list(range(NODES, NODES + NCH)) + [0] * (NODES - NCH)
        self.up = [0] * (NODES + NCH)  # parent of a node, or of a symbol's leaf at NODES + symbol
        for s in range(NCH):
            self.up[NODES + s] = s
        for n in range(NCH, NODES):
            a = 2 * (n - NCH)
            self.freq[n] = self.freq[a] + self.freq[a + 1]
            self.son[n] = a
            self.up[a] = self.up[a + 1] = n
        self.up[ROOT] = 0

    def _rebuild(self):
        self.rebuilds += 1
        leaves = [((self.freq[n] + 1) // 2, self.son[n]) for n in range(NODES) if self.son[n] >= NODES]
        fr, sn = [f for f, _ in leaves], [s for _, s in leaves]
        for pair in range(0, 2 * (NODES - NCH), 2):
            f = fr[pair] + fr[pair + 1]
            at = len(fr)
            while f < fr[at - 1]:
                at -= 1
            fr.insert(at, f)
            sn.insert(at, pair)
        self.freq[:NODES], self.son[:] = fr, sn
        for n, s in enumerate(sn):
            for child in ((s,) if s >= NODES else (s, s + 1)):
                self.up[child] = n

    def _update(self, sym):
        fq, son, up = self.freq, self.son, self.up
        if fq[ROOT] == 0x8000:
            self._rebuild()
        node = up[NODES + sym]
        while True:
            fq[node] += 1
            k = fq[node]
            if k > fq[node + 1]:
                last = node + 1
                while fq[last + 1] < k:
                    last += 1
                fq[node], fq[last] = fq[last], k
                a, b = son[node], son[last]
                son[node], son[last] = b, a
                for child, parent in ((a, last), (b, node)):
                    up[child] = parent
                    if child < NODES:
                        up[child + 1] = parent
                node = last
            node = up[node]
            if node == 0:
                break

    def _symbol(self, sym):
        path, n = [], self.up[NODES + sym]
        while n != ROOT:
            path.append(n & 1)
            n = self.up[n]
        self.bits += reversed(path)
        self._update(sym)

    def literal(self, byte):
        self._symbol(byte)

    def match(self, length, dist):
        assert 3 <= length <= 60 and 1 <= dist <= 4096
        self._symbol(253 + length)
        pos = dist - 1
        code, nbits = POS_CODES[pos >> 6]
        self.bits += [(code >> (nbits - 1 - i)) & 1 for i in range(nbits)]
        self.bits += [(pos >> (5 - i)) & 1 for i in range(6)]

    def package(self, u):
        bits = self.bits + [0] * (-len(self.bits) % 8)
        body = bytes(int("".join(map(str, bits[i:i + 8])), 2) for i in range(0, len(bits), 8))
        return struct.pack("<i", u) + body


def build(tokens, u=None):
    """tokens: ints (literals) or (length, distance). Returns (package, expected output, encoder)."""
    enc, hist = Encoder(), bytearray(b"\0" * 60 + b" " * 4036)  # ring as seen going back from the start
    start = len(hist)
    for t in tokens:
        if isinstance(t, int):
            enc.literal(t)
            hist.append(t)
        else:
            enc.match(*t)
            for _ in range(t[0]):
                hist.append(hist[-t[1]])
    out = bytes(hist[start:])
    u = len(out) if u is None else u
    return enc.package(u), out[:max(u, 0)], enc


def text(s):
    return list(s.encode())


def skewed(count, seed, match_every=0):
    rng = random.Random(seed)
    alphabet = list(range(256))
    weights = [1000 if b in b"etaoin " else 30 if b < 128 else 1 for b in alphabet]
    toks = []
    for i in range(count):
        if match_every and i % match_every == match_every - 1:
            toks.append((rng.randint(3, 60), rng.randint(1, 4096)))
        else:
            toks.append(rng.choices(alphabet, weights)[0])
    return toks


CASES = {
    "empty": ([], None),
    "single literal": ([65], None),
    "hello with a match": (text("hello ") + [(11, 6)], None),
    "distance 1, length 60": (text("a") + [(60, 1)], None),
    "every code length": (list(range(256)) * 17 + [(3 + i % 58, d) for i, d in enumerate(
        (1, 64, 65, 256, 257, 768, 769, 1536, 1537, 3072, 3073, 4095, 4096, 2000, 100))], None),
    "prefill spaces": ([(10, 1), (20, 4036)], None),
    "prefill zeros at the ring end": ([(10, 4040), (30, 4096)], None),
    "truncated last match": (text("ab") + [(60, 2)], 10),
    "skewed literals reorder the tree": (skewed(6000, 1, match_every=50), None),
}


@pytest.mark.parametrize("tokens,u", CASES.values(), ids=CASES.keys())
def test_decode_matches_encoder(tokens, u):
    package, expected, _ = build(tokens, u)
    assert skin_oracle.decode(package) == expected


def test_known_bytes_and_size_field():
    # 'A' from the fresh tree walks 111001101 from the root
    assert skin_oracle.decode(b"\x01\0\0\0\xe6\x80") == b"A"
    assert skin_oracle.decode(struct.pack("<i", -5) + b"\xff" * 8) == b""
    package, expected, _ = build(text("the quick brown fox ") * 20)
    # cut stream: zeros stand in for the missing bytes, the intact prefix still decodes
    cut = skin_oracle.decode(package[:len(package) // 2])
    assert len(cut) == len(expected) and cut[:100] == expected[:100]


def test_rebuild():
    tokens = skewed(50000, 2, match_every=97)
    package, expected, enc = build(tokens)
    assert enc.rebuilds >= 1
    assert skin_oracle.decode(package) == expected


def archive(version, names, members):
    offset = {20000: 16, 30000: 272, 40000: 96}.get(version, 16)
    head = struct.pack("<ii", version, len(names)) + b"\0" * (offset - 8)
    return head + names + struct.pack("<%di" % len(members), *map(len, members)) + b"".join(members)


def run(*args):
    return subprocess.run([sys.executable, ORACLE] + [str(a) for a in args], capture_output=True)


@pytest.mark.parametrize("version,names,listing", [
    (30000, b"Skin.INI\r\na.bmp", b"version 30000\nskin.ini 7\na.bmp 3\n"),
    (20000, b"Skin.INI\ra.bmp\n", b"version 20000\nskin.ini 7\na.bmp 3\n"),
    (40000, b"X.ini\n\r\nB.BMP", b"version 40000\nx.ini 7\n 3\nb.bmp 0\n"),
])
def test_list(tmp_path, version, names, listing):
    members = [b"[skin]\n", b"BM\0", b""][:len(listing.splitlines()) - 1]
    data = archive(version, names, members)
    pkg = tmp_path / "skin.pkg"
    pkg.write_bytes(build(list(data))[0])
    res = run("list", pkg)
    assert (res.returncode, res.stdout) == (0, listing)


def test_cli_decode_and_errors(tmp_path):
    package, expected, _ = build(text("hello ") + [(11, 6)])
    pkg, out = tmp_path / "p.pkg", tmp_path / "out.bin"
    pkg.write_bytes(package)
    assert run("decode", pkg, out).returncode == 0 and out.read_bytes() == expected

    pkg.write_bytes(build(list(archive(12345, b"a.bmp", [b""])))[0])
    res = run("list", pkg)
    assert res.returncode == 1 and b"version" in res.stderr

    pkg.write_bytes(struct.pack("<i", (64 << 20) + 1))
    res = run("decode", pkg, out)
    assert res.returncode == 2 and b"64 MiB" in res.stderr
    pkg.write_bytes(struct.pack("<i", 64 << 20)[:3])
    assert run("decode", pkg, out).returncode == 2
