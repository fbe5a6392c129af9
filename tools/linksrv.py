#!/usr/bin/python3
"""Link server stand-in for engine tests.

Relays join a channel here over UDP, learn the address the server sees them at and the source's
piece range, report their state and receive lists of the channel's other peers. Kind-1 links
send announces over a framed TCP connection instead and get one list back.

    linksrv.py --udp 127.0.0.1:PORT [--tcp 127.0.0.1:PORT] [--range LO:HI | --range-file F]
               [--keepalive S] [--max-records N] [--list-source IP:TCP:UDP] [--mode M] [--log F]

On start it prints its bound ports as one JSON line {"udp": N, "tcp": M} (M is 0 without --tcp).
"""

import argparse
import heapq
import json
import random
import select
import signal
import socket
import sys
import threading
import time

from kestrav import engine_wire as wire

MAX_LIST_RECORDS = 255
TCP_READ_TIMEOUT_S = 10


def parse_endpoint(text):
    host, _, port = text.rpartition(":")
    return host or "127.0.0.1", int(port)


def parse_range(text):
    low, _, high = text.partition(":")
    return int(low), int(high)


def parse_source(text):
    ip, tcp, udp = text.split(":")
    return wire.PeerRecord(wire.PeerAddress(ip, int(tcp), int(udp)))


class Mode:
    """How the server misbehaves; `normal` answers every request as it should."""

    def __init__(self, text):
        name, _, arg = text.partition("=")
        known = ("normal", "silent", "drop", "delay", "wrong-guid", "short", "zero-range", "bad-flag", "other-port")
        if name not in known:
            raise ValueError("unknown mode %r" % text)
        self.name = name
        self.drop_percent = int(arg) if name == "drop" else 0
        self.delay_ms = int(arg) if name == "delay" else 0

    def answers(self):
        if self.name == "silent":
            return False
        if self.name == "drop":
            return random.uniform(0, 100) >= self.drop_percent
        return True

    @property
    def reply_flag(self):
        return wire.FLAG_REQUEST if self.name == "bad-flag" else wire.FLAG_REPLY

    @property
    def short_by(self):
        return 1 if self.name == "short" else 0


class Peer:
    def __init__(self, ip, tcp, udp, now):
        self.ip, self.tcp, self.udp = ip, tcp, udp
        self.status = None
        self.first_held = self.last_held = 0
        self.last_seen = now

    def record(self):
        return wire.PeerRecord(wire.PeerAddress(self.ip, self.tcp, self.udp))


class Registry:
    """Per channel GUID, the joined peers by peer id. Guarded by a lock for the TCP threads."""

    def __init__(self, keepalive_s):
        self._channels = {}
        self._lifetime = 3 * keepalive_s
        self._lock = threading.Lock()

    def join(self, guid, peer_id, ip, tcp, udp):
        with self._lock:
            self._channels.setdefault(guid, {})[peer_id] = Peer(ip, tcp, udp, time.monotonic())

    def touch(self, guid, peer_id, state=None):
        with self._lock:
            peer = self._channels.get(guid, {}).get(peer_id)
            if peer is None:
                return
            peer.last_seen = time.monotonic()
            if state is not None:
                peer.status, peer.first_held, peer.last_held = state.status, state.first_held, state.last_held

    def leave(self, guid, peer_id):
        with self._lock:
            self._channels.get(guid, {}).pop(peer_id, None)

    def others(self, guid, peer_id):
        """The channel's live peers other than the asker, most recently seen first."""
        with self._lock:
            peers = self._channels.get(guid, {})
            deadline = time.monotonic() - self._lifetime
            for stale in [pid for pid, p in peers.items() if p.last_seen < deadline]:
                del peers[stale]
            live = [p for pid, p in peers.items() if pid != peer_id]
        live.sort(key=lambda p: p.last_seen, reverse=True)
        return [p.record() for p in live]


class LinkServer:
    def __init__(self, args):
        self.mode = Mode(args.mode)
        self.keepalive = args.keepalive
        self.max_records = args.max_records
        self.fixed_range = parse_range(args.range) if args.range else None
        self.range_file = args.range_file
        self.source = parse_source(args.list_source) if args.list_source else None
        self.registry = Registry(args.keepalive)
        self.log_file = open(args.log, "a", buffering=1) if args.log else None
        self.log_lock = threading.Lock()
        self.pending = []  # delayed replies: (due, order, socket, bytes, address)
        self.order = 0

        self.udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.udp.bind(parse_endpoint(args.udp))
        self.reply_socket = self.udp
        if self.mode.name == "other-port":
            self.reply_socket = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
            self.reply_socket.bind((self.udp.getsockname()[0], 0))
        self.tcp = None
        if args.tcp:
            self.tcp = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
            self.tcp.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
            self.tcp.bind(parse_endpoint(args.tcp))
            self.tcp.listen(16)

    def ports(self):
        return {"udp": self.udp.getsockname()[1], "tcp": self.tcp.getsockname()[1] if self.tcp else 0}

    # --- source range -------------------------------------------------------------------------

    def source_range(self):
        if self.mode.name == "zero-range":
            return 0, 0
        if self.fixed_range:
            return self.fixed_range
        if self.range_file:
            try:
                with open(self.range_file) as f:
                    low, high = f.readline().split()[:2]
                return int(low), int(high)
            except (OSError, ValueError):
                pass
        return 0, 0

    # --- requests -----------------------------------------------------------------------------

    def log(self, sender, header, answered, note=None):
        if not self.log_file:
            return
        entry = {"t": round(time.time(), 3), "from": "%s:%d" % sender,
                 "type": header.type if header else None,
                 "guid": wire.guid_text(header.guid) if header else None,
                 "peer": header.peer_id.hex() if header else None, "answered": answered}
        if note:
            entry["note"] = note
        with self.log_lock:
            self.log_file.write(json.dumps(entry) + "\n")

    @staticmethod
    def acceptable(packet):
        header = wire.parse_request_header(packet)
        if header is None:
            return None, "short"
        if not header.well_formed:
            return header, "magic"
        if header.flag != wire.FLAG_REQUEST:
            return header, "flag"
        return header, None

    def reply_to(self, packet, header, sender_ip, over_tcp):
        """The reply bytes for one request, or None when the request gets no answer."""
        low, high = self.source_range()
        flag, short_by = self.mode.reply_flag, self.mode.short_by
        if header.type == wire.TYPE_JOIN:
            join = wire.parse_join(packet)
            if not join.valid or over_tcp:
                return None
            self.registry.join(header.guid, header.peer_id, sender_ip, join.tcp_port, join.udp_port)
            reply = wire.build_join_reply(packet, sender_ip, self.keepalive, low, high, flag,
                                          wire.JOIN_REPLY_SIZE - short_by)
        elif header.type == wire.TYPE_ANNOUNCE:
            announce = wire.parse_announce(packet)
            if not announce.valid:
                return None
            self.registry.touch(header.guid, header.peer_id, announce)
            reply = wire.build_peer_list_reply(packet, self.peer_list(header, announce.wanted), low, high, flag,
                                               short_by)
        elif header.type == wire.TYPE_STATUS:
            status = wire.parse_status(packet)
            if not status.valid or over_tcp:
                return None
            self.registry.touch(header.guid, header.peer_id, status)
            reply = wire.build_status_reply(packet, low, high, flag, wire.STATUS_REPLY_SIZE - short_by)
        elif header.type == wire.TYPE_LEAVE:
            if wire.parse_leave(packet).valid:
                self.registry.leave(header.guid, header.peer_id)
            return None
        else:
            return None
        if self.mode.name == "wrong-guid":
            reply = reply[:12] + bytes(b ^ 0xFF for b in reply[12:28]) + reply[28:]
        return reply

    def peer_list(self, header, wanted):
        records = ([self.source] if self.source else []) + self.registry.others(header.guid, header.peer_id)
        return records[:min(MAX_LIST_RECORDS, wanted, self.max_records)]

    def answer(self, packet, sender, over_tcp=False):
        header, refused = self.acceptable(packet)
        if refused:
            self.log(sender, header, False, "dropped: " + refused)
            return None
        # A silent server, or a request lost on the way, leaves no trace but the log line.
        if not self.mode.answers():
            self.log(sender, header, False, "mode " + self.mode.name)
            return None
        reply = self.reply_to(packet, header, sender[0], over_tcp)
        self.log(sender, header, reply is not None)
        return reply

    # --- UDP ----------------------------------------------------------------------------------

    def on_datagram(self):
        try:
            packet, sender = self.udp.recvfrom(65536)
        except OSError:
            return
        reply = self.answer(packet, sender)
        if reply is None:
            return
        if self.mode.delay_ms:
            self.order += 1
            due = time.monotonic() + self.mode.delay_ms / 1000.0
            heapq.heappush(self.pending, (due, self.order, reply, sender))
        else:
            self.send(reply, sender)

    def send(self, reply, address):
        try:
            self.reply_socket.sendto(reply, address)
        except OSError:
            pass

    def send_due(self):
        now = time.monotonic()
        while self.pending and self.pending[0][0] <= now:
            _, _, reply, address = heapq.heappop(self.pending)
            self.send(reply, address)

    # --- TCP (kind-1 links) ---------------------------------------------------------------------

    def on_connection(self):
        try:
            conn, sender = self.tcp.accept()
        except OSError:
            return
        threading.Thread(target=self.serve_connection, args=(conn, sender), daemon=True).start()

    def serve_connection(self, conn, sender):
        """One framed request, at most one framed reply, then the connection closes."""
        with conn:
            conn.settimeout(TCP_READ_TIMEOUT_S)
            try:
                packet = wire.recv_frame(conn)
                if packet is None:
                    return
                reply = self.answer(packet, sender, over_tcp=True)
                if reply is None:
                    return
                if self.mode.delay_ms:
                    time.sleep(self.mode.delay_ms / 1000.0)
                wire.send_frame(conn, reply)
            except (OSError, wire.FrameError):
                return

    # --- loop ---------------------------------------------------------------------------------

    def run(self):
        sockets = [self.udp] + ([self.tcp] if self.tcp else [])
        while True:
            timeout = max(0.0, self.pending[0][0] - time.monotonic()) if self.pending else None
            ready, _, _ = select.select(sockets, [], [], timeout)
            if self.udp in ready:
                self.on_datagram()
            if self.tcp is not None and self.tcp in ready:
                self.on_connection()
            self.send_due()


def main(argv=None):
    parser = argparse.ArgumentParser(description="link server stand-in")
    parser.add_argument("--udp", required=True, help="IP:PORT to receive on (port 0: any)")
    parser.add_argument("--tcp", help="IP:PORT for framed announces of kind-1 links")
    source_range = parser.add_mutually_exclusive_group()
    source_range.add_argument("--range", help="LO:HI, the source's piece range")
    source_range.add_argument("--range-file", help="file whose first line is 'LO HI'")
    parser.add_argument("--keepalive", type=int, default=30, help="keep-alive interval in seconds")
    parser.add_argument("--max-records", type=int, default=MAX_LIST_RECORDS)
    parser.add_argument("--list-source", help="IP:TCP:UDP added to every peer list")
    parser.add_argument("--mode", default="normal")
    parser.add_argument("--log", help="JSON-lines log of every packet received")
    args = parser.parse_args(argv)
    try:
        Mode(args.mode)
    except ValueError as e:
        parser.error(str(e))

    server = LinkServer(args)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    print(json.dumps(server.ports()), flush=True)
    try:
        server.run()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
