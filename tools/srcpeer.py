#!/usr/bin/python3
"""Stream source peer: produces a live channel in real time and serves its
pieces to relays over framed TCP, the way a channel source does.

The header piece is numbered --base; data pieces follow it. Relays connect,
greet with 'A', learn the other relays from 'B', see the held data pieces in
'D' every second and fetch pieces with 'E'. Prints {"tcp":N,"udp":M} first.
"""

import argparse
import collections
import json
import os
import selectors
import signal
import socket
import struct
import sys
import time
import zlib

from kestrav import stream_payloads as sp
from kestrav import transfer_wire as tw

HOSTILE_KINDS = ("short-f", "lying-l", "l-under-8", "header-overrun", "far-future", "count-ff",
                 "d-huge", "frame-huge", "marker01", "zero-record")
FAR_FUTURE = 10 ** 6
AVAIL_PERIOD = 1.0
RANGE_PERIOD = 1.0
OUT_HIGH_WATER = 256 * 1024
MAX_BITMAP_BYTES = 0xFFFF
MAX_LISTED = 254
DRAIN_LIMIT = 2.0


def mono_ms():
    return int(time.monotonic() * 1000)


def tick():
    return mono_ms() & 0xFFFFFFFF


def wall_ms():
    return int(time.time() * 1000)


def host_port(text):
    host, _, port = text.rpartition(":")
    return host or "127.0.0.1", int(port)


class JsonLog:
    def __init__(self, path):
        self.f = open(path, "a", buffering=1) if path else None

    def write(self, **fields):
        if self.f:
            self.f.write(json.dumps(dict(t=wall_ms(), **fields)) + "\n")


class TokenBucket:
    """Bytes per second with one second of burst; unlimited when rate is 0."""

    def __init__(self, rate):
        self.rate = rate
        self.tokens = float(rate)
        self.last = time.monotonic()

    def refill(self):
        now = time.monotonic()
        self.tokens = min(float(self.rate), self.tokens + (now - self.last) * self.rate)
        self.last = now

    def may_send(self):
        if not self.rate:
            return True
        self.refill()
        return self.tokens > 0

    def spend(self, count):
        if self.rate:
            self.tokens -= count


class Production:
    """The pieces of the channel: header pieces for ever, data pieces for a window."""

    def __init__(self, args):
        self.args = args
        self.kind, _, ts_path = args.payload.partition(":")
        self.ts_data = open(ts_path, "rb").read() if self.kind == "ts" else None
        self.mux_rate = sp.ts_mux_rate(self.ts_data) if self.ts_data is not None else None
        self.headers = {}
        self.data = collections.OrderedDict()  # number -> (packet, produced at, monotonic ms)
        self.next_number = args.base
        self.header_id = None
        self.data_index = 0
        self.stream_offset = 0
        self.started = mono_ms()
        self.finished = False
        self.prod_log = JsonLog(args.prod_log)
        self.add_header()

    def add_header(self):
        number = self.next_number
        body = tw.header_body(self.args.header_type, sp.header_prefix(self.args.header_type),
                              sp.header_data(self.args.header_type, self.ts_data))
        self.headers[number] = tw.build_piece(number, tw.PIECE_HEADER, body)
        self.header_id = number
        self.next_number += 1

    def time_stamp(self, index):
        if self.mux_rate:
            return sp.ts_time_stamp(index, self.mux_rate)
        return index * self.args.piece_bytes * 8000 // self.args.rate

    def payload(self, number, index, ts):
        if self.kind == "ts":
            return sp.ts_slice(self.ts_data, index)
        if self.kind == "keyframe":
            return sp.keyframe_piece(number, index, ts, self.args.piece_bytes, self.args.hostile)
        return sp.synthetic_record(number, ts, self.stream_offset, self.args.piece_bytes)

    def next_due_ms(self):
        if self.finished:
            return None
        return self.started + self.time_stamp(self.data_index)

    def produce_due(self):
        produced = False
        while not self.finished and self.next_due_ms() <= mono_ms():
            if self.kind == "ts" and self.data_index >= sp.ts_slice_count(self.ts_data):
                self.finished = True
                break
            if self.args.header_change_at and self.next_number == self.args.header_change_at:
                self.add_header()
            self.add_data()
            produced = True
        return produced

    def add_data(self):
        number, index = self.next_number, self.data_index
        ts = self.time_stamp(index)
        payload = self.payload(number, index, ts)
        self.data[number] = (tw.build_piece(number, tw.PIECE_DATA,
                                            tw.data_body(ts, self.header_id, payload)), mono_ms())
        self.prod_log.write(piece=number, ts=ts, wall_ms=wall_ms(), len=len(payload),
                            crc=zlib.crc32(payload))
        self.next_number += 1
        self.data_index += 1
        self.stream_offset += len(payload)

    def evict(self):
        limit = mono_ms() - self.args.window * 1000
        while self.data and next(iter(self.data.values()))[1] < limit:
            self.data.popitem(last=False)

    def data_range(self):
        if not self.data:
            return None
        return next(iter(self.data)), next(reversed(self.data))

    def packet(self, number):
        if number in self.data:
            return self.data[number][0]
        return self.headers.get(number)


class Connection:
    def __init__(self, ident, sock, addr):
        self.ident = ident
        self.sock = sock
        self.addr = addr
        self.reader = tw.FrameReader()
        self.out = bytearray()
        self.requests = collections.deque()
        self.hello = None
        self.closing = False
        self.drain_until = None  # refused: written side shut, reading until the peer closes
        self.framing_broken = False
        self.next_avail = None
        self.bytes_served = 0
        self.pieces_served = 0
        self.received = collections.Counter()

    def queue(self, pkt):
        if not self.framing_broken:
            self.out += tw.frame(pkt)

    def name(self):
        return "%s:%d" % self.addr


class SourcePeer:
    def __init__(self, args):
        self.args = args
        self.guid = tw.guid_bytes(args.guid)
        self.peer_id = os.urandom(16)
        self.seq = 0
        self.log = JsonLog(args.log)
        self.prod = Production(args)
        self.bucket = TokenBucket(args.upload)
        self.conns = {}
        self.next_ident = 1
        self.served_window = collections.deque()  # (monotonic s, bytes) of the last second
        self.running = True
        self.sel = selectors.DefaultSelector()
        host, port = host_port(args.tcp)
        self.listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.listener.bind((host, port))
        self.listener.listen(64)
        self.listener.setblocking(False)
        self.sel.register(self.listener, selectors.EVENT_READ, "listen")
        # A UDP port is always bound: peers list an entry only when both ports are nonzero.
        self.udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.udp.bind((host, args.udp or 0))
        self.udp.setblocking(False)
        if args.udp is not None:
            self.sel.register(self.udp, selectors.EVENT_READ, "udp")
        self.tcp_port = self.listener.getsockname()[1]
        self.udp_port = self.udp.getsockname()[1]
        self.next_range = 0.0

    # ------------------------------------------------------------ packets

    def next_seq(self):
        self.seq = (self.seq + 1) & 0xFFFFFFFF
        return self.seq

    def open_count(self):
        return len(self.conns)

    def free_slots(self):
        return max(0, self.args.max_transfers - self.open_count())

    def established(self):
        return [c for c in self.conns.values() if c.hello is not None]

    def served_rate(self):
        now = time.monotonic()
        while self.served_window and self.served_window[0][0] < now - 1.0:
            self.served_window.popleft()
        return sum(n for _, n in self.served_window)

    def own_hello(self):
        return tw.build_hello(self.guid, self.peer_id, self.next_seq(), self.tcp_port,
                              self.udp_port, self.free_slots(), tick())

    def peer_list(self, echoed_tick, exclude):
        if self.args.hostile == "count-ff":
            return tw.build_peer_list(self.guid, self.peer_id, self.next_seq(), echoed_tick,
                                      (tw.LOOPBACK, self.tcp_port, self.udp_port), [], count=255)
        others = [(socket.inet_aton(c.addr[0]), c.hello["tcp"], c.hello["udp"])
                  for c in self.established() if c is not exclude][:MAX_LISTED]
        return tw.build_peer_list(self.guid, self.peer_id, self.next_seq(), echoed_tick,
                                  (tw.LOOPBACK, self.tcp_port, self.udp_port), others)

    def availability(self):
        status = tw.status_record(self.served_rate() // 1000, self.free_slots(), 0,
                                  len(self.established()))
        span = self.prod.data_range()
        if span is None:
            return tw.build_availability(status, 0, b"")
        first, last = span
        last = min(last, first + 8 * MAX_BITMAP_BYTES - 1)
        bits = tw.availability_bits(self.prod.data.keys(), first, last)
        if self.args.hostile == "d-huge":
            return tw.build_availability(status, first, (bits + bytes(10))[:10], count=0xFFFF)
        return tw.build_availability(status, first, bits)

    def served_packets(self, number):
        """What answers a request for one piece, hostile modes applied."""
        pkt = self.prod.packet(number)
        if pkt is None:
            return [tw.build_missing(number)]
        mode = self.args.hostile
        if number in self.prod.headers:
            if mode == "header-overrun":
                head = tw.parse_header_body(tw.parse_piece(pkt)["body"])
                body = tw.header_body(head["type"], head["prefix"], head["data"],
                                      data_len=len(head["data"]) + 1000)
                return [tw.build_piece(number, tw.PIECE_HEADER, body)]
            return [pkt]
        body = pkt[11:]
        if mode == "short-f":
            return [pkt[:11]]
        if mode == "lying-l":
            return [tw.build_piece(number, tw.PIECE_DATA, body, length=min(0xFFFF, len(body) + 100))]
        if mode == "l-under-8":
            return [tw.build_piece(number, tw.PIECE_DATA, body[:4])]
        if mode == "far-future":
            return [pkt, tw.build_piece((number + FAR_FUTURE) & 0xFFFFFFFF, tw.PIECE_DATA, body)]
        return [pkt]

    # ------------------------------------------------------------ connections

    def accept(self):
        try:
            sock, addr = self.listener.accept()
        except BlockingIOError:
            return
        sock.setblocking(False)
        sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        conn = Connection(self.next_ident, sock, addr)
        self.next_ident += 1
        full = self.open_count() >= self.args.max_transfers
        self.conns[conn.ident] = conn
        self.sel.register(sock, selectors.EVENT_READ, conn)
        self.log.write(conn=conn.ident, event="accept", peer=conn.name(), refused=full)
        if full:
            self.refuse(conn, "max-transfers")
        else:
            conn.queue(self.own_hello())
        self.update_interest(conn)

    def refuse(self, conn, why):
        conn.queue(tw.build_refusal())
        conn.closing = True
        self.log.write(conn=conn.ident, event="refuse", reason=why)

    def receive(self, conn):
        try:
            data = conn.sock.recv(65536)
        except (BlockingIOError, InterruptedError):
            return
        except OSError:
            data = b""
        if not data:
            self.close(conn, "refused" if conn.closing else "peer closed")
            return
        if conn.drain_until is not None:
            return
        try:
            frames = conn.reader.feed(data)
        except tw.FrameError as err:
            self.close(conn, str(err))
            return
        for pkt in frames:
            if conn.ident not in self.conns or conn.closing:
                return
            self.handle(conn, pkt)

    def handle(self, conn, pkt):
        ptype = tw.packet_type(pkt)
        conn.received[ptype] += 1
        self.log.write(conn=conn.ident, event="recv", type=ptype, len=len(pkt))
        if conn.hello is None:
            hello = tw.parse_hello(pkt)
            if hello is None or hello["guid"] != self.guid:
                self.refuse(conn, "first packet is not a hello of this channel")
                return
            self.greet(conn, hello)
            return
        if ptype == tw.T_HELLO:
            hello = tw.parse_hello(pkt)
            if hello is not None and hello["guid"] == self.guid:
                conn.hello = hello
                conn.queue(self.peer_list(hello["tick"], conn))
        elif ptype == tw.T_CONTROL:
            control = tw.parse_control(pkt)
            if control is not None and control["kind"] in (tw.CONTROL_CLOSE, tw.CONTROL_REFUSED):
                self.close(conn, "control %d" % control["kind"])
        elif ptype == tw.T_REQUEST:
            pieces = tw.parse_request(pkt)
            if pieces is None:
                self.log.write(conn=conn.ident, event="malformed", type=ptype, len=len(pkt))
            else:
                conn.requests.extend(pieces)

    def greet(self, conn, hello):
        conn.hello = hello
        conn.queue(self.peer_list(hello["tick"], conn))
        self.send_availability(conn)

    def send_availability(self, conn):
        conn.next_avail = time.monotonic() + AVAIL_PERIOD
        if self.args.hostile == "frame-huge":
            if not conn.framing_broken:
                conn.out += struct.pack("<I", 0x7FFFFFFF) + bytes(16)
                conn.framing_broken = True
            return
        conn.queue(self.availability())

    def pump_requests(self):
        for conn in list(self.conns.values()):
            while (conn.requests and not conn.closing and len(conn.out) < OUT_HIGH_WATER
                   and self.bucket.may_send()):
                number = conn.requests.popleft()
                for pkt in self.served_packets(number):
                    conn.queue(pkt)
                    self.bucket.spend(len(pkt))
                    self.served_window.append((time.monotonic(), len(pkt)))
                    conn.bytes_served += len(pkt)
                    if tw.packet_type(pkt) == tw.T_PIECE:
                        conn.pieces_served += 1

    def flush(self, conn):
        if conn.out:
            try:
                sent = conn.sock.send(conn.out)
            except (BlockingIOError, InterruptedError):
                sent = 0
            except OSError:
                self.close(conn, "send failed")
                return
            del conn.out[:sent]
        if not conn.out and conn.closing and conn.drain_until is None:
            # Closing with unread bytes would reset the connection and could lose the
            # refusal at the far end, so shut the writing side and read until it closes.
            try:
                conn.sock.shutdown(socket.SHUT_WR)
            except OSError:
                pass
            conn.drain_until = time.monotonic() + DRAIN_LIMIT

    def update_interest(self, conn):
        if conn.ident not in self.conns:
            return
        events = selectors.EVENT_READ | (selectors.EVENT_WRITE if conn.out else 0)
        self.sel.modify(conn.sock, events, conn)

    def close(self, conn, why):
        if self.conns.pop(conn.ident, None) is None:
            return
        self.sel.unregister(conn.sock)
        try:
            conn.sock.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        conn.sock.close()
        self.log.write(conn=conn.ident, event="close", reason=why, bytes_served=conn.bytes_served,
                       pieces_served=conn.pieces_served,
                       received={str(k): v for k, v in conn.received.items()})

    def answer_udp(self):
        try:
            pkt, addr = self.udp.recvfrom(65536)
        except (BlockingIOError, InterruptedError, ConnectionError):
            return
        hello = tw.parse_hello(pkt)
        self.log.write(event="udp", peer="%s:%d" % addr, type=tw.packet_type(pkt), len=len(pkt))
        if hello is not None and hello["guid"] == self.guid:
            self.udp.sendto(self.peer_list(hello["tick"], None), addr)

    # ------------------------------------------------------------ timers

    def write_range_file(self):
        span = self.prod.data_range()
        if not self.args.range_file or span is None:
            return
        tmp = self.args.range_file + ".tmp"
        with open(tmp, "w") as f:
            f.write("%d %d\n" % span)
        os.replace(tmp, self.args.range_file)

    def run_timers(self):
        now = time.monotonic()
        self.prod.produce_due()
        self.prod.evict()
        if now >= self.next_range:
            self.write_range_file()
            self.next_range = now + RANGE_PERIOD
        for conn in list(self.conns.values()):
            if conn.next_avail is not None and now >= conn.next_avail and not conn.closing:
                self.send_availability(conn)
            if conn.drain_until is not None and now >= conn.drain_until:
                self.close(conn, "refused")
        self.pump_requests()

    def wait_time(self):
        deadlines = [self.next_range]
        due = self.prod.next_due_ms()
        if due is not None:
            deadlines.append(due / 1000.0)
        deadlines += [c.next_avail for c in self.conns.values() if c.next_avail is not None]
        deadlines += [c.drain_until for c in self.conns.values() if c.drain_until is not None]
        if any(c.requests for c in self.conns.values()):
            deadlines.append(time.monotonic() + 0.01)
        return max(0.0, min(deadlines) - time.monotonic())

    def run(self):
        print(json.dumps({"tcp": self.tcp_port, "udp": self.udp_port}), flush=True)
        while self.running:
            self.run_timers()
            for conn in list(self.conns.values()):
                self.flush(conn)
                self.update_interest(conn)
            for key, events in self.sel.select(self.wait_time()):
                if key.data == "listen":
                    self.accept()
                elif key.data == "udp":
                    self.answer_udp()
                else:
                    conn = key.data
                    if events & selectors.EVENT_READ and conn.ident in self.conns:
                        self.receive(conn)
                    if events & selectors.EVENT_WRITE and conn.ident in self.conns:
                        self.flush(conn)
        for conn in list(self.conns.values()):
            self.close(conn, "source stopped")

    def stop(self, *_):
        self.running = False


def parse_args(argv):
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--tcp", required=True, help="127.0.0.1:PORT (0 picks a free port)")
    ap.add_argument("--guid", required=True)
    ap.add_argument("--udp", type=int, default=None, help="answer UDP hellos on this port")
    ap.add_argument("--base", type=int, default=1000000)
    ap.add_argument("--header-type", type=int, default=259)
    ap.add_argument("--payload", default="synthetic")
    ap.add_argument("--rate", type=int, default=500000, help="bits per second")
    ap.add_argument("--piece-bytes", type=int, default=sp.PIECE_BYTES)
    ap.add_argument("--window", type=float, default=60.0, help="seconds of data pieces kept")
    ap.add_argument("--max-transfers", type=int, default=4)
    ap.add_argument("--upload", type=int, default=0, help="bytes per second served, 0 = no cap")
    ap.add_argument("--header-change-at", type=int, default=0)
    ap.add_argument("--range-file")
    ap.add_argument("--prod-log")
    ap.add_argument("--log")
    ap.add_argument("--hostile", choices=HOSTILE_KINDS)
    args = ap.parse_args(argv)
    kind = args.payload.partition(":")[0]
    if kind not in ("synthetic", "ts", "keyframe") or (kind == "ts") != (":" in args.payload):
        ap.error("--payload is synthetic, keyframe or ts:FILE")
    if not 24 < args.piece_bytes <= 0xFFFF - 8:
        ap.error("--piece-bytes must lie between 25 and 65527")
    if kind == "keyframe" and args.piece_bytes < sp.RECORDS_PER_KEYFRAME_PIECE * 20:
        ap.error("--piece-bytes is too small for key-frame records")
    if args.rate <= 0:
        ap.error("--rate must be positive")
    return args


def main(argv=None):
    source = SourcePeer(parse_args(argv))
    signal.signal(signal.SIGTERM, source.stop)
    signal.signal(signal.SIGINT, source.stop)
    source.run()
    return 0


if __name__ == "__main__":
    sys.exit(main())
