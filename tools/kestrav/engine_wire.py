"""Wire formats the engine speaks with peers and link servers, for the Python test parties.

- The message framing of engine stream connections: u32 little-endian length, then the payload.
- Peer packets: a 44-byte request header (36-byte reply header) and the payload of each type.
- Transfer packets: a 4-byte header on a peer stream connection.

Every multi-byte field is little-endian, except IPv4 addresses, which keep the four bytes of a
socket address (network order). Ports are little-endian in host order. IPv4 addresses are dotted
strings in this module's interface; GUIDs and peer ids are 16 raw bytes.

Views check the minimum lengths the module checks and never raise on short input: `valid` is
False instead, and only the fields inside the received bytes are read.
"""

import socket
import struct
import uuid
from dataclasses import dataclass, field
from typing import List, Optional

# ---------------------------------------------------------------------------------------------
# Frames of engine stream connections

MAX_FRAME = 131072
FRAME_PREFIX = 4


class FrameError(Exception):
    """A frame length above MAX_FRAME, or a stream that ended inside a frame."""


def encode_frame(payload: bytes) -> bytes:
    if len(payload) > MAX_FRAME:
        raise FrameError("frame of %d bytes is above %d" % (len(payload), MAX_FRAME))
    return struct.pack("<I", len(payload)) + bytes(payload)


class FrameDecoder:
    """Splits a byte stream into frames; feed() returns the frames completed so far."""

    def __init__(self):
        self._buffer = bytearray()

    def feed(self, data: bytes) -> List[bytes]:
        self._buffer += data
        frames = []
        while len(self._buffer) >= FRAME_PREFIX:
            (length,) = struct.unpack_from("<I", self._buffer, 0)
            if length > MAX_FRAME:
                raise FrameError("frame length %d is above %d" % (length, MAX_FRAME))
            if len(self._buffer) < FRAME_PREFIX + length:
                break
            frames.append(bytes(self._buffer[FRAME_PREFIX:FRAME_PREFIX + length]))
            del self._buffer[:FRAME_PREFIX + length]
        return frames

    @property
    def pending(self) -> int:
        return len(self._buffer)


def send_frame(sock: socket.socket, payload: bytes) -> None:
    sock.sendall(encode_frame(payload))


def _recv_exact(sock: socket.socket, count: int) -> Optional[bytes]:
    data = bytearray()
    while len(data) < count:
        chunk = sock.recv(count - len(data))
        if not chunk:
            if data:
                raise FrameError("stream ended inside a frame")
            return None
        data += chunk
    return bytes(data)


def recv_frame(sock: socket.socket) -> Optional[bytes]:
    """One whole frame, or None when the peer closed between frames."""
    prefix = _recv_exact(sock, FRAME_PREFIX)
    if prefix is None:
        return None
    (length,) = struct.unpack("<I", prefix)
    if length > MAX_FRAME:
        raise FrameError("frame length %d is above %d" % (length, MAX_FRAME))
    if length == 0:
        return b""
    payload = _recv_exact(sock, length)
    if payload is None:
        raise FrameError("stream ended inside a frame")
    return payload


# ---------------------------------------------------------------------------------------------
# Shared field groups

MAGIC = 1001
HEADER_WORD_A = 0xAB98
HEADER_WORD_B = 0x0201
REQUEST_HEADER_SIZE = 44
REPLY_HEADER_SIZE = 36
TRANSFER_HEADER_SIZE = 4
PEER_ADDRESS_SIZE = 8
PEER_RECORD_SIZE = 16
STATUS_RECORD_SIZE = 8

FLAG_REQUEST = 1
FLAG_REPLY = 0

TYPE_JOIN = 1
TYPE_ANNOUNCE = 2
TYPE_STATUS = 3
TYPE_LEAVE = 4
TYPE_CONTROL = 64
TYPE_HELLO = 65  # 'A'
TYPE_PEER_LIST = 66  # 'B'
TYPE_AVAILABILITY = 68  # 'D'
TYPE_PIECE_REQUEST = 69  # 'E'
TYPE_PIECE = 70  # 'F'

PIECE_DATA = 1
PIECE_HEADER = 2

JOIN_REPLY_SIZE = 54
STATUS_REPLY_SIZE = 37
PEER_LIST_REPLY_MIN = 37
ANNOUNCE_SIZE = 64
STATUS_SIZE = 60
LEAVE_MIN = 46
JOIN_MIN = 61
HELLO_SIZE = 57
PEER_LIST_MIN = 49  # plus 16 per record named by the count byte


def ip_bytes(ip: str) -> bytes:
    return socket.inet_aton(ip)


def ip_text(raw: bytes) -> str:
    return socket.inet_ntoa(bytes(raw[:4]))


def guid_text(guid: bytes) -> str:
    """The module's text form: upper-case hex in braces, first three fields little-endian."""
    return "{" + str(uuid.UUID(bytes_le=bytes(guid))).upper() + "}"


def guid_from_text(text: str) -> bytes:
    return uuid.UUID(text.strip("{}")).bytes_le


@dataclass(frozen=True)
class PeerAddress:
    ip: str
    tcp: int
    udp: int

    def pack(self) -> bytes:
        return ip_bytes(self.ip) + struct.pack("<HH", self.tcp, self.udp)

    @staticmethod
    def unpack(raw: bytes, offset: int = 0) -> "PeerAddress":
        tcp, udp = struct.unpack_from("<HH", raw, offset + 4)
        return PeerAddress(ip_text(raw[offset:offset + 4]), tcp, udp)


@dataclass(frozen=True)
class PeerRecord:
    address: PeerAddress
    word_a: int = 0
    word_b: int = 0

    def pack(self) -> bytes:
        return self.address.pack() + struct.pack("<II", self.word_a, self.word_b)

    @staticmethod
    def unpack(raw: bytes, offset: int = 0) -> "PeerRecord":
        a, b = struct.unpack_from("<II", raw, offset + 8)
        return PeerRecord(PeerAddress.unpack(raw, offset), a, b)


@dataclass(frozen=True)
class StatusRecord:
    rate_k: int = 0  # own send rate / 1000
    free_slots: int = 0
    outgoing: int = 0
    incoming: int = 0
    loss_percent: int = 0

    def pack(self) -> bytes:
        return struct.pack("<HHBBBB", 0, self.rate_k, self.free_slots, self.outgoing, self.incoming,
                           self.loss_percent)

    @staticmethod
    def unpack(raw: bytes, offset: int = 0) -> "StatusRecord":
        _, rate, free, out, inc, loss = struct.unpack_from("<HHBBBB", raw, offset)
        return StatusRecord(rate, free, out, inc, loss)


# ---------------------------------------------------------------------------------------------
# Peer packet headers


@dataclass
class PeerHeader:
    """The fields shared by request and reply headers (bytes 0 to 27) and the rest of either."""
    magic: int
    type: int
    flag: int
    word_a: int
    word_b: int
    sequence: int
    guid: bytes
    peer_id: bytes = b""  # requests: the sender's peer id at 28
    range_low: int = 0  # replies: the source range at 28 and 32
    range_high: int = 0

    @property
    def well_formed(self) -> bool:
        return self.magic == MAGIC and self.word_a == HEADER_WORD_A and self.word_b == HEADER_WORD_B


def build_request_header(ptype: int, guid: bytes, peer_id: bytes, sequence: int,
                         flag: int = FLAG_REQUEST) -> bytes:
    assert len(guid) == 16 and len(peer_id) == 16
    return struct.pack("<HBBHHI", MAGIC, ptype, flag, HEADER_WORD_A, HEADER_WORD_B, sequence) + guid + peer_id


def parse_request_header(raw: bytes) -> Optional[PeerHeader]:
    if len(raw) < REQUEST_HEADER_SIZE:
        return None
    magic, ptype, flag, wa, wb, seq = struct.unpack_from("<HBBHHI", raw, 0)
    return PeerHeader(magic, ptype, flag, wa, wb, seq, bytes(raw[12:28]), peer_id=bytes(raw[28:44]))


def build_reply_header(request: bytes, range_low: int, range_high: int, flag: int = FLAG_REPLY) -> bytes:
    """Bytes 0 to 27 of the request with the flag replaced, then the source range."""
    head = bytearray(request[:28])
    head[3] = flag
    return bytes(head) + struct.pack("<II", range_low, range_high)


def parse_reply_header(raw: bytes) -> Optional[PeerHeader]:
    if len(raw) < REPLY_HEADER_SIZE:
        return None
    magic, ptype, flag, wa, wb, seq = struct.unpack_from("<HBBHHI", raw, 0)
    low, high = struct.unpack_from("<II", raw, 28)
    return PeerHeader(magic, ptype, flag, wa, wb, seq, bytes(raw[12:28]), range_low=low, range_high=high)


class Sequence:
    """The module's packet counter: the first packet carries 1."""

    def __init__(self, start: int = 0):
        self.value = start

    def next(self) -> int:
        self.value = (self.value + 1) & 0xFFFFFFFF
        return self.value


# ---------------------------------------------------------------------------------------------
# Peer packets a relay sends (requests)


def build_join(guid, peer_id, seq, tcp_port, udp_port, type_one_word=0, ipv4s=("127.0.0.1",)) -> bytes:
    body = struct.pack("<HHIIIB", tcp_port, udp_port, 0, 0, type_one_word, len(ipv4s))
    body += b"".join(ip_bytes(ip) for ip in ipv4s)
    return build_request_header(TYPE_JOIN, guid, peer_id, seq) + body


def build_announce(guid, peer_id, seq, status=StatusRecord(), first_held=0, last_held=0,
                   replies_received=0, wanted=50) -> bytes:
    body = status.pack() + struct.pack("<IIHH", first_held, last_held, replies_received, wanted)
    return build_request_header(TYPE_ANNOUNCE, guid, peer_id, seq) + body


def build_status(guid, peer_id, seq, status=StatusRecord(), first_held=0, last_held=0) -> bytes:
    body = status.pack() + struct.pack("<II", first_held, last_held)
    return build_request_header(TYPE_STATUS, guid, peer_id, seq) + body


def build_leave(guid, peer_id, seq, text_a=b"", text_b=b"") -> bytes:
    body = struct.pack("<BB", len(text_a), len(text_b)) + text_a + text_b
    return build_request_header(TYPE_LEAVE, guid, peer_id, seq) + body


def build_hello(guid, peer_id, seq, address: PeerAddress, free_slots=0, tick=0) -> bytes:
    body = address.pack() + struct.pack("<BI", free_slots, tick & 0xFFFFFFFF)
    return build_request_header(TYPE_HELLO, guid, peer_id, seq) + body


def build_peer_list(guid, peer_id, seq, echoed_tick, own: PeerRecord, records=()) -> bytes:
    body = struct.pack("<IB", echoed_tick & 0xFFFFFFFF, (len(records) + 1) & 0xFF) + own.pack()
    body += b"".join(r.pack() for r in records)
    return build_request_header(TYPE_PEER_LIST, guid, peer_id, seq) + body


@dataclass
class JoinView:
    valid: bool
    header: Optional[PeerHeader] = None
    tcp_port: int = 0
    udp_port: int = 0
    type_one_word: int = 0
    ipv4s: List[str] = field(default_factory=list)


def parse_join(raw: bytes) -> JoinView:
    if len(raw) < JOIN_MIN:
        return JoinView(False)
    n = raw[60]
    if len(raw) < JOIN_MIN + 4 * n:
        return JoinView(False)
    tcp, udp, _, _, word = struct.unpack_from("<HHIII", raw, 44)
    ips = [ip_text(raw[61 + 4 * i:65 + 4 * i]) for i in range(n)]
    return JoinView(True, parse_request_header(raw), tcp, udp, word, ips)


@dataclass
class StateView:
    """An announce or a status request: the sender's status record and piece range."""
    valid: bool
    header: Optional[PeerHeader] = None
    status: Optional[StatusRecord] = None
    first_held: int = 0
    last_held: int = 0
    replies_received: int = 0  # announces only
    wanted: int = 0  # announces only


def parse_announce(raw: bytes) -> StateView:
    if len(raw) < ANNOUNCE_SIZE:
        return StateView(False)
    first, last, replies, wanted = struct.unpack_from("<IIHH", raw, 52)
    return StateView(True, parse_request_header(raw), StatusRecord.unpack(raw, 44), first, last, replies, wanted)


def parse_status(raw: bytes) -> StateView:
    if len(raw) < STATUS_SIZE:
        return StateView(False)
    first, last = struct.unpack_from("<II", raw, 52)
    return StateView(True, parse_request_header(raw), StatusRecord.unpack(raw, 44), first, last)


@dataclass
class LeaveView:
    valid: bool
    header: Optional[PeerHeader] = None
    text_a: bytes = b""
    text_b: bytes = b""


def parse_leave(raw: bytes) -> LeaveView:
    if len(raw) < LEAVE_MIN:
        return LeaveView(False)
    a, b = raw[44], raw[45]
    if len(raw) < LEAVE_MIN + a + b:
        return LeaveView(False)
    return LeaveView(True, parse_request_header(raw), bytes(raw[46:46 + a]), bytes(raw[46 + a:46 + a + b]))


@dataclass
class HelloView:
    valid: bool
    header: Optional[PeerHeader] = None
    address: Optional[PeerAddress] = None
    free_slots: int = 0
    tick: int = 0


def parse_hello(raw: bytes) -> HelloView:
    if len(raw) < HELLO_SIZE:
        return HelloView(False)
    free, tick = struct.unpack_from("<BI", raw, 52)
    return HelloView(True, parse_request_header(raw), PeerAddress.unpack(raw, 44), free, tick)


@dataclass
class PeerListView:
    valid: bool
    header: Optional[PeerHeader] = None
    echoed_tick: int = 0
    count: int = 0  # the count byte: records including the sender's own
    records: List[PeerRecord] = field(default_factory=list)


def parse_peer_list(raw: bytes) -> PeerListView:
    if len(raw) < PEER_LIST_MIN:
        return PeerListView(False)
    count = raw[48]
    if len(raw) < PEER_LIST_MIN + PEER_RECORD_SIZE * count:
        return PeerListView(False)
    (tick,) = struct.unpack_from("<I", raw, 44)
    records = [PeerRecord.unpack(raw, 49 + PEER_RECORD_SIZE * i) for i in range(count)]
    return PeerListView(True, parse_request_header(raw), tick, count, records)


# ---------------------------------------------------------------------------------------------
# Replies of link servers


def build_join_reply(request: bytes, seen_ip: str, keepalive_s: int, low: int, high: int,
                     flag: int = FLAG_REPLY, length: int = JOIN_REPLY_SIZE) -> bytes:
    """Padded with zeros to `length` (the module refuses fewer than 54 bytes)."""
    packet = build_reply_header(request, low, high, flag) + ip_bytes(seen_ip) + struct.pack("<H", keepalive_s)
    return _fit(packet, length)


def build_status_reply(request: bytes, low: int, high: int, flag: int = FLAG_REPLY,
                       length: int = STATUS_REPLY_SIZE) -> bytes:
    return _fit(build_reply_header(request, low, high, flag), length)


def build_peer_list_reply(request: bytes, records, low: int, high: int, flag: int = FLAG_REPLY,
                          short_by: int = 0) -> bytes:
    """A type-2 reply; `short_by` cuts bytes off the end (for malformed-reply tests)."""
    packet = build_reply_header(request, low, high, flag) + struct.pack("<B", len(records))
    packet += b"".join(r.pack() for r in records)
    return packet[:len(packet) - short_by] if short_by else packet


def _fit(packet: bytes, length: int) -> bytes:
    return packet[:length] if len(packet) >= length else packet + bytes(length - len(packet))


@dataclass
class JoinReplyView:
    valid: bool
    header: Optional[PeerHeader] = None
    seen_ip: str = ""
    keepalive_s: int = 0


def parse_join_reply(raw: bytes) -> JoinReplyView:
    if len(raw) < JOIN_REPLY_SIZE:
        return JoinReplyView(False)
    (keepalive,) = struct.unpack_from("<H", raw, 40)
    return JoinReplyView(True, parse_reply_header(raw), ip_text(raw[36:40]), keepalive)


@dataclass
class PeerListReplyView:
    valid: bool
    header: Optional[PeerHeader] = None
    records: List[PeerRecord] = field(default_factory=list)


def parse_peer_list_reply(raw: bytes) -> PeerListReplyView:
    if len(raw) < PEER_LIST_REPLY_MIN:
        return PeerListReplyView(False)
    n = raw[36]
    if len(raw) < PEER_LIST_REPLY_MIN + PEER_RECORD_SIZE * n:
        return PeerListReplyView(False)
    records = [PeerRecord.unpack(raw, 37 + PEER_RECORD_SIZE * i) for i in range(n)]
    return PeerListReplyView(True, parse_reply_header(raw), records)


def parse_status_reply(raw: bytes) -> Optional[PeerHeader]:
    """The reply header of a status reply of at least 37 bytes, else None."""
    return parse_reply_header(raw) if len(raw) >= STATUS_REPLY_SIZE else None


# ---------------------------------------------------------------------------------------------
# Transfer packets (peer stream connections)


def build_transfer_header(ptype: int) -> bytes:
    return struct.pack("<HBB", MAGIC, ptype, 1)


def parse_transfer_header(raw: bytes):
    """(magic, type, flag), or None for fewer than 4 bytes."""
    if len(raw) < TRANSFER_HEADER_SIZE:
        return None
    return struct.unpack_from("<HBB", raw, 0)


def build_control(kind: int, data: bytes = b"") -> bytes:
    return build_transfer_header(TYPE_CONTROL) + struct.pack("<HH", kind, len(data)) + data


def build_availability(status: StatusRecord, first_piece: int, bits: bytes) -> bytes:
    return build_transfer_header(TYPE_AVAILABILITY) + status.pack() + struct.pack("<HI", len(bits), first_piece) + bits


def availability_bits(first_piece: int, held) -> bytes:
    """Availability bits, most significant bit first, of the pieces from first_piece on."""
    held = sorted(p for p in held if p >= first_piece)
    if not held:
        return b""
    bits = bytearray((held[-1] - first_piece) // 8 + 1)
    for p in held:
        i = p - first_piece
        bits[i // 8] |= 0x80 >> (i % 8)
    return bytes(bits)


def build_piece_request(pieces) -> bytes:
    return build_transfer_header(TYPE_PIECE_REQUEST) + struct.pack("<B", len(pieces)) + b"".join(
        struct.pack("<I", p) for p in pieces)


def build_piece(number: int, kind: int, body: bytes) -> bytes:
    return build_transfer_header(TYPE_PIECE) + struct.pack("<IBH", number, kind, len(body)) + body


def build_data_piece(number: int, timestamp_ms: int, header_id: int, payload: bytes) -> bytes:
    return build_piece(number, PIECE_DATA, struct.pack("<II", timestamp_ms & 0xFFFFFFFF, header_id) + payload)


def build_header_piece(number: int, header_type: int, prefix: bytes, data: bytes, extra: bytes = b"") -> bytes:
    body = struct.pack("<HHHH", header_type, len(prefix), len(data), len(extra)) + prefix + data + extra
    return build_piece(number, PIECE_HEADER, body)


@dataclass
class ControlView:
    valid: bool
    kind: int = 0
    data: bytes = b""


def parse_control(raw: bytes) -> ControlView:
    if len(raw) < 8:
        return ControlView(False)
    kind, n = struct.unpack_from("<HH", raw, 4)
    if len(raw) < 8 + n:
        return ControlView(False)
    return ControlView(True, kind, bytes(raw[8:8 + n]))


@dataclass
class AvailabilityView:
    valid: bool
    status: Optional[StatusRecord] = None
    first_piece: int = 0
    bits: bytes = b""

    def pieces(self) -> List[int]:
        return [self.first_piece + i for i in range(len(self.bits) * 8) if self.bits[i // 8] & (0x80 >> (i % 8))]


def parse_availability(raw: bytes) -> AvailabilityView:
    if len(raw) < 18:
        return AvailabilityView(False)
    n, first = struct.unpack_from("<HI", raw, 12)
    if len(raw) < 18 + n:
        return AvailabilityView(False)
    return AvailabilityView(True, StatusRecord.unpack(raw, 4), first, bytes(raw[18:18 + n]))


@dataclass
class PieceRequestView:
    valid: bool
    pieces: List[int] = field(default_factory=list)


def parse_piece_request(raw: bytes) -> PieceRequestView:
    if len(raw) < 5:
        return PieceRequestView(False)
    c = raw[4]
    if len(raw) < 5 + 4 * c:
        return PieceRequestView(False)
    return PieceRequestView(True, list(struct.unpack_from("<%dI" % c, raw, 5)))


@dataclass
class PieceView:
    valid: bool
    number: int = 0
    kind: int = 0
    body: bytes = b""


def parse_piece(raw: bytes) -> PieceView:
    """Valid with more than 11 bytes and the whole body present."""
    if len(raw) <= 11:
        return PieceView(False)
    number, kind, length = struct.unpack_from("<IBH", raw, 4)
    if len(raw) < 11 + length:
        return PieceView(False)
    return PieceView(True, number, kind, bytes(raw[11:11 + length]))
