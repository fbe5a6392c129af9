"""The shared wire helpers of the test parties: framing limits and the minimum lengths of views."""

import socket
import struct

import pytest

from kestrav import engine_wire as wire

GUID = bytes(range(16))
PEER = bytes([7]) * 16


def test_frames_split_across_reads_and_zero_length_frames():
    stream = wire.encode_frame(b"abc") + wire.encode_frame(b"") + wire.encode_frame(bytes(300))
    decoder = wire.FrameDecoder()
    frames = []
    for i in range(0, len(stream), 5):
        frames += decoder.feed(stream[i:i + 5])
    assert frames == [b"abc", b"", bytes(300)]
    assert decoder.pending == 0


def test_frame_lengths_above_the_limit_are_refused():
    assert len(wire.encode_frame(bytes(wire.MAX_FRAME))) == wire.MAX_FRAME + 4
    with pytest.raises(wire.FrameError):
        wire.encode_frame(bytes(wire.MAX_FRAME + 1))
    with pytest.raises(wire.FrameError):
        wire.FrameDecoder().feed(struct.pack("<I", wire.MAX_FRAME + 1))


def test_recv_frame_reports_a_stream_ending_inside_a_frame():
    a, b = socket.socketpair()
    with a, b:
        a.sendall(wire.encode_frame(b"whole") + struct.pack("<I", 10) + b"part")
        a.close()
        assert wire.recv_frame(b) == b"whole"
        with pytest.raises(wire.FrameError):
            wire.recv_frame(b)


def test_request_header_layout_and_sequence():
    seq = wire.Sequence()
    packet = wire.build_leave(GUID, PEER, seq.next())
    assert len(packet) == 46
    assert packet[:12] == struct.pack("<HBBHHI", 1001, 4, 1, 0xAB98, 0x0201, 1)
    assert packet[12:28] == GUID and packet[28:44] == PEER
    assert seq.next() == 2
    reply = wire.build_reply_header(packet, 5, 9)
    assert reply[3] == 0 and reply[:3] == packet[:3] and reply[4:28] == packet[4:28]
    assert struct.unpack_from("<II", reply, 28) == (5, 9)


def test_request_lengths():
    address = wire.PeerAddress("127.0.0.1", 7000, 7001)
    own = wire.PeerRecord(address)
    assert len(wire.build_join(GUID, PEER, 1, 1, 2)) == 65
    assert len(wire.build_join(GUID, PEER, 1, 1, 2, ipv4s=())) == 61
    assert len(wire.build_announce(GUID, PEER, 1)) == 64
    assert len(wire.build_status(GUID, PEER, 1)) == 60
    assert len(wire.build_hello(GUID, PEER, 1, address)) == 57
    peer_list = wire.build_peer_list(GUID, PEER, 1, 99, own)
    assert len(peer_list) == 65 and peer_list[48] == 1


@pytest.mark.parametrize("parse, minimum, count_at, per_item", [
    (wire.parse_peer_list, 49, 48, 16),
    (wire.parse_peer_list_reply, 37, 36, 16),
    (wire.parse_join, 61, 60, 4),
    (wire.parse_piece_request, 5, 4, 4),
    (wire.parse_leave, 46, 44, 1),
])
def test_views_need_the_items_their_count_names(parse, minimum, count_at, per_item):
    packet = bytearray(minimum + per_item)
    packet[count_at] = 1
    assert not parse(bytes(packet[:minimum - 1])).valid
    assert not parse(bytes(packet[:minimum + per_item - 1])).valid
    assert parse(bytes(packet)).valid
    packet[count_at] = 0
    assert parse(bytes(packet[:minimum])).valid


def test_fixed_minimums():
    join_reply = wire.build_join_reply(wire.build_join(GUID, PEER, 1, 1, 2), "10.0.0.5", 30, 1, 2)
    assert len(join_reply) == 54 and wire.parse_join_reply(join_reply).seen_ip == "10.0.0.5"
    assert not wire.parse_join_reply(join_reply[:53]).valid
    assert wire.parse_status_reply(bytes(36)) is None
    assert not wire.parse_hello(bytes(56)).valid
    assert not wire.parse_piece(wire.build_piece(5, 1, b"")).valid  # 11 bytes
    piece = wire.build_data_piece(5, 123, 4, b"xyz")
    assert wire.parse_piece(piece).body == struct.pack("<II", 123, 4) + b"xyz"
    assert not wire.parse_piece(piece[:-1]).valid


def test_availability_bits_are_most_significant_first():
    bits = wire.availability_bits(100, [100, 102, 109])
    assert bits == bytes([0xA0, 0x40])
    packet = wire.build_availability(wire.StatusRecord(), 100, bits)
    view = wire.parse_availability(packet)
    assert view.valid and view.pieces() == [100, 102, 109]
    assert not wire.parse_availability(packet[:-1]).valid
