#!/usr/bin/python3
"""Player checker: plays a stream from the relay's stream port the way a media
player does and checks every byte of it.

It checks the fixed reply and the header, then the records of the payload
(order, gaps, duplicates, corruption), the pacing against real time, the lag
behind production and the stalls a 2 s playout buffer would see, and writes
a JSON summary.
"""

import argparse
import json
import os
import socket
import sys
import time

from kestrav import stream_payloads as sp

FIXED_REPLY = b"HTTP/1.1 200 OK\r\nServer: Quorvane Media Server/1.0\r\nConnection: close\r\n\r\n"
CONNECT_RETRY = 0.2
CONNECT_PATIENCE = 30.0
LEAD_LIMIT_MS = 15000
# The player's clock starts when its first record arrives, a little after the relay's session
# started its own: the lead measured here may exceed the relay's limit by that delivery delay.
LEAD_TOLERANCE_MS = 250
PLAYOUT_BUFFER_MS = 2000
NON_READING_RCVBUF = 4096


def wall_ms():
    return time.time() * 1000.0


def percentile(values, pct):
    if not values:
        return None
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(round(pct / 100.0 * (len(ordered) - 1))))]


def stall_ratio(arrivals, end_ms, buffer_ms=PLAYOUT_BUFFER_MS):
    """Share of playing time spent rebuffering.

    A virtual player starts once buffer_ms of stream time is buffered, then
    plays at real time; when the play position reaches the newest time stamp it
    stalls until buffer_ms is buffered again. arrivals are (receive ms, stream ms).
    """
    if not arrivals:
        return None
    playing, started_at = False, None
    have = pos = None
    stalled = 0.0
    last_t = arrivals[0][0]

    def advance(t):
        nonlocal playing, pos, stalled
        if playing:
            pos += t - last_t
            if pos > have:
                stalled += pos - have
                pos = have
                playing = False
        elif started_at is not None:
            stalled += t - last_t

    for t, ts in arrivals:
        advance(t)
        last_t = t
        have = ts if have is None else max(have, ts)
        if pos is None:
            pos = ts
        if not playing and have - pos >= buffer_ms:
            playing = True
            if started_at is None:
                started_at = t
    advance(end_ms)
    if started_at is None:
        return 1.0
    span = end_ms - started_at
    return round(stalled / span, 4) if span > 0 else 0.0


class ProdLog:
    """Production times of the source: by piece number and in production order."""

    def __init__(self, path):
        self.by_piece, self.order = {}, []
        if path and os.path.exists(path):
            with open(path) as f:
                for line in f:
                    try:
                        rec = json.loads(line)
                    except ValueError:
                        continue
                    self.by_piece[rec["piece"]] = rec["wall_ms"]
                    self.order.append(rec["piece"])


class Tally:
    """Figures over every session of the run."""

    def __init__(self):
        self.first_piece = None
        self.pieces = self.gaps = self.dups = self.crc_bad = 0
        self.max_ahead_ms = None
        self.highest = None
        self.next_position = None
        self.arrivals = []  # (receive ms, stream ms, piece key)
        self.start_ok = None

    def note_ahead(self, ahead):
        ahead = round(ahead)
        self.max_ahead_ms = ahead if self.max_ahead_ms is None else max(self.max_ahead_ms, ahead)


class Session:
    """One player connection: reply, header, then payload records."""

    def __init__(self, checker):
        self.checker = checker
        self.buf = bytearray()
        self.bytes = 0
        self.stage = "reply" if checker.args.expect != sp.RAW_HEADER_TYPE else "header"
        self.reply_ok = None
        self.header_ok = None
        self.last_piece = None
        self.current_piece = None  # key-frame records come several to a piece
        self.start = None  # (stream ms, receive ms) of the first record
        self.records = 0
        self.ts_pos = None  # file offset of the next expected byte
        self.ts_done = False
        self.broken = False

    def feed(self, data, now):
        self.bytes += len(data)
        self.buf += data
        if self.stage == "reply" and len(self.buf) >= len(FIXED_REPLY):
            self.reply_ok = bytes(self.buf[:len(FIXED_REPLY)]) == FIXED_REPLY
            del self.buf[:len(FIXED_REPLY)]
            self.stage = "header"
        expected = self.checker.expected_header
        if self.stage == "header" and len(self.buf) >= len(expected):
            self.header_ok = bytes(self.buf[:len(expected)]) == expected
            del self.buf[:len(expected)]
            self.stage = "payload"
        if self.stage == "payload" and not self.broken:
            getattr(self, "parse_" + self.checker.kind)(now)

    # ------------------------------------------------------------ records

    def paced_record(self, piece, ts, now, position, step, intact):
        """Common bookkeeping of one record; position/step find gaps across header numbers."""
        tally = self.checker.tally
        if self.start is None:
            self.start = (ts, now)
            if tally.first_piece is None:
                tally.first_piece = piece
        if self.last_piece is not None and piece <= self.last_piece:
            tally.dups += 1
            return
        self.last_piece = piece
        self.records += 1
        if tally.highest is not None and piece <= tally.highest:
            return  # sent again after a reconnect
        if tally.next_position is not None and position > tally.next_position:
            tally.gaps += (position - tally.next_position) // step
        tally.next_position = position + step
        tally.highest = piece
        tally.pieces += 1
        if not intact:
            tally.crc_bad += 1
        tally.note_ahead((ts - self.start[0]) - (now - self.start[1]))
        tally.arrivals.append((now, ts, piece))

    def parse_synthetic(self, now):
        records, used = sp.split_synthetic(self.buf)
        del self.buf[:used]
        for r in records:
            self.paced_record(r["piece"], r["ts"], now, r["offset"], r["size"],
                              r["crc_ok"] and r["kind"] == 1)

    def parse_keyframe(self, now):
        records, used, broken = sp.split_keyframe(self.buf)
        del self.buf[:used]
        tally = self.checker.tally
        for r in records:
            if self.start is None and self.records == 0 and self.last_piece is None:
                ok = r["marker"] or (r["flags"] == sp.KEY_FLAG and r["stream"] in self.checker.streams)
                tally.start_ok = ok if tally.start_ok is None else (tally.start_ok and ok)
            if r["piece"] == self.current_piece:
                if not r["crc_ok"]:
                    tally.crc_bad += 1
                continue
            self.current_piece = r["piece"]
            self.paced_record(r["piece"], r["ts"], now, r["data_index"], 1, r["crc_ok"])
        if broken:
            tally.crc_bad += 1
            self.broken = True

    def parse_ts(self, now):
        data = self.checker.ts_data
        if self.ts_pos is None:
            need = min(sp.TS_SLICE, len(data))
            if len(self.buf) < need:
                return
            index = self.find_slice(bytes(self.buf[:need]), 0)
            if index is None:
                self.fail_ts()
                return
            self.ts_pos = index * sp.TS_SLICE
            self.start = (self.checker.ts_stamp(index), now)
            if self.checker.tally.first_piece is None:
                self.checker.tally.first_piece = self.checker.ts_piece_key(index)
        while self.buf and not self.ts_done:
            take = min(len(self.buf), len(data) - self.ts_pos,
                       sp.TS_SLICE - self.ts_pos % sp.TS_SLICE)
            if take <= 0:
                self.fail_ts()  # bytes beyond the end of the file
                return
            if self.buf[:take] != data[self.ts_pos:self.ts_pos + take]:
                if not self.skip_to_later_slice():
                    self.fail_ts()
                return
            del self.buf[:take]
            self.ts_pos += take
            if self.ts_pos % sp.TS_SLICE == 0 or self.ts_pos == len(data):
                index = (self.ts_pos - 1) // sp.TS_SLICE
                self.paced_record(self.checker.ts_piece_key(index), self.checker.ts_stamp(index),
                                  now, index, 1, True)

    def find_slice(self, chunk, first):
        data = self.checker.ts_data
        for index in range(first, sp.ts_slice_count(data)):
            off = index * sp.TS_SLICE
            if data[off:off + len(chunk)] == chunk:
                return index
        return None

    def skip_to_later_slice(self):
        """A mismatch at a slice boundary may be skipped pieces: resume at the later slice."""
        if self.ts_pos % sp.TS_SLICE:
            return False
        need = min(sp.TS_SLICE, len(self.buf))
        if need < sp.TS_PACKET:
            return True  # wait for more bytes before judging
        index = self.find_slice(bytes(self.buf[:need]), self.ts_pos // sp.TS_SLICE + 1)
        if index is None:
            return False
        self.ts_pos = index * sp.TS_SLICE
        return True

    def fail_ts(self):
        self.checker.tally.crc_bad += 1
        self.broken = True
        self.ts_done = True


class Checker:
    def __init__(self, args):
        self.args = args
        self.kind, _, path = args.payload.partition(":")
        self.ts_data = open(path, "rb").read() if self.kind == "ts" else None
        self.mux_rate = sp.ts_mux_rate(self.ts_data) if self.ts_data is not None else None
        self.expected_header = sp.served_header(args.expect, self.ts_data)
        self.streams = set(sp.KEYFRAME_STREAMS)
        self.prod = ProdLog(None)
        self.tally = Tally()
        self.sessions = []
        self.reconnects = 0

    def ts_stamp(self, index):
        return sp.ts_time_stamp(index, self.mux_rate)

    def ts_piece_key(self, index):
        # Slices are keyed by their index; the production log maps them to piece numbers.
        return index

    def connect(self, deadline):
        request = ("GET / HTTP/1.1\r\nHost: 127.0.0.1:%d\r\n\r\n" % self.args.port).encode()
        while True:
            sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
            if self.args.non_reading:
                sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, NON_READING_RCVBUF)
            try:
                sock.connect(("127.0.0.1", self.args.port))
                sock.sendall(request)
                return sock
            except OSError:
                sock.close()
                if time.monotonic() + CONNECT_RETRY > deadline:
                    return None
                time.sleep(CONNECT_RETRY)

    def play(self, sock, end):
        """Reads one connection until it closes or the run ends; True when it closed."""
        session = Session(self)
        self.sessions.append(session)
        sock.settimeout(0.2)
        try:
            while time.monotonic() < end:
                try:
                    data = sock.recv(65536)
                except socket.timeout:
                    continue
                except OSError:
                    return True
                if not data:
                    return True
                session.feed(data, wall_ms())
            return False
        finally:
            sock.close()

    def run(self):
        patience = time.monotonic() + CONNECT_PATIENCE
        sock = self.connect(patience)
        if sock is None:
            return self.summary()
        end = time.monotonic() + self.args.seconds
        if self.args.non_reading:
            while time.monotonic() < end:
                time.sleep(0.1)
            sock.close()
            return self.summary()
        while True:
            closed = self.play(sock, end)
            if closed and not any(x.bytes for x in self.sessions) and time.monotonic() < patience:
                # Closed before the first byte: the relay has no stream header yet.
                self.sessions.pop()
                time.sleep(CONNECT_RETRY)
                sock = self.connect(patience)
                if sock is None:
                    break
                end = time.monotonic() + self.args.seconds
                continue
            if not closed or not self.args.reconnect or time.monotonic() >= end:
                break
            sock = self.connect(min(end, time.monotonic() + CONNECT_PATIENCE))
            if sock is None:
                break
            self.reconnects += 1
        return self.summary()

    def lags(self):
        self.prod = ProdLog(self.args.prod_log)
        out = []
        for now, _, key in self.tally.arrivals:
            piece = key
            if self.kind == "ts":
                piece = self.prod.order[key] if key < len(self.prod.order) else None
            produced = self.prod.by_piece.get(piece)
            if produced is not None:
                out.append(now - produced)
        return out

    def summary(self):
        t = self.tally
        replies = [s.reply_ok for s in self.sessions if s.reply_ok is not None]
        headers = [s.header_ok for s in self.sessions if s.header_ok is not None]
        if self.args.expect == sp.RAW_HEADER_TYPE:
            replies = [True] if headers else []  # nothing may precede a raw header
        lags = self.lags() if self.args.prod_log else []
        first_piece = t.first_piece
        if self.kind == "ts" and first_piece is not None and first_piece < len(self.prod.order):
            first_piece = self.prod.order[first_piece]
        out = {
            "reply_ok": all(replies) if replies else None,
            "header_ok": all(headers) if headers else None,
            "first_piece": first_piece,
            "pieces": t.pieces,
            "gaps": t.gaps,
            "dups": t.dups,
            "crc_bad": t.crc_bad,
            "max_ahead_ms": t.max_ahead_ms,
            "lag_ms_p50": round(percentile(lags, 50)) if lags else None,
            "lag_ms_p95": round(percentile(lags, 95)) if lags else None,
            "stall_ratio": stall_ratio([(a, ts) for a, ts, _ in t.arrivals], wall_ms()),
            "reconnects": self.reconnects,
            "sessions": len(self.sessions),
            "sessions_with_data": sum(1 for s in self.sessions if s.records),
        }
        if self.kind == "keyframe":
            out["start_ok"] = t.start_ok
        if self.args.non_reading:
            out["non_reading"] = True
        out["ok"] = bool(out["reply_ok"] and out["header_ok"] and t.pieces and not t.crc_bad
                         and not t.dups and (t.max_ahead_ms or 0) <= LEAD_LIMIT_MS + LEAD_TOLERANCE_MS
                         and out.get("start_ok", True) is not False)
        return out


def parse_args(argv):
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--port", type=int, required=True)
    ap.add_argument("--expect", type=int, default=259, help="header type of the stream")
    ap.add_argument("--payload", default="synthetic")
    ap.add_argument("--seconds", type=float, default=10.0)
    ap.add_argument("--non-reading", action="store_true")
    ap.add_argument("--reconnect", action="store_true")
    ap.add_argument("--prod-log")
    ap.add_argument("--out")
    args = ap.parse_args(argv)
    kind = args.payload.partition(":")[0]
    if kind not in ("synthetic", "ts", "keyframe") or (kind == "ts") != (":" in args.payload):
        ap.error("--payload is synthetic, keyframe or ts:FILE")
    return args


def main(argv=None):
    args = parse_args(argv)
    summary = Checker(args).run()
    text = json.dumps(summary)
    if args.out:
        with open(args.out, "w") as f:
            f.write(text + "\n")
    print(text, flush=True)
    return 0 if summary["ok"] or args.non_reading else 1


if __name__ == "__main__":
    sys.exit(main())
