"""The stream source peer and the player checker, each against a stand-in of
the other side written here: a relay that speaks the transfer packets, and a
stream port that serves a player."""

import json
import os
import shutil
import socket
import struct
import subprocess
import sys
import threading
import time
import zlib

import pytest

import player
from kestrav import stream_payloads as sp
from kestrav import transfer_wire as tw
from processes import stop_process

TOOLS = os.path.join(os.environ.get("KESTRAV_SOURCE_DIR",
                                    os.path.join(os.path.dirname(__file__), "..", "..")), "tools")

PYTHON = "/usr/bin/python3" if os.path.exists("/usr/bin/python3") else sys.executable
GUID = "{5A1F0C22-7B3D-4E10-9A61-0C2D3E4F5061}"
OTHER_GUID = "{00000000-0000-0000-0000-000000000001}"
BASE = 1000000
WAIT = 15.0
FIXED_REPLY = b"HTTP/1.1 200 OK\r\nServer: Quorvane Media Server/1.0\r\nConnection: close\r\n\r\n"
REFUSAL = struct.pack("<HBBHH", 1001, 64, 1, 3, 0)


def missing(piece):
    return struct.pack("<HBBHHI", 1001, 64, 1, 2, 4, piece)


# ------------------------------------------------------------------ fixtures

@pytest.fixture
def source(tmp_path):
    """Starts srcpeer.py with extra arguments; returns (ports, files folder)."""
    procs = []

    def start(*extra):
        proc = subprocess.Popen([PYTHON, os.path.join(TOOLS, "srcpeer.py"), "--tcp", "127.0.0.1:0",
                                 "--guid", GUID] + [str(a) for a in extra],
                                stdout=subprocess.PIPE, text=True, cwd=str(tmp_path))
        procs.append(proc)
        ports = json.loads(proc.stdout.readline())
        assert set(ports) == {"tcp", "udp"} and ports["tcp"] and ports["udp"]
        return ports

    yield start
    for proc in procs:
        stop_process(proc, 10)


class RelayStandIn:
    """One relay end of a transfer connection to the source."""

    def __init__(self, port, tcp=5001, udp=5002):
        self.sock = socket.create_connection(("127.0.0.1", port), timeout=WAIT)
        self.tcp, self.udp = tcp, udp

    def frame(self):
        return tw.read_frame(self.sock)

    def send(self, pkt):
        tw.send_frame(self.sock, pkt)

    def hello(self, guid=GUID, tick=0x0BADF00D):
        return tw.build_hello(tw.guid_bytes(guid), b"R" * 16, 1, self.tcp, self.udp, 2, tick)

    def greet(self, tick=0x0BADF00D):
        """Source 'A', own 'A', then the source's 'B' and first 'D'."""
        source_hello = self.frame()
        self.send(self.hello(tick=tick))
        return source_hello, self.frame(), self.frame()

    def next_of(self, ptype):
        """The next packet of a type, passing over the periodic 'D's."""
        while True:
            pkt = self.frame()
            assert pkt is not None, "connection closed"
            if pkt[2] == ptype:
                return pkt
            assert pkt[2] == tw.T_AVAIL, pkt[:12]

    def availability_until(self, done):
        deadline = time.monotonic() + WAIT
        while time.monotonic() < deadline:
            view = tw.parse_availability(self.next_of(tw.T_AVAIL))
            if done(view):
                return view
        raise AssertionError("availability never reached the state")

    def request(self, pieces):
        self.send(tw.build_request(pieces))
        return [self.frame_not_avail() for _ in pieces]

    def frame_not_avail(self):
        while True:
            pkt = self.frame()
            assert pkt is not None, "connection closed"
            if pkt[2] != tw.T_AVAIL:
                return pkt

    def close(self):
        self.sock.close()


def read_prod_log(path, piece):
    deadline = time.monotonic() + WAIT
    while time.monotonic() < deadline:
        if os.path.exists(path):
            for line in open(path):
                rec = json.loads(line)
                if rec["piece"] == piece:
                    return rec
        time.sleep(0.05)
    raise AssertionError("piece %d never logged" % piece)


def expected_data_piece(piece, ts, header_id, payload):
    """An 'F' of a data piece, built here field by field."""
    body = struct.pack("<II", ts, header_id) + payload
    return struct.pack("<HBBIBH", 1001, 70, 1, piece, 1, len(body)) + body


# ------------------------------------------------------------------ source: connection duties

def test_greeting_lists_relays_and_marks_only_data_pieces(source):
    ports = source("--rate", 2000000, "--header-change-at", BASE + 3, "--max-transfers", 3)
    first = RelayStandIn(ports["tcp"], tcp=6001, udp=6002)
    first.greet()
    relay = RelayStandIn(ports["tcp"])
    # The source speaks first, before the relay has sent anything.
    source_hello = relay.frame()
    assert len(source_hello) == 57 and source_hello[:4] == struct.pack("<HBB", 1001, 65, 1)
    assert source_hello[12:28] == tw.guid_bytes(GUID)
    assert source_hello[44:52] == socket.inet_aton("127.0.0.1") + struct.pack("<HH", ports["tcp"],
                                                                              ports["udp"])
    assert source_hello[52] == 1  # three slots, two taken
    relay.send(relay.hello(tick=0xCAFE1234))

    peers = relay.frame()
    assert len(peers) == 65 + 16 and peers[2] == 66
    assert struct.unpack_from("<IB", peers, 44) == (0xCAFE1234, 2)
    assert peers[49:65] == socket.inet_aton("127.0.0.1") + struct.pack("<HH", ports["tcp"],
                                                                       ports["udp"]) + bytes(8)
    assert peers[65:73] == socket.inet_aton("127.0.0.1") + struct.pack("<HH", 6001, 6002)

    avail = tw.parse_availability(relay.frame())
    assert avail is not None and avail["first"] == BASE + 1
    view = relay.availability_until(lambda v: v["held"] and v["held"][-1] >= BASE + 6)
    held = set(view["held"])
    # BASE and BASE + 3 are header pieces: never offered, though the data around them are.
    assert {BASE + 1, BASE + 2, BASE + 4, BASE + 5, BASE + 6} <= held
    assert BASE not in held and BASE + 3 not in held
    assert view["count"] == (max(held) - BASE - 1) // 8 + 1
    first.close()
    relay.close()


def test_requests_are_answered_piece_by_piece(source, tmp_path):
    log = tmp_path / "prod.jsonl"
    ports = source("--rate", 2000000, "--header-change-at", BASE + 3, "--prod-log", log)
    relay = RelayStandIn(ports["tcp"])
    relay.greet()
    relay.availability_until(lambda v: v["held"] and v["held"][-1] >= BASE + 4)
    absent = BASE + 10 ** 7
    header, data, new_header, after_change, gone = relay.request(
        [BASE, BASE + 1, BASE + 3, BASE + 4, absent])

    header_data = sp.HTTP_HEAD + b"TAIL"
    header_body = struct.pack("<HHHH", 259, 0, len(header_data), 0) + header_data
    assert header == struct.pack("<HBBIBH", 1001, 70, 1, BASE, 2, len(header_body)) + header_body
    assert new_header[4:9] == struct.pack("<IB", BASE + 3, 2) and new_header[11:] == header_body

    for pkt, piece, header_id, index in ((data, BASE + 1, BASE, 0), (after_change, BASE + 4, BASE + 3, 2)):
        rec = read_prod_log(str(log), piece)
        record = sp.synthetic_record(piece, rec["ts"], index * sp.PIECE_BYTES)
        assert pkt == expected_data_piece(piece, rec["ts"], header_id, record)
        m, kind, number, ts, crc, offset, zero = struct.unpack_from("<HHIIIII", pkt, 19)
        assert (m, kind, number, ts, offset, zero) == (sp.PIECE_BYTES - 24, 1, piece, rec["ts"],
                                                       index * sp.PIECE_BYTES, 0)
        assert crc == zlib.crc32(pkt[43:])
        assert (rec["len"], rec["crc"]) == (sp.PIECE_BYTES, zlib.crc32(pkt[19:]))
    assert gone == missing(absent)
    relay.close()


def test_evicted_data_pieces_are_missing_but_headers_stay(source):
    ports = source("--rate", 2000000, "--window", 1)
    relay = RelayStandIn(ports["tcp"])
    relay.greet()
    relay.availability_until(lambda v: v["first"] > BASE + 1)
    header, evicted = relay.request([BASE, BASE + 1])
    assert header[4:9] == struct.pack("<IB", BASE, 2)
    assert evicted == missing(BASE + 1)
    relay.close()


@pytest.mark.parametrize("first_frame", [
    pytest.param(tw.build_request([BASE + 1]), id="not-a-hello"),
    pytest.param("other-channel", id="hello-of-another-channel"),
    pytest.param("short", id="hello-of-56-bytes"),
    pytest.param(b"\xe9\x03", id="two-bytes"),
])
def test_first_frame_that_is_no_valid_hello_is_refused(source, first_frame):
    ports = source()
    relay = RelayStandIn(ports["tcp"])
    if first_frame == "other-channel":
        first_frame = relay.hello(guid=OTHER_GUID)
    elif first_frame == "short":
        first_frame = relay.hello()[:56]
    assert relay.frame()[2] == 65
    relay.send(first_frame)
    assert relay.frame() == REFUSAL
    assert relay.frame() is None
    relay.close()


def test_transfers_beyond_the_limit_are_refused(source):
    ports = source("--max-transfers", 2)
    kept = [RelayStandIn(ports["tcp"], tcp=7000 + i) for i in range(2)]
    for relay in kept:
        relay.greet()
    extra = RelayStandIn(ports["tcp"])
    assert extra.frame() == REFUSAL
    assert extra.frame() is None
    extra.close()
    # A closed transfer frees its slot again.
    kept.pop().close()
    deadline = time.monotonic() + WAIT
    while True:
        again = RelayStandIn(ports["tcp"])
        first = again.frame()
        if first[2] == 65 or time.monotonic() > deadline:
            break
        again.close()
    assert first[2] == 65
    again.close()
    kept[0].close()


def test_control_close_ends_the_transfer(source):
    ports = source()
    relay = RelayStandIn(ports["tcp"])
    relay.greet()
    relay.send(tw.build_control(2, struct.pack("<I", 5)))  # only logged
    relay.send(tw.build_control(1))
    # At most the 'D's already on their way arrive before the close.
    for _ in range(3):
        pkt = relay.frame()
        if pkt is None:
            break
        assert pkt[2] == tw.T_AVAIL
    assert pkt is None
    relay.close()


def test_range_file_follows_the_held_data_pieces(source, tmp_path):
    path = tmp_path / "range.txt"
    source("--rate", 2000000, "--range-file", path)
    seen = []
    deadline = time.monotonic() + WAIT
    while time.monotonic() < deadline and len(set(seen)) < 2:
        if path.exists():
            seen.append(tuple(int(v) for v in path.read_text().split()))
        time.sleep(0.1)
    assert len(set(seen)) >= 2
    for low, high in seen:
        assert low == BASE + 1 and high >= low


def test_udp_hello_is_answered_with_the_peer_list(source):
    ports = source("--udp", 0)
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as sock:
        sock.settimeout(WAIT)
        hello = tw.build_hello(tw.guid_bytes(GUID), b"U" * 16, 1, 5001, 5002, 2, 77)
        sock.sendto(hello, ("127.0.0.1", ports["udp"]))
        reply, _ = sock.recvfrom(2048)
    assert len(reply) == 65 and reply[2] == 66
    assert struct.unpack_from("<IB", reply, 44) == (77, 1)


# ------------------------------------------------------------------ source: hostile modes

def check_lying_l(pkt):
    stated = struct.unpack_from("<H", pkt, 9)[0]
    assert pkt[2] == 70 and stated == len(pkt) - 11 + 100


def check_short_f(pkt):
    assert pkt[2] == 70 and len(pkt) == 11


def check_l_under_8(pkt):
    assert pkt[2] == 70 and struct.unpack_from("<H", pkt, 9)[0] == 4 and len(pkt) == 15


def check_header_overrun(pkt):
    length = struct.unpack_from("<H", pkt, 9)[0]
    _, p, n, _ = struct.unpack_from("<HHHH", pkt, 11)
    assert pkt[8] == 2 and length == len(pkt) - 11 and 8 + p + n > length


@pytest.mark.parametrize("mode, piece, check", [
    ("lying-l", BASE + 1, check_lying_l),
    ("short-f", BASE + 1, check_short_f),
    ("l-under-8", BASE + 1, check_l_under_8),
    ("header-overrun", BASE, check_header_overrun),
])
def test_hostile_piece_answers(source, mode, piece, check):
    ports = source("--hostile", mode)
    relay = RelayStandIn(ports["tcp"])
    relay.greet()
    (pkt,) = relay.request([piece])
    check(pkt)
    relay.close()


def test_hostile_far_future_copy_follows_the_real_piece(source):
    ports = source("--hostile", "far-future")
    relay = RelayStandIn(ports["tcp"])
    relay.greet()
    relay.send(tw.build_request([BASE + 1]))
    real, far = relay.frame_not_avail(), relay.frame_not_avail()
    assert struct.unpack_from("<I", real, 4)[0] == BASE + 1
    assert far == real[:4] + struct.pack("<I", BASE + 1 + 10 ** 6) + real[8:]
    relay.close()


def test_hostile_peer_list_and_availability(source):
    relay = RelayStandIn(source("--hostile", "count-ff")["tcp"])
    _, peers, _ = relay.greet()
    assert len(peers) == 65 and peers[48] == 255
    relay.close()

    relay = RelayStandIn(source("--hostile", "d-huge")["tcp"])
    _, _, avail = relay.greet()
    assert len(avail) == 28 and struct.unpack_from("<H", avail, 12)[0] == 0xFFFF
    relay.close()


def test_hostile_frame_huge_breaks_the_framing(source):
    relay = RelayStandIn(source("--hostile", "frame-huge")["tcp"])
    relay.frame()
    relay.send(relay.hello())
    assert relay.frame()[2] == 66
    head = b""
    while len(head) < 4:
        head += relay.sock.recv(4 - len(head))
    assert struct.unpack("<I", head)[0] == 0x7FFFFFFF
    relay.close()


def test_hostile_keyframe_marker_and_zero_record(source):
    for mode, index, check in (("marker01", 3, lambda p: p[19:21] == b"\x00\x01"),
                               ("zero-record", 5, lambda p: struct.unpack_from(
                                   ">H", p, 19 + sp.PIECE_BYTES // 4 + 2)[0] == 0)):
        ports = source("--payload", "keyframe", "--header-type", 258, "--rate", 4000000,
                       "--hostile", mode)
        relay = RelayStandIn(ports["tcp"])
        relay.greet()
        relay.availability_until(lambda v: v["held"] and v["held"][-1] >= BASE + 1 + index)
        normal, hostile = relay.request([BASE + 1, BASE + 1 + index])
        assert normal[19:21] == b"\x80\x00" and check(hostile)
        relay.close()


# ------------------------------------------------------------------ player against a stream port

class StreamPortStandIn:
    """Serves player connections one after the other, each with fixed bytes, then
    closes it; empty bytes close a connection at once, as a relay without header does."""

    def __init__(self, *contents):
        self.contents = contents
        self.request = b""
        self.listener = socket.socket()
        self.listener.bind(("127.0.0.1", 0))
        self.listener.listen(4)
        self.port = self.listener.getsockname()[1]
        self.thread = threading.Thread(target=self.serve, daemon=True)
        self.thread.start()

    def serve(self):
        for number, content in enumerate(self.contents, 1):
            conn, _ = self.listener.accept()
            if number == len(self.contents):
                self.listener.close()  # later connection attempts are refused
            with conn:
                if not content:
                    continue
                self.request = b""
                while not self.request.endswith(b"\r\n\r\n"):
                    chunk = conn.recv(1024)
                    if not chunk:
                        return
                    self.request += chunk
                conn.sendall(content)


def run_player(port, *extra, seconds=20):
    done = subprocess.run([PYTHON, os.path.join(TOOLS, "player.py"), "--port", str(port),
                           "--seconds", str(seconds)] + [str(a) for a in extra],
                          capture_output=True, text=True, timeout=60)
    return json.loads(done.stdout.splitlines()[-1]), done.returncode


def synthetic_stream(pieces, step_ms=40, corrupt=None):
    out = b""
    for k in pieces:
        rec = bytearray(sp.synthetic_record(BASE + 1 + k, k * step_ms, k * sp.PIECE_BYTES))
        if k == corrupt:
            rec[100] ^= 0xFF
        out += rec
    return out


GOOD_HEADER = sp.served_header(259)


@pytest.mark.parametrize("reply, header, expect, reply_ok, header_ok", [
    (FIXED_REPLY, GOOD_HEADER, 259, True, True),
    (FIXED_REPLY.replace(b"1.0", b"1.1"), GOOD_HEADER, 259, False, True),
    (FIXED_REPLY, b"TAIX", 259, True, False),
    # A whole own HTTP header travels in front: the relay searched no end in it.
    (FIXED_REPLY, sp.header_data(259), 259, True, False),
    (b"", sp.header_data(260), 260, True, True),
])
def test_player_checks_reply_and_header(reply, header, expect, reply_ok, header_ok):
    server = StreamPortStandIn(reply + header + synthetic_stream(range(3)))
    summary, _ = run_player(server.port, "--expect", expect)
    assert server.request == b"GET / HTTP/1.1\r\nHost: 127.0.0.1:%d\r\n\r\n" % server.port
    assert (summary["reply_ok"], summary["header_ok"]) == (reply_ok, header_ok)


def test_player_counts_gaps_duplicates_and_corruption(tmp_path):
    log = tmp_path / "prod.jsonl"
    produced = time.time() * 1000 - 60000
    log.write_text("".join(json.dumps({"piece": BASE + 1 + k, "ts": k * 40, "wall_ms": produced,
                                       "len": sp.PIECE_BYTES, "crc": 0}) + "\n" for k in range(8)))
    # Piece 2 is skipped, piece 3 comes twice, piece 5 is damaged.
    stream = synthetic_stream([0, 1, 3, 3, 4, 5, 6], corrupt=5)
    server = StreamPortStandIn(FIXED_REPLY + GOOD_HEADER + stream)
    summary, code = run_player(server.port, "--prod-log", log, "--out", tmp_path / "sum.json")
    assert json.loads((tmp_path / "sum.json").read_text()) == summary
    assert {k: summary[k] for k in ("reply_ok", "header_ok", "first_piece", "pieces", "gaps", "dups",
                                    "crc_bad", "reconnects")} == {
        "reply_ok": True, "header_ok": True, "first_piece": BASE + 1, "pieces": 6, "gaps": 1,
        "dups": 1, "crc_bad": 1, "reconnects": 0}
    assert summary["lag_ms_p50"] >= 60000 and summary["lag_ms_p95"] >= summary["lag_ms_p50"]
    assert code == 1


def test_player_flags_records_far_ahead_of_real_time():
    stream = synthetic_stream([0, 1]) + sp.synthetic_record(BASE + 3, 20000, 2 * sp.PIECE_BYTES)
    server = StreamPortStandIn(FIXED_REPLY + GOOD_HEADER + stream)
    summary, code = run_player(server.port)
    assert summary["max_ahead_ms"] > 15000 and summary["gaps"] == 0 and code == 1


def test_player_retries_a_refusal_and_reconnects_after_a_close():
    served = FIXED_REPLY + GOOD_HEADER
    server = StreamPortStandIn(b"", served + synthetic_stream(range(3)))
    summary, code = run_player(server.port)
    assert (summary["pieces"], summary["reconnects"], summary["sessions"], code) == (3, 0, 1, 0)

    # After a header switch a relay starts again a little behind: no duplicates, no gaps.
    server = StreamPortStandIn(served + synthetic_stream(range(4)), served + synthetic_stream(range(2, 6)))
    summary, code = run_player(server.port, "--reconnect", seconds=4)
    assert {k: summary[k] for k in ("pieces", "gaps", "dups", "crc_bad", "reconnects",
                                    "sessions_with_data")} == {
        "pieces": 6, "gaps": 0, "dups": 0, "crc_bad": 0, "reconnects": 1, "sessions_with_data": 2}
    assert code == 0


@pytest.mark.parametrize("first_record, start_ok", [(0, True), (2, False)])
def test_player_wants_keyframe_streams_to_start_at_a_key_frame(first_record, start_ok):
    piece = sp.keyframe_piece(BASE + 1, 0, 0)
    sizes = sp.keyframe_record_sizes(sp.PIECE_BYTES)
    tail = piece[sum(sizes[:first_record]):] + sp.keyframe_piece(BASE + 2, 1, 40)
    server = StreamPortStandIn(FIXED_REPLY + sp.served_header(258) + tail)
    summary, _ = run_player(server.port, "--expect", 258, "--payload", "keyframe")
    assert summary["start_ok"] is start_ok
    assert (summary["header_ok"], summary["pieces"], summary["crc_bad"]) == (True, 2, 0)


@pytest.mark.parametrize("arrivals, end, ratio", [
    ([(t, t) for t in range(0, 10001, 100)], 10000, 0.0),   # delivered at playing speed
    ([(t, t) for t in range(0, 1001, 100)], 10000, 1.0),    # the buffer never fills
    ([(t, t) for t in range(0, 4001, 100)], 8000, 0.3333),  # plays 2 s, then stalls 2 s of 6
])
def test_stall_ratio_of_the_playout_buffer(arrivals, end, ratio):
    assert player.stall_ratio(arrivals, end) == ratio


# ------------------------------------------------------------------ MPEG-TS through both parties

@pytest.fixture(scope="module")
def ts_file(tmp_path_factory):
    if not shutil.which("ffmpeg"):
        pytest.skip("ffmpeg is not installed")
    path = tmp_path_factory.mktemp("ts") / "test.ts"
    subprocess.run(["ffmpeg", "-v", "error", "-f", "lavfi", "-i", "testsrc=size=320x240:rate=25",
                    "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000", "-t", "3",
                    "-c:v", "mpeg2video", "-b:v", "600k", "-g", "25", "-c:a", "mp2", "-b:a", "128k",
                    "-f", "mpegts", "-muxrate", "1000k", "-y", str(path)], check=True, timeout=120)
    return path


def test_ts_slices_round_trip_through_piece_bodies(source, ts_file):
    data = ts_file.read_bytes()
    ports = source("--payload", "ts:%s" % ts_file)
    relay = RelayStandIn(ports["tcp"])
    relay.greet()
    slices = (len(data) + 8083) // 8084
    relay.availability_until(lambda v: v["held"] and v["held"][-1] >= BASE + slices)
    header, *pieces = relay.request([BASE] + [BASE + 1 + k for k in range(slices)])

    _, p, n, _ = struct.unpack_from("<HHHH", header, 11)
    header_data = header[19 + p:19 + p + n]
    assert header_data.startswith(b"HTTP/1.1 200 OK\r\n")
    tables = header_data[sp.http_end(header_data):]
    assert len(tables) == 2 * 188 and tables[0] == tables[188] == 0x47
    assert tables[:188] in data and tables[188:] in data

    stream = b""
    for k, pkt in enumerate(pieces):
        ts, header_id = struct.unpack_from("<II", pkt, 11)
        assert (ts, header_id) == (k * 8084 * 8000 // 1000000, BASE)
        stream += pkt[19:]
    assert stream == data
    relay.close()


@pytest.mark.parametrize("damage, crc_bad", [(False, 0), (True, 1)])
def test_player_finds_ts_bytes_from_the_start_piece_on(ts_file, damage, crc_bad):
    data = ts_file.read_bytes()
    body = bytearray(data[5 * 8084:])
    if damage:
        body[3 * 8084 + 500] ^= 0x01
    header = sp.served_header(259, data)
    server = StreamPortStandIn(FIXED_REPLY + header + bytes(body))
    summary, _ = run_player(server.port, "--payload", "ts:%s" % ts_file)
    assert (summary["header_ok"], summary["first_piece"], summary["crc_bad"]) == (True, 5, crc_bad)
    if not damage:
        assert summary["pieces"] == (len(data) + 8083) // 8084 - 5
