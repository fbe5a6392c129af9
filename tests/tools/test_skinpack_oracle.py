"""The skin packer's encoder checked by the independent decoder (skin_oracle.py): every package
it makes must decode there to the bytes it was given, and the player's decoder (unpack-raw) must
agree. A mistake shared by the packer and the player's decoder shows up here."""

import os
import random
import subprocess

import pytest

import skin_oracle

BUILD = os.environ.get("KESTRAV_BUILD_DIR", os.path.join(os.path.dirname(__file__), "..", "..", "build", "native"))
SKINPACK = os.path.join(BUILD, "bin", "skinpack")


def block(seed, size):
    rng = random.Random(seed)
    return bytes(rng.randrange(256) for _ in range(size))


def structured(seed, size):
    """Text-like bytes: a small alphabet with repeats at many distances (matches and literals)."""
    rng = random.Random(seed)
    words = [bytes(rng.choice(b"abcdefghij \r\n") for _ in range(rng.randrange(2, 12))) for _ in range(300)]
    out = bytearray()
    while len(out) < size:
        out += rng.choice(words)
    return bytes(out[:size])


CASES = {
    "empty": b"",
    "one byte": b"\x00",
    "three bytes": b"abc",
    "ring size": structured(1, 4096),
    "ring size plus one": structured(2, 4097),
    "distance 4096": block(3, 4096) * 3,
    "run of one byte": b"\x7f" * 200000,
    "two rebuilds": structured(4, 60000) + block(5, 20000),
}


@pytest.mark.parametrize("name", CASES)
def test_packages_decode_alike_in_the_oracle_and_the_player(tmp_path, name):
    data = CASES[name]
    source, package, unpacked = tmp_path / "in", tmp_path / "pkg", tmp_path / "out"
    source.write_bytes(data)
    subprocess.run([SKINPACK, "pack-raw", str(source), str(package)], check=True)
    assert skin_oracle.decode(package.read_bytes()) == data
    subprocess.run([SKINPACK, "unpack-raw", str(package), str(unpacked)], check=True)
    assert unpacked.read_bytes() == data
