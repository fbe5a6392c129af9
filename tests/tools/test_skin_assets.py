"""The skins the build made, checked from outside: every package decodes, through the player's
own package reader (the sanitizer build of skinpack) and through the independent decoder
(skin_oracle.py), to exactly the archive that was packed, in all three archive versions; the
production and flat skins lint clean; the art is the same on every run."""

import filecmp
import os
import struct
import subprocess

import pytest

import skin_oracle

BUILD = os.environ.get("KESTRAV_BUILD_DIR", os.path.join(os.path.dirname(__file__), "..", "..", "build", "native"))
SKINPACK = os.path.join(BUILD, "bin", "skinpack")  # the player's reader, built with the sanitizers
SKIN = os.environ.get("KESTRAV_SKIN_DIR", os.path.join(BUILD, "skin"))
ASSETS = os.environ.get("KESTRAV_SKIN_TEST_ASSETS", os.path.join(BUILD, "skin-test-assets"))
SKINART = os.environ.get("KESTRAV_SKINART", os.path.join(BUILD, "bin", "skinart"))  # another build than the host tools
INI = os.environ.get("KESTRAV_SKIN_INI", os.path.join(os.path.dirname(__file__), "..", "..", "player", "skin", "assets", "skin.ini"))

FLAT = ["flat_frame", "flat_buttons", "flat_buttons_remap", "flat_scroll", "flat_tabs", "flat_tabs_pane",
        "flat_menus", "flat_other", "flat_other_chunk"]
EDGE = ["model_edge", "model_edge_colours"]


def sources(name):
    """The ini and the picture folder a built package was made from."""
    if name == "production":
        return INI, os.path.join(SKIN, "members")
    folder = os.path.join(ASSETS, "sources", name)
    return os.path.join(folder, "skin.ini"), folder


def built_package(name):
    return os.path.join(SKIN, "zentavo.skin") if name == "production" else os.path.join(ASSETS, name + ".skin")


def expected_members(name):
    ini, folder = sources(name)
    with open(ini, "rb") as f:
        text = f.read().replace(b"\r\n", b"\n").replace(b"\r", b"\n").replace(b"\n", b"\r\n")
    members = [(b"skin.ini", text)]
    for picture in sorted(p for p in os.listdir(folder) if p.endswith(".bmp")):
        with open(os.path.join(folder, picture), "rb") as f:
            members.append((picture.encode(), f.read()))
    return members


def run(*args):
    return subprocess.run([str(a) for a in args], check=True, capture_output=True, text=True).stdout


def player_reader_members(package, tmp_path):
    """The members as the player's reader hands them out (skinpack extract)."""
    out = tmp_path / "extracted"
    run(SKINPACK, "extract", package, out)
    return {p: (out / p).read_bytes() for p in os.listdir(out)}


@pytest.mark.parametrize("name", ["production"] + FLAT + EDGE)
def test_built_packages_hold_exactly_their_sources(tmp_path, name):
    package = built_package(name)
    with open(package, "rb") as f:
        packed = f.read()
    archive = skin_oracle.decode(packed)
    version, listed = skin_oracle.list_members(archive)
    members = expected_members(name)
    assert version == 20000
    assert listed == [(n, len(b)) for n, b in members]
    # The archive is the header, the names, the sizes and the members, nothing else.
    names = b"\r\n".join(n for n, _ in members)
    sizes = b"".join(struct.pack("<i", len(b)) for _, b in members)
    assert archive == struct.pack("<ii8x", 20000, len(names)) + names + sizes + b"".join(b for _, b in members)
    unpacked = tmp_path / "archive"
    run(SKINPACK, "unpack-raw", package, unpacked)
    assert unpacked.read_bytes() == archive
    assert player_reader_members(package, tmp_path) == {n.decode(): b for n, b in members}
    with open(package[:-len(".skin")] + ".blob", "rb") as f:
        assert f.read() == struct.pack("<i", len(packed)) + packed


@pytest.mark.parametrize("version, offset", [(20000, 16), (30000, 272), (40000, 96)])
@pytest.mark.parametrize("name", ["production", "flat_frame"])
def test_every_archive_version_decodes_to_the_archive_packed(tmp_path, name, version, offset):
    ini, folder = sources(name)
    package, archive = tmp_path / "p.skin", tmp_path / "a.archive"
    run(SKINPACK, "build", "--version", version, "--ini", ini, "--dir", folder, "--out", package, "--archive", archive)
    packed = archive.read_bytes()
    assert skin_oracle.decode(package.read_bytes()) == packed
    assert packed[16:offset] == bytes(offset - 16) and packed[offset:offset + 8] == b"skin.ini"
    unpacked = tmp_path / "u"
    run(SKINPACK, "unpack-raw", package, unpacked)
    assert unpacked.read_bytes() == packed
    assert player_reader_members(package, tmp_path) == {n.decode(): b for n, b in expected_members(name)}


def lint(name):
    ini, folder = sources(name)
    result = subprocess.run([SKINPACK, "lint", ini, folder], capture_output=True, text=True)
    return result.returncode, result.stdout


def test_production_skin_lints_without_a_finding():
    assert lint("production") == (0, "0 errors, 0 warnings\n")


@pytest.mark.parametrize("name", FLAT)
def test_flat_skins_lint_without_an_error(name):
    code, report = lint(name)
    assert code == 0 and "error" not in report.replace("0 errors", ""), report


def test_model_edge_skins_break_the_rules_they_probe():
    code, report = lint("model_edge")
    assert code == 1
    for finding in ["TopFrame 0 is below 1", "no \"Menubar\"", "close.BMP is not lower-case",
                    "a comment after a value is part of the value", "[rle.bmp] 8 bits per pixel"]:
        assert finding in report


def test_another_build_of_the_tools_makes_the_same_bytes(tmp_path):
    run(SKINART, "production", "--out", tmp_path, "--ini", INI)
    comparison = filecmp.dircmp(tmp_path / "members", os.path.join(SKIN, "members"))
    assert not comparison.left_only and not comparison.right_only and not comparison.diff_files
    for name in ["glazelmenu.bmp", "track.bmp", "trackvert.bmp", "zentavo.ico", "contact.bmp"]:
        assert filecmp.cmp(tmp_path / name, os.path.join(SKIN, name), shallow=False), name
    package = tmp_path / "again.skin"
    run(SKINPACK, "build", "--version", 20000, "--ini", INI, "--dir", tmp_path / "members", "--out", package)
    assert filecmp.cmp(package, built_package("production"), shallow=False)


def same_tree(left, right):
    comparison = filecmp.dircmp(left, right, ignore=["flat.stamp"])  # the build's own mark
    assert not comparison.left_only and not comparison.right_only and not comparison.diff_files, left
    for sub in comparison.common_dirs:
        same_tree(os.path.join(left, sub), os.path.join(right, sub))


def test_another_build_of_the_tools_makes_the_same_test_skins(tmp_path):
    header = tmp_path / "flat_skin_colours.h"
    run(SKINART, "flat", "--out", tmp_path / "sources", "--header", header)
    run(SKINART, "model-edge", "--out", tmp_path / "sources")
    run(SKINART, "corrupt", "--out", tmp_path / "corrupt")
    same_tree(tmp_path / "sources", os.path.join(ASSETS, "sources"))
    same_tree(tmp_path / "corrupt", os.path.join(ASSETS, "corrupt"))
    assert filecmp.cmp(header, os.path.join(ASSETS, "include", "flat_skin_colours.h"), shallow=False)


# The broken fixtures are broken as their index says, seen by the independent decoder.
@pytest.mark.parametrize("fixture, unpacked", [
    ("last_match_past_end.skin", b"xa" + b"a" * 61),
    ("ring_end_unwritten.skin", bytes(56) + b"    "),
    ("unpacked_size_zero.skin", b""),
])
def test_decoding_fixtures_give_the_bytes_their_index_names(fixture, unpacked):
    with open(os.path.join(ASSETS, "corrupt", fixture), "rb") as f:
        assert skin_oracle.decode(f.read()) == unpacked


@pytest.mark.parametrize("fixture", ["list_length_negative.skin", "list_beyond_archive.skin", "names_1002.skin",
                                     "sizes_beyond_data.skin"])
def test_corrupt_archive_fixtures_do_not_list(fixture):
    with open(os.path.join(ASSETS, "corrupt", fixture), "rb") as f:
        archive = skin_oracle.decode(f.read())
    with pytest.raises(ValueError):
        version, members = skin_oracle.list_members(archive)
        offset = skin_oracle.LIST_OFFSET[version] + struct.unpack_from("<i", archive, 4)[0] + 4 * len(members)
        if len(members) > 1001 or sum(size for _, size in members) > len(archive) - offset:
            raise ValueError("sizes beyond the data")
