"""The link server stand-in, driven over real loopback sockets as a relay would drive it."""

import socket
import struct
import time

import pytest

from kestrav import engine_wire as wire

GUID = bytes(range(16))
OTHER_GUID = bytes(range(100, 116))
RANGE = (1000001, 1000480)
# Long enough for loopback; only used where no answer at all is the expected outcome.
QUIET_S = 0.5


class Relay:
    """One relay's UDP side: its own socket, peer id and stated ports."""

    def __init__(self, server, number, guid=GUID):
        self.server = server
        self.guid = guid
        self.peer_id = bytes([number]) * 16
        self.tcp, self.udp_stated = 7000 + number, 7100 + number
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.sock.bind(("127.0.0.1", 0))
        self.sock.settimeout(5)
        self.seq = wire.Sequence()

    def send(self, packet):
        self.sock.sendto(packet, ("127.0.0.1", self.server.udp_port))
        return packet

    def join(self):
        return self.send(wire.build_join(self.guid, self.peer_id, self.seq.next(), self.tcp, self.udp_stated))

    def announce(self, wanted=50):
        return self.send(wire.build_announce(self.guid, self.peer_id, self.seq.next(), wire.StatusRecord(5, 3),
                                             1000100, 1000200, 0, wanted))

    def status(self):
        return self.send(wire.build_status(self.guid, self.peer_id, self.seq.next(), wire.StatusRecord(), 1, 2))

    def leave(self):
        return self.send(wire.build_leave(self.guid, self.peer_id, self.seq.next()))

    def receive(self):
        return self.sock.recvfrom(65536)

    def reply(self):
        return self.receive()[0]

    def nothing_arrives(self):
        self.sock.settimeout(QUIET_S)
        try:
            self.sock.recvfrom(65536)
            return False
        except socket.timeout:
            return True
        finally:
            self.sock.settimeout(5)

    def joined(self):
        self.join()
        assert wire.parse_join_reply(self.reply()).valid
        return self

    def listed(self, wanted=50):
        self.announce(wanted)
        view = wire.parse_peer_list_reply(self.reply())
        assert view.valid
        return [r.address for r in view.records]

    def close(self):
        self.sock.close()


@pytest.fixture
def relays():
    made = []

    def make(server, number, guid=GUID):
        relay = Relay(server, number, guid)
        made.append(relay)
        return relay

    yield make
    for relay in made:
        relay.close()


def address_of(relay):
    return wire.PeerAddress("127.0.0.1", relay.tcp, relay.udp_stated)


def test_join_reply_carries_the_address_as_seen_and_the_keepalive(linksrv, relays):
    server = linksrv("--range", "%d:%d" % RANGE, "--keepalive", "45")
    relay = relays(server, 1)
    request = relay.join()
    reply, sender = relay.receive()

    assert sender == ("127.0.0.1", server.udp_port)  # from the socket the join went to
    assert len(reply) == wire.JOIN_REPLY_SIZE
    assert reply[:3] == request[:3] and reply[3] == wire.FLAG_REPLY and reply[4:28] == request[4:28]
    view = wire.parse_join_reply(reply)
    assert (view.header.range_low, view.header.range_high) == RANGE
    assert view.seen_ip == "127.0.0.1"
    assert view.keepalive_s == 45
    assert reply[42:] == bytes(12)


def test_status_reply_is_37_bytes(linksrv, relays):
    server = linksrv("--range", "%d:%d" % RANGE)
    relay = relays(server, 1).joined()
    request = relay.status()
    reply = relay.reply()
    assert len(reply) == wire.STATUS_REPLY_SIZE
    assert reply[:3] == request[:3] and reply[3] == 0 and reply[4:28] == request[4:28]
    assert reply[36] == 0
    header = wire.parse_status_reply(reply)
    assert (header.range_low, header.range_high) == RANGE


def test_announce_lists_the_channels_other_peers_most_recent_first(linksrv, relays):
    server = linksrv("--range", "1:2")
    a, b, c = (relays(server, n).joined() for n in (1, 2, 3))
    relays(server, 4, OTHER_GUID).joined()  # another channel: never listed

    assert a.listed() == [address_of(c), address_of(b)]
    assert b.listed() == [address_of(a), address_of(c)]  # a was seen last, by its announce
    assert a.listed(wanted=1) == [address_of(b)]
    # A relay that never joined gets the list too, and is not registered by asking.
    stranger = relays(server, 5)
    assert len(stranger.listed()) == 3
    assert address_of(stranger) not in c.listed()


def test_peer_list_reply_layout(linksrv, relays):
    server = linksrv("--range", "%d:%d" % RANGE)
    a, b = relays(server, 1).joined(), relays(server, 2).joined()
    a.announce()
    reply = a.reply()
    assert len(reply) == 37 + 16
    assert reply[3] == 0 and reply[36] == 1
    assert reply[37:53] == wire.ip_bytes("127.0.0.1") + struct.pack("<HHII", b.tcp, b.udp_stated, 0, 0)
    assert struct.unpack_from("<II", reply, 28) == RANGE


def test_list_source_and_max_records(linksrv, relays):
    server = linksrv("--range", "1:2", "--list-source", "127.0.0.9:6000:6001", "--max-records", "2")
    a = relays(server, 1).joined()
    assert a.listed() == [wire.PeerAddress("127.0.0.9", 6000, 6001)]
    relays(server, 2).joined()
    relays(server, 3).joined()
    listed = a.listed()
    assert len(listed) == 2 and listed[0] == wire.PeerAddress("127.0.0.9", 6000, 6001)


def test_leave_forgets_the_peer(linksrv, relays):
    server = linksrv("--range", "1:2")
    a, b = relays(server, 1).joined(), relays(server, 2).joined()
    assert a.listed() == [address_of(b)]
    b.leave()
    assert a.listed() == []
    assert b.nothing_arrives()  # a leave gets no answer


def test_silent_peers_expire_after_three_keepalives(linksrv, relays):
    server = linksrv("--range", "1:2", "--keepalive", "1")
    a, b = relays(server, 1).joined(), relays(server, 2).joined()
    assert a.listed() == [address_of(b)]
    time.sleep(3.5)
    assert a.listed() == []


MALFORMED = {
    "shorter than a header": lambda p: p[:43],
    "other magic": lambda p: struct.pack("<H", 1002) + p[2:],
    "other first header word": lambda p: p[:4] + struct.pack("<H", 0xAB99) + p[6:],
    "other second header word": lambda p: p[:6] + struct.pack("<H", 0x0202) + p[8:],
    "reply flag": lambda p: p[:3] + b"\x00" + p[4:],
    "flag 2": lambda p: p[:3] + b"\x02" + p[4:],
}


@pytest.mark.parametrize("damage", MALFORMED.values(), ids=MALFORMED.keys())
def test_malformed_requests_are_dropped(linksrv, relays, damage):
    server = linksrv("--range", "1:2")
    relay = relays(server, 1)
    for ptype in ("join", "status", "announce"):
        packet = getattr(wire, "build_" + ptype)(GUID, relay.peer_id, 1, *(
            (relay.tcp, relay.udp_stated) if ptype == "join" else ()))
        relay.send(damage(packet))
    # Datagrams on loopback keep their order: the first answer must be the one to the valid join.
    relay.join()
    reply = relay.reply()
    assert reply[2] == wire.TYPE_JOIN and len(reply) == wire.JOIN_REPLY_SIZE
    entries = server.log_entries()
    assert [e["answered"] for e in entries] == [False, False, False, True]
    assert all(e["note"].startswith("dropped") for e in entries[:3])


def test_range_file_is_read_for_every_reply(linksrv, relays, tmp_path):
    range_file = tmp_path / "range"
    range_file.write_text("300 400\n")
    server = linksrv("--range-file", str(range_file))
    relay = relays(server, 1)
    relay.join()
    header = wire.parse_reply_header(relay.reply())
    assert (header.range_low, header.range_high) == (300, 400)
    range_file.write_text("350 460\n")
    relay.status()
    header = wire.parse_reply_header(relay.reply())
    assert (header.range_low, header.range_high) == (350, 460)


def test_silent_mode_answers_nothing_and_logs_every_request(linksrv, relays):
    server = linksrv("--range", "1:2", "--mode", "silent")
    relay = relays(server, 1)
    relay.join()
    relay.status()
    relay.announce()
    assert relay.nothing_arrives()
    entries = server.log_entries()
    assert [e["type"] for e in entries] == [1, 3, 2]
    assert all(not e["answered"] for e in entries)
    first = entries[0]
    assert first["from"] == "127.0.0.1:%d" % relay.sock.getsockname()[1]
    assert first["guid"] == wire.guid_text(GUID) and first["peer"] == relay.peer_id.hex()


def test_short_mode_replies_one_byte_below_each_minimum(linksrv, relays):
    server = linksrv("--range", "1:2", "--mode", "short")
    a = relays(server, 1)
    relays(server, 2).join()
    a.join()
    assert len(a.reply()) == wire.JOIN_REPLY_SIZE - 1
    a.status()
    assert len(a.reply()) == wire.STATUS_REPLY_SIZE - 1
    a.announce()
    reply = a.reply()
    assert len(reply) == 37 + 16 - 1 and reply[36] == 1
    assert not wire.parse_peer_list_reply(reply).valid


@pytest.mark.parametrize("mode, check", [
    ("bad-flag", lambda reply, request: reply[3] == 1 and reply[:3] == request[:3]),
    ("zero-range", lambda reply, request: reply[28:36] == bytes(8) and reply[3] == 0),
    ("wrong-guid", lambda reply, request: reply[12:28] != GUID and reply[:3] == request[:3]
                                          and reply[8:12] == request[8:12]),
])
def test_damaging_modes_alter_only_their_field(linksrv, relays, mode, check):
    server = linksrv("--range", "%d:%d" % RANGE, "--mode", mode)
    relay = relays(server, 1)
    for send in (relay.join, relay.status, relay.announce):
        request = send()
        reply, sender = relay.receive()
        assert sender[1] == server.udp_port
        assert check(reply, request), (send.__name__, reply.hex())


def test_other_port_mode_replies_from_a_second_socket(linksrv, relays):
    server = linksrv("--range", "1:2", "--mode", "other-port")
    relay = relays(server, 1)
    relay.join()
    reply, sender = relay.receive()
    assert len(reply) == wire.JOIN_REPLY_SIZE
    assert sender[0] == "127.0.0.1" and sender[1] != server.udp_port


def tcp_request(server, packet):
    with socket.create_connection(("127.0.0.1", server.tcp_port), timeout=5) as conn:
        wire.send_frame(conn, packet)
        first = wire.recv_frame(conn)
        return first, wire.recv_frame(conn)


def test_tcp_mode_answers_one_framed_list_then_closes(linksrv, relays):
    server = linksrv("--tcp", "127.0.0.1:0", "--range", "%d:%d" % RANGE)
    assert server.tcp_port
    joined = relays(server, 1).joined()
    asker = relays(server, 2)
    announce = wire.build_announce(GUID, asker.peer_id, 7, wire.StatusRecord(), 0, 0, 0, 50)

    reply, after = tcp_request(server, announce)
    assert after is None  # closed after the one reply
    view = wire.parse_peer_list_reply(reply)
    assert view.valid and reply[:3] == announce[:3] and reply[3] == 0
    assert (view.header.range_low, view.header.range_high) == RANGE
    assert [r.address for r in view.records] == [address_of(joined)]
    # The asker stated no ports, so it is not registered.
    assert joined.listed() == []


def test_tcp_mode_answers_no_join_or_status(linksrv, relays):
    server = linksrv("--tcp", "127.0.0.1:0", "--range", "1:2")
    relay = relays(server, 1)
    for packet in (wire.build_join(GUID, relay.peer_id, 1, relay.tcp, relay.udp_stated),
                   wire.build_status(GUID, relay.peer_id, 2)):
        assert tcp_request(server, packet) == (None, None)


def test_tcp_mode_refuses_an_oversized_frame(linksrv):
    server = linksrv("--tcp", "127.0.0.1:0", "--range", "1:2")
    with socket.create_connection(("127.0.0.1", server.tcp_port), timeout=5) as conn:
        conn.sendall(struct.pack("<I", wire.MAX_FRAME + 1) + bytes(64))
        try:
            assert conn.recv(16) == b""
        except ConnectionResetError:
            pass  # closed with the rest of the frame unread


@pytest.mark.parametrize("mode, answered", [("drop=0", True), ("drop=100", False), ("delay=200", True)])
def test_loss_and_delay_modes(linksrv, relays, mode, answered):
    server = linksrv("--range", "1:2", "--mode", mode)
    relay = relays(server, 1)
    requests = [relay.join(), relay.status()]
    if answered:
        assert [relay.reply()[2] for _ in requests] == [wire.TYPE_JOIN, wire.TYPE_STATUS]
    else:
        assert relay.nothing_arrives()
        assert [e["answered"] for e in server.log_entries()] == [False, False]
