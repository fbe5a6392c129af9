"""The packets of a peer TCP connection as dictionaries of plain fields: the
hello and peer list peer packets and the transfer packets '@', 'D', 'E', 'F'.

Builders can state lengths and counts that differ from the bytes present,
which the hostile modes of the stream source need; parsers report the stated
figures next to what arrived. Framing, the peer packet header and GUIDs come
from engine_wire.
"""

import socket
import struct

from kestrav import engine_wire as ew

# Framing, the peer packet header and GUIDs are the shared ones.
FRAME_LIMIT = ew.MAX_FRAME
FrameError = ew.FrameError
FrameReader = ew.FrameDecoder
frame = ew.encode_frame
read_frame = ew.recv_frame
send_frame = ew.send_frame
guid_bytes = ew.guid_from_text
guid_text = ew.guid_text
request_header = ew.build_request_header
transfer_header = ew.build_transfer_header
build_control = ew.build_control

MAGIC = ew.MAGIC
T_CONTROL = ew.TYPE_CONTROL
T_HELLO = ew.TYPE_HELLO
T_PEERS = ew.TYPE_PEER_LIST
T_AVAIL = ew.TYPE_AVAILABILITY
T_REQUEST = ew.TYPE_PIECE_REQUEST
T_PIECE = ew.TYPE_PIECE
PIECE_DATA = ew.PIECE_DATA
PIECE_HEADER = ew.PIECE_HEADER
HELLO_LEN = ew.HELLO_SIZE
PEERS_MIN_LEN = ew.PEER_LIST_MIN

CONTROL_CLOSE = 1
CONTROL_MISSING = 2
CONTROL_REFUSED = 3

LOOPBACK = socket.inet_aton("127.0.0.1")


def packet_type(pkt):
    return pkt[2] if len(pkt) > 2 else None


def has_magic(pkt):
    return len(pkt) >= 4 and struct.unpack_from("<H", pkt, 0)[0] == MAGIC


# ---------------------------------------------------------------- peer packets

def peer_address(ipv4, tcp, udp):
    return bytes(ipv4) + struct.pack("<HH", tcp, udp)


def peer_record(ipv4, tcp, udp):
    return peer_address(ipv4, tcp, udp) + bytes(8)


def build_hello(guid, peer_id, seq, tcp, udp, free, tick, ipv4=LOOPBACK):
    return (request_header(T_HELLO, guid, peer_id, seq) + peer_address(ipv4, tcp, udp)
            + struct.pack("<BI", free & 0xFF, tick & 0xFFFFFFFF))


def parse_hello(pkt):
    """The fields of an 'A', or None when it is not a complete hello."""
    if len(pkt) < HELLO_LEN or not has_magic(pkt) or pkt[2] != T_HELLO:
        return None
    tcp, udp = struct.unpack_from("<HH", pkt, 48)
    free, tick = struct.unpack_from("<BI", pkt, 52)
    return {"guid": pkt[12:28], "peer_id": pkt[28:44], "ipv4": pkt[44:48],
            "tcp": tcp, "udp": udp, "free": free, "tick": tick,
            "seq": struct.unpack_from("<I", pkt, 8)[0]}


def build_peer_list(guid, peer_id, seq, tick, own, others, count=None):
    """'B': own and others are (ipv4, tcp, udp); count overrides the count byte."""
    if count is None:
        count = len(others) + 1
    out = request_header(T_PEERS, guid, peer_id, seq) + struct.pack("<IB", tick & 0xFFFFFFFF, count)
    out += peer_record(*own)
    for rec in others:
        out += peer_record(*rec)
    return out


def parse_peer_list(pkt):
    if len(pkt) < PEERS_MIN_LEN or not has_magic(pkt) or pkt[2] != T_PEERS:
        return None
    tick, count = struct.unpack_from("<IB", pkt, 44)
    if len(pkt) < PEERS_MIN_LEN + 16 * count:
        return None
    records = []
    for i in range(count):
        off = 49 + 16 * i
        tcp, udp = struct.unpack_from("<HH", pkt, off + 4)
        records.append((pkt[off:off + 4], tcp, udp))
    return {"guid": pkt[12:28], "peer_id": pkt[28:44], "tick": tick, "count": count,
            "records": records}


# ---------------------------------------------------------------- transfer packets

def build_missing(piece):
    return build_control(CONTROL_MISSING, struct.pack("<I", piece))


def build_refusal():
    return build_control(CONTROL_REFUSED)


def parse_control(pkt):
    if len(pkt) < 8 or pkt[2] != T_CONTROL:
        return None
    kind, length = struct.unpack_from("<HH", pkt, 4)
    if len(pkt) < 8 + length:
        return None
    return {"kind": kind, "data": pkt[8:8 + length]}


def status_record(rate_k, free, outgoing, incoming, loss=0):
    return struct.pack("<HHBBBB", 0, min(rate_k, 0xFFFF), free & 0xFF, outgoing & 0xFF,
                       incoming & 0xFF, loss & 0xFF)


def availability_bits(held, first, last):
    """Bits MSB first for pieces first..last inclusive; held is a set of numbers."""
    if not first or last < first:
        return b""
    bits = bytearray((last - first + 1 + 7) // 8)
    for n in held:
        if first <= n <= last:
            k = n - first
            bits[k // 8] |= 0x80 >> (k % 8)
    return bytes(bits)


def build_availability(status, first, bits, count=None):
    if count is None:
        count = len(bits)
    return transfer_header(T_AVAIL) + bytes(status) + struct.pack("<HI", count, first) + bytes(bits)


def parse_availability(pkt):
    if len(pkt) < 18 or pkt[2] != T_AVAIL:
        return None
    count, first = struct.unpack_from("<HI", pkt, 12)
    if len(pkt) < 18 + count:
        return None
    bits = pkt[18:18 + count]
    held = [first + i for i in range(8 * count) if bits[i // 8] & (0x80 >> (i % 8))]
    return {"status": pkt[4:12], "count": count, "first": first, "bits": bits, "held": held}


def build_request(pieces):
    return transfer_header(T_REQUEST) + struct.pack("<B", len(pieces)) + b"".join(
        struct.pack("<I", n) for n in pieces)


def parse_request(pkt):
    if len(pkt) < 5 or pkt[2] != T_REQUEST:
        return None
    count = pkt[4]
    if len(pkt) < 5 + 4 * count:
        return None
    return list(struct.unpack_from("<%dI" % count, pkt, 5))


def build_piece(number, kind, body, length=None):
    """'F'; length overrides the stated body length L."""
    if length is None:
        length = len(body)
    return transfer_header(T_PIECE) + struct.pack("<IBH", number, kind, length) + bytes(body)


def parse_piece(pkt):
    """The fields of an 'F' of more than 11 bytes; 'whole' tells whether L bytes are present."""
    if len(pkt) <= 11 or pkt[2] != T_PIECE:
        return None
    number, kind, length = struct.unpack_from("<IBH", pkt, 4)
    return {"number": number, "kind": kind, "length": length, "body": pkt[11:11 + length],
            "whole": len(pkt) >= 11 + length}


def data_body(time_stamp, header_id, payload):
    return struct.pack("<II", time_stamp & 0xFFFFFFFF, header_id) + bytes(payload)


def parse_data_body(body):
    if len(body) < 8:
        return None
    ts, header_id = struct.unpack_from("<II", body, 0)
    return {"ts": ts, "header_id": header_id, "payload": body[8:]}


def header_body(header_type, prefix, data, data_len=None):
    """Stream header record; data_len overrides the stated header data length."""
    if data_len is None:
        data_len = len(data)
    return struct.pack("<HHHH", header_type, len(prefix), data_len, 0) + bytes(prefix) + bytes(data)


def parse_header_body(body):
    if len(body) < 8:
        return None
    htype, plen, dlen, _ = struct.unpack_from("<HHHH", body, 0)
    if len(body) < 8 + plen + dlen:
        return None
    return {"type": htype, "prefix": body[8:8 + plen], "data": body[8 + plen:8 + plen + dlen]}
