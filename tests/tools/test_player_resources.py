"""The skin's resources in the built player and what the build made them from: the SkinStream
payload is exactly its 4 + n bytes, the skin bitmaps have the depths the skin engine expects, and
the program icon has both sizes, every pixel fully opaque or fully transparent."""

import os
import struct

import pytest

from kestrav.pe_image import PeImage

RT_BITMAP, RT_ICON, RT_RCDATA, RT_GROUP_ICON = 2, 3, 10, 14
SKIN = os.environ["KESTRAV_SKIN_DIR"]
PLAYER = os.path.join(os.environ["KESTRAV_PLAYER_DIR"], "zentavo.exe")


@pytest.fixture(scope="module")
def resources():
    return PeImage(PLAYER).resources()


def read(name):
    with open(os.path.join(SKIN, name), "rb") as f:
        return f.read()


def test_skin_stream_is_the_payload_byte_for_byte(resources):
    payload = resources[(RT_RCDATA, "TFORM1_SKINDATA1_SKINSTREAM")]
    assert payload == read("zentavo.blob")
    (n,) = struct.unpack_from("<i", payload)
    assert len(payload) == 4 + n and payload[4:] == read("zentavo.skin")


@pytest.mark.parametrize("name, size, bits", [("GLAZELMENU", (64, 16), 1), ("TRACK", (16, 4), 4),
                                              ("TRACKVERT", (4, 16), 4)])
def test_skin_bitmaps_are_stored_without_their_file_header(resources, name, size, bits):
    stored = resources[(RT_BITMAP, name)]
    assert stored == read(name.lower() + ".bmp")[14:]
    width, height, _, bit_count = struct.unpack_from("<iiHH", stored, 4)
    assert (width, height, bit_count) == (*size, bits)


def test_icon_has_both_sizes_fully_opaque_or_transparent(resources):
    group = resources[(RT_GROUP_ICON, "MAINICON")]
    _, kind, count = struct.unpack_from("<HHH", group)
    assert (kind, count) == (1, 2)
    sizes = []
    for i in range(count):
        width, height, _, _, _, bits, _, icon_id = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
        image = resources[(RT_ICON, icon_id)]
        assert bits == 32 and struct.unpack_from("<iiHH", image, 4) == (width, 2 * height, 1, 32)
        pixels = image[40:40 + 4 * width * height]
        mask_stride = (width + 31) // 32 * 4
        mask = image[40 + 4 * width * height:]
        for y in range(height):
            for x in range(width):
                alpha = pixels[4 * (y * width + x) + 3]
                clear = mask[y * mask_stride + x // 8] >> (7 - x % 8) & 1
                assert (alpha, clear) in ((255, 0), (0, 1)), (width, x, y)
        sizes.append(width)
    assert sorted(sizes) == [16, 32]
