#!/usr/bin/python3
"""Peers that misbehave towards an engine host playing a channel, on 127.0.0.1 only.

The sequences (each also usable from the tests as a function):

    flood    connect, send a valid hello, ask with COUNT 'E' requests for 255 pieces each that
             the host holds (taken from its availability map), read for READ seconds, then
             close by FIN or by RST
    large-f  hello, ask for one piece, read a few bytes of the (large) 'F' reply and reset
    idle     open COUNT connections that send nothing
    slow     open COUNT connections that send a hello one byte per second
    connects COUNT bare connects, then COUNT with a valid hello and distinct peer ids, then
             COUNT to a second port (the host's port 80 listener, when it has one)
    serve    listen (the host is told of this address as a host peer); every connection the
             host opens gets the flood sequence, except the first --behave-after ones

    hostile_peer.py MODE --port PORT --guid GUID [--count N] [--read S] [--close fin|rst]
"""

import argparse
import json
import os
import select
import socket
import struct
import sys
import threading
import time

from kestrav import engine_wire as ew
from kestrav import transfer_wire as tw

HOST = "127.0.0.1"
PIECES_PER_REQUEST = 255
# The host broadcasts its availability map every 5000 ms; a little more to be sure.
MAP_WAIT_S = 7.0


def hello(guid, peer_id=None, tcp=0, udp=0):
    """A valid hello for the channel from a new (or the given) peer id."""
    return ew.build_hello(ew.guid_from_text(guid), peer_id or os.urandom(16), 1,
                          ew.PeerAddress(HOST, tcp, udp), free_slots=8, tick=int(time.monotonic() * 1000))


def connect(port, timeout=5):
    s = socket.create_connection((HOST, port), timeout=timeout)
    s.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    return s


def close(sock, how):
    """FIN: an orderly end. RST: SO_LINGER 0, the connection is reset."""
    if how == "rst":
        sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    else:
        try:
            sock.shutdown(socket.SHUT_WR)
        except OSError:
            pass
    sock.close()


def held_pieces(sock, timeout=MAP_WAIT_S):
    """Reads frames until the host's availability map arrives; its held piece numbers."""
    decoder = ew.FrameDecoder()
    deadline = time.time() + timeout
    while time.time() < deadline:
        ready, _, _ = select.select([sock], [], [], max(0.0, deadline - time.time()))
        if not ready:
            break
        data = sock.recv(65536)
        if not data:
            break
        for frame in decoder.feed(data):
            if tw.packet_type(frame) == tw.T_AVAIL:
                view = tw.parse_availability(frame)
                if view and view["held"]:
                    return view["held"]
    return []


def drain(sock, seconds):
    """Reads whatever comes for `seconds`; the byte count."""
    total = 0
    deadline = time.time() + seconds
    sock.setblocking(False)
    while time.time() < deadline:
        ready, _, _ = select.select([sock], [], [], max(0.0, deadline - time.time()))
        if not ready:
            continue
        try:
            data = sock.recv(65536)
        except BlockingIOError:
            continue
        except OSError:
            break
        if not data:
            break
        total += len(data)
    sock.setblocking(True)
    return total


def flood_on(sock, guid, count, read_s, how, greeted=False):
    """The flood sequence on a connected socket; a summary."""
    if not greeted:
        ew.send_frame(sock, hello(guid))
    held = held_pieces(sock)
    if not held:
        close(sock, how)
        return {"held": 0, "requests": 0, "read": 0}
    wanted = [held[i % len(held)] for i in range(PIECES_PER_REQUEST)]
    request = ew.encode_frame(tw.build_request(wanted))
    sock.sendall(request * count)
    got = drain(sock, read_s)
    close(sock, how)
    return {"held": len(held), "requests": count, "read": got}


def flood(port, guid, count=200, read_s=1.0, how="fin"):
    return flood_on(connect(port), guid, count, read_s, how)


def large_f(port, guid):
    """Asks for one piece and resets the connection in the middle of its 'F' reply."""
    sock = connect(port)
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
    ew.send_frame(sock, hello(guid))
    held = held_pieces(sock)
    if held:
        ew.send_frame(sock, tw.build_request([held[-1]]))
        sock.recv(16)
        time.sleep(0.3)  # the host is still sending the rest
    close(sock, "rst")
    return {"held": len(held)}


def idle(port, count):
    """Connections that say nothing; the caller closes them."""
    return [connect(port) for _ in range(count)]


class SlowHellos:
    """Connections that send a framed hello one byte per second, until stopped."""

    def __init__(self, port, guid, count):
        self.socks = [connect(port) for _ in range(count)]
        self.payload = ew.encode_frame(hello(guid))
        self.stopped = threading.Event()
        self.thread = threading.Thread(target=self.run, daemon=True)
        self.thread.start()

    def run(self):
        for i in range(len(self.payload)):
            for s in self.socks:
                try:
                    s.send(self.payload[i:i + 1])
                except OSError:
                    pass
            if self.stopped.wait(1.0):
                return

    def stop(self):
        self.stopped.set()
        self.thread.join()
        for s in self.socks:
            s.close()


def closed_by_far_end(sock):
    """True once the far end has closed the connection (nothing is ever sent to it)."""
    try:
        ready, _, _ = select.select([sock], [], [], 0)
        return bool(ready) and sock.recv(1, socket.MSG_PEEK) == b""
    except OSError:
        return True


def connects(port, guid, count, second_port=None):
    """The connect flood: bare, with distinct hellos, then to a second port. Everything opened
    is closed at the end; the number of connections made."""
    made = []
    for _ in range(count):
        made.append(connect(port))
    for _ in range(count):
        s = connect(port)
        try:
            ew.send_frame(s, hello(guid))
        except OSError:
            pass
        made.append(s)
    if second_port:
        for _ in range(count):
            try:
                made.append(connect(second_port, timeout=2))
            except OSError:
                break
    n = len(made)
    for s in made:
        close(s, "rst")
    return n


class HostilePeerServer:
    """A listening peer the host connects to. The first `behave_after` connections get the
    flood sequence; later ones get a valid hello and are kept open until stop()."""

    def __init__(self, guid, count=200, read_s=1.0, how="fin", behave_after=1):
        self.guid = guid
        self.count, self.read_s, self.how = count, read_s, how
        self.behave_after = behave_after
        self.listener = socket.socket()
        self.listener.bind((HOST, 0))
        self.listener.listen(16)
        self.port = self.listener.getsockname()[1]
        self.accepted = []  # (wall time, summary)
        self.kept = []
        self.lock = threading.Lock()
        self.thread = threading.Thread(target=self.run, daemon=True)
        self.thread.start()

    def run(self):
        while True:
            try:
                sock, _ = self.listener.accept()
            except OSError:
                return
            with self.lock:
                index = len(self.accepted)
                self.accepted.append((time.time(), None))
            threading.Thread(target=self.serve, args=(sock, index), daemon=True).start()

    def serve(self, sock, index):
        ew.send_frame(sock, hello(self.guid, tcp=self.port))
        if index < self.behave_after:
            summary = flood_on(sock, self.guid, self.count, self.read_s, self.how, greeted=True)
        else:
            summary = {"kept": True}
            with self.lock:
                self.kept.append(sock)
        with self.lock:
            self.accepted[index] = (self.accepted[index][0], summary)

    def stop(self):
        self.listener.close()
        with self.lock:
            for s in self.kept:
                s.close()


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("mode", choices=("flood", "large-f", "idle", "slow", "connects", "serve"))
    ap.add_argument("--port", type=int, help="the host's TCP port")
    ap.add_argument("--second-port", type=int)
    ap.add_argument("--guid", required=True)
    ap.add_argument("--count", type=int, default=200)
    ap.add_argument("--read", type=float, default=1.0)
    ap.add_argument("--close", choices=("fin", "rst"), default="fin")
    ap.add_argument("--hold", type=float, default=35.0, help="idle/slow/serve: seconds to stay")
    args = ap.parse_args(argv)
    if args.mode == "flood":
        out = flood(args.port, args.guid, args.count, args.read, args.close)
    elif args.mode == "large-f":
        out = large_f(args.port, args.guid)
    elif args.mode == "connects":
        out = {"made": connects(args.port, args.guid, args.count, args.second_port)}
    elif args.mode == "idle":
        socks = idle(args.port, args.count)
        time.sleep(args.hold)
        out = {"closed_by_host": sum(closed_by_far_end(s) for s in socks)}
        for s in socks:
            s.close()
    elif args.mode == "slow":
        slow = SlowHellos(args.port, args.guid, args.count)
        time.sleep(args.hold)
        out = {"closed_by_host": sum(closed_by_far_end(s) for s in slow.socks)}
        slow.stop()
    else:
        server = HostilePeerServer(args.guid, args.count, args.read, args.close)
        print(json.dumps({"port": server.port}), flush=True)
        time.sleep(args.hold)
        server.stop()
        out = {"accepted": len(server.accepted)}
    print(json.dumps(out), flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
