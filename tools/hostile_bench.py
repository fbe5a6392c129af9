#!/usr/bin/python3
"""Benchmark of one engine host playing a channel while peers misbehave (tools/hostile_peer.py),
on 127.0.0.1: natively, or with --wine the Windows engine under wine. One host serves every
round; each figure is printed per round and as the median of the rounds.

    hostile_bench.py [--rounds 3] [--floods 4] [--connects 500] [--second-port P] [--wine [DIR]]

Figures:
- queued_kib_per_transfer: how much the host's resident memory grows per connection that asks
  for 200 x 255 held pieces and never reads (what the host keeps queued for it), and
  freed_kib_per_transfer: how much of that is given back once those connections close (natively
  the allocator keeps freed memory for reuse, so read this figure under wine);
- worst_second_kib: the stream's worst second at the local player while the connect flood runs
  (COUNT bare connects, COUNT with valid hellos and distinct peer ids, then COUNT to
  --second-port when given) and the 3 s after it, next to normal_second_kib, the worst second
  of the 3 s before the flood. The host serves its player in one burst per second, so a
  second is the bytes in a 1.5 s window (stepped by 100 ms): one that holds no burst is a
  stall. longest_gap_s and normal_gap_s are the longest times without stream bytes in the
  same two spans;
- flood_cpu_s: host CPU seconds spent over the flood and the 2 s after it, and flood_s the
  flood's wall time.
"""

import argparse
import json
import os
import socket
import statistics
import sys
import threading
import time

import hostile_peer
import swarm
from kestrav import engine_wire as ew


def resident_kib(peer):
    """Current resident memory of the host (under wine: its largest process)."""
    pids = [peer.pid] if not swarm.engine_host.UNDER_WINE else swarm.group_members(peer.pid)
    best = 0
    for pid in pids:
        try:
            with open("/proc/%d/status" % pid) as f:
                for line in f:
                    if line.startswith("VmRSS:"):
                        best = max(best, int(line.split()[1]))
        except OSError:
            pass
    return best


def cpu_seconds(peer):
    pids = [peer.pid] if not swarm.engine_host.UNDER_WINE else swarm.group_members(peer.pid)
    return sum(swarm.process_figures(pid)["cpu_s"] or 0 for pid in pids)


class StreamMeter:
    """The local player: reads the host's HTTP stream and notes bytes per 100 ms."""

    def __init__(self, port):
        self.samples = []  # (wall time, bytes)
        self.sock = socket.create_connection(("127.0.0.1", port), timeout=10)
        self.sock.sendall(b"GET / HTTP/1.0\r\n\r\n")
        self.stopped = False
        self.thread = threading.Thread(target=self.run, daemon=True)
        self.thread.start()

    def run(self):
        self.sock.settimeout(0.1)
        while not self.stopped:
            try:
                n = len(self.sock.recv(65536))
            except socket.timeout:
                n = 0
            except OSError:
                return
            self.samples.append((time.time(), n))

    def seconds(self, start, end, window=1.5):
        """Bytes in every `window` s window (stepped by 100 ms) between start and end."""
        out = []
        t = start
        while t + window <= end:
            out.append(sum(n for when, n in self.samples if t <= when < t + window))
            t += 0.1
        return out

    def longest_gap(self, start, end):
        """The longest time without stream bytes between start and end."""
        times = [start] + [when for when, n in self.samples if n and start <= when <= end] + [end]
        return max(b - a for a, b in zip(times, times[1:]))

    def stop(self):
        self.stopped = True
        self.thread.join()
        self.sock.close()


def settle(peer, seconds=3.0):
    time.sleep(seconds)
    return resident_kib(peer)


def queued_round(peer, floods):
    """RSS growth per never-reading flooding connection, and what closing them gives back."""
    base = settle(peer)
    socks = []
    for _ in range(floods):
        s = hostile_peer.connect(peer.tcp_port)
        s.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
        ew.send_frame(s, hostile_peer.hello(swarm.CHANNEL))
        held = hostile_peer.held_pieces(s)
        wanted = [held[i % len(held)] for i in range(hostile_peer.PIECES_PER_REQUEST)] if held else [1]
        s.sendall(ew.encode_frame(hostile_peer.tw.build_request(wanted)) * 200)
        socks.append(s)
    loaded = settle(peer, 4.0)
    for s in socks:
        hostile_peer.close(s, "rst")
    after = settle(peer, 4.0)
    return {"queued_kib_per_transfer": round((loaded - base) / floods, 1),
            "freed_kib_per_transfer": round((loaded - after) / floods, 1)}


def flood_round(peer, meter, count, second_port):
    time.sleep(3.0)
    quiet_start, start = time.time() - 3.0, time.time()
    cpu0 = cpu_seconds(peer)
    made = hostile_peer.connects(peer.tcp_port, swarm.CHANNEL, count, second_port)
    flood_s = time.time() - start
    time.sleep(3.0)
    end = time.time()
    normal = meter.seconds(quiet_start, start)
    worst = meter.seconds(start, end)
    return {"connections": made, "flood_s": round(flood_s, 2),
            "worst_second_kib": round(min(worst) / 1024.0, 1) if worst else None,
            "normal_second_kib": round(min(normal) / 1024.0, 1) if normal else None,
            "longest_gap_s": round(meter.longest_gap(start, end), 2),
            "normal_gap_s": round(meter.longest_gap(quiet_start, start), 2),
            "flood_cpu_s": round(cpu_seconds(peer) - cpu0, 2)}


def medians(rounds):
    keys = rounds[0].keys()
    return {k: statistics.median(r[k] for r in rounds if r.get(k) is not None) for k in keys}


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--rounds", type=int, default=3)
    ap.add_argument("--floods", type=int, default=4, help="never-reading flooding connections per round")
    ap.add_argument("--connects", type=int, default=500)
    ap.add_argument("--second-port", type=int, default=0)
    ap.add_argument("--rate", type=int, default=1000000)
    ap.add_argument("--wine", nargs="?", const=swarm.DEFAULT_WINE_DIR, metavar="WINE-DIR")
    args = ap.parse_args(argv)
    # Natively the sanitizer keeps freed memory aside for a while; without that the resident
    # size shows what is live.
    os.environ["ASAN_OPTIONS"] = os.environ.get("ASAN_OPTIONS", "") + ":quarantine_size_mb=0"
    cfg = swarm.SwarmConfig(peers=1, seconds=3600, rate=args.rate, payload="synthetic", players=False,
                            piece_bytes=60000, wine=args.wine)
    runner = swarm.Swarm(cfg)
    try:
        runner.start()
        peer = runner.peers[0]
        deadline = time.time() + 60
        while time.time() < deadline and not (peer.stream_port and peer.tcp_port and "held" in peer.stages):
            time.sleep(0.2)
        time.sleep(5.0)
        meter = StreamMeter(peer.stream_port)
        queued, floods = [], []
        for i in range(args.rounds):
            queued.append(queued_round(peer, args.floods))
            floods.append(flood_round(peer, meter, args.connects, args.second_port or None))
            print(json.dumps({"round": i + 1, **queued[-1], **floods[-1]}), flush=True)
        meter.stop()
        print(json.dumps({"median": {**medians(queued), **medians(floods)},
                          "under_wine": runner.under_wine}), flush=True)
    finally:
        runner.stop()
        runner.cleanup()
    return 0


if __name__ == "__main__":
    sys.exit(main())
