#!/usr/bin/python3
"""Benchmark of the media relay: runs one swarm scenario on 127.0.0.1 with engine hosts (native,
or with --wine the Windows engine under wine) and prints one table of its figures.

    bench.py --peers N --seconds S --rate BPS --source-cap K --churn PCT --loss PCT [--delay MS] [--wine [DIR]]
    bench.py --sim [--minutes M] [--seed S] [--seeds K] [--bandwidth BPS] ...the same flags...

With --sim the same scenario runs in the swarm simulator (relay_sim: the module's sessions in one
process, in virtual time; --seconds or --minutes of stream time) and its table is printed; with
--seeds K it runs seeds S..S+K-1 and prints the median of each figure. The simulator is the
optimized build/native/sim/relay_sim_fast unless --relay-sim or RELAY_SIM names another.

Figures, over the peers of the run (a peer restarted by churn counts once per life):
- start-up: seconds from component creation to the join reply, to the first data piece held
  and to the first stream byte at the player;
- lag: how far behind production the player receives (its p50 and p95);
- continuity: pieces played on time (within 15 s of production) / pieces produced from the
  start piece until 15 s before the player's end;
- stall ratio: rebuffering share of a 2 s playout buffer;
- source offload: 1 - bytes the source served / bytes received by all peers;
- non-piece bytes: 1 - pieces played x piece wire size / bytes received (an upper bound on
  control traffic: pieces fetched but never played count as control here);
- request time-outs per request, when the hosts report them;
- CPU seconds and peak resident memory of each host process.
"""

import argparse
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time

import swarm

PIECE_WIRE_BYTES = 8084 + swarm.PIECE_OVERHEAD


def pct(values, p):
    values = sorted(v for v in values if v is not None)
    if not values:
        return None
    return values[min(len(values) - 1, int(round(p / 100.0 * (len(values) - 1))))]


def mean(values):
    values = [v for v in values if v is not None]
    return sum(values) / len(values) if values else None


def fmt(value, digits=2):
    if value is None:
        return "n/a"
    if isinstance(value, str):
        return value
    return ("%%.%df" % digits) % value


def rows_of(results, wall_s):
    peers = results["peers"]
    players = [p["player"] or {} for p in peers]
    startup = {k: [p["startup_s"][k] for p in peers] for k in ("joined", "held", "first_byte")}
    recv_total = sum(p["recv"] or 0 for p in peers)
    played_bytes = sum((s.get("pieces") or 0) * PIECE_WIRE_BYTES for s in players)
    requests = sum(p["notify"].get(3025, 0) for p in peers)
    timeouts = sum(p["notify"].get(3026, 0) for p in peers)
    no_stream = sum(1 for s in players if not s.get("pieces"))
    rows = [
        ("start-up to join reply (s)", pct(startup["joined"], 50), pct(startup["joined"], 95), None),
        ("start-up to first piece held (s)", pct(startup["held"], 50), pct(startup["held"], 95), None),
        ("start-up to first stream byte (s)", pct(startup["first_byte"], 50), pct(startup["first_byte"], 95),
         "%d peer(s) without stream" % no_stream if no_stream else None),
        ("lag behind source (ms)", pct([s.get("lag_ms_p50") for s in players], 50),
         pct([s.get("lag_ms_p95") for s in players], 95), "p50 of peer p50s / p95 of peer p95s"),
        ("continuity (on time / produced)", mean([p["continuity"] for p in peers]),
         min([p["continuity"] for p in peers if p["continuity"] is not None] or [None], key=lambda v: v or 0),
         "mean / worst peer"),
        ("stall ratio", mean([s.get("stall_ratio") for s in players]),
         max([s.get("stall_ratio") or 0 for s in players] or [0]), "mean / worst peer"),
        ("source offload", 1 - results["source_bytes"] / recv_total if recv_total else None, None,
         "source %d B, peers received %d B" % (results["source_bytes"], recv_total)),
        ("non-piece bytes received", 1 - played_bytes / recv_total if recv_total else None, None,
         "upper bound on control overhead"),
        ("request time-outs / requests", timeouts / requests if requests else None, None,
         "%d / %d" % (timeouts, requests) if requests else "not reported by the hosts"),
        ("CPU per peer (s)", mean([p["cpu_s"] for p in peers]), max([p["cpu_s"] or 0 for p in peers]),
         "mean / max over %.0f s; i386 under emulation" % wall_s),
        ("peak RSS per peer (MiB)", mean([(p["peak_rss_kib"] or 0) / 1024.0 for p in peers]),
         max([(p["peak_rss_kib"] or 0) / 1024.0 for p in peers]), "mean / max"),
        ("crash.log files", sum(len(p["crash_logs"]) for p in peers), None,
         "%d peer lives, %d killed by churn" % (len(peers), sum(1 for p in peers if p["killed"]))),
    ]
    return rows


def print_table(rows, title):
    print(title)
    head = ("figure", "p50/mean", "p95/max", "note")
    width = max(len(r[0]) for r in rows + [head])
    line = "%-*s  %10s  %10s  %s"
    print(line % (width, head[0], head[1], head[2], head[3]))
    print("-" * (width + 26 + 30))
    for name, a, b, note in rows:
        print(line % (width, name, fmt(a), fmt(b) if b is not None else "", note or ""))


def relay_sim_binary(args):
    if args.relay_sim:
        return args.relay_sim
    if os.environ.get("RELAY_SIM"):
        return os.environ["RELAY_SIM"]
    return os.path.join(swarm.SOURCE_DIR, "build", "native", "sim", "relay_sim_fast")


def run_relay_sim(args, seed):
    """One simulator run of the scenario; returns its JSON results."""
    minutes = args.minutes if args.minutes else args.seconds / 60.0
    with tempfile.TemporaryDirectory(prefix="relay_sim") as tmp:
        out = os.path.join(tmp, "results.json")
        cmd = [relay_sim_binary(args), "--peers", str(args.peers), "--minutes", "%g" % minutes,
               "--rate", str(args.rate), "--source-cap", str(args.source_cap), "--churn", "%g" % args.churn,
               "--loss", "%g" % args.loss, "--delay", str(args.delay), "--bandwidth", str(args.bandwidth),
               "--seed", str(seed), "--json", out]
        subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL)
        with open(out) as f:
            return json.load(f)


def median_rows(runs):
    """The rows of the first run with each figure replaced by its median over the runs."""
    rows = []
    for i, (name, a, b, note) in enumerate(runs[0]["rows"]):
        def med(k):
            values = [run["rows"][i][k] for run in runs if run["rows"][i][k] is not None]
            return statistics.median(values) if values else None
        if len(runs) > 1:
            note = "median of %d seeds; %s" % (len(runs), note) if note else "median of %d seeds" % len(runs)
        rows.append((name, med(1), med(2), note))
    return rows


def sim_main(args):
    runs = [run_relay_sim(args, args.seed + k) for k in range(args.seeds)]
    if args.json:
        with open(args.json, "w") as f:
            json.dump(runs if len(runs) > 1 else runs[0], f, indent=1)
    cfg = runs[0]["config"]
    title = ("relay simulation: %d peers, %g min, %d bit/s, source cap %d, churn %g%%, loss %g%%, delay %d ms, "
             "bandwidth %d bit/s, seed %d%s"
             % (cfg["peers"], cfg["minutes"], cfg["rate"], cfg["source_cap"], cfg["churn"], cfg["loss"],
                cfg["delay"], cfg["bandwidth"], cfg["seed"],
                " (+%d more)" % (len(runs) - 1) if len(runs) > 1 else ""))
    print_table(median_rows(runs), title)
    return 0


def main(argv=None):
    ap = argparse.ArgumentParser(description="media relay benchmark")
    ap.add_argument("--peers", type=int, default=5)
    ap.add_argument("--seconds", type=float, default=60)
    ap.add_argument("--rate", type=int, default=1000000, help="stream bits per second")
    ap.add_argument("--source-cap", type=int, default=2, help="transfers the source serves")
    ap.add_argument("--churn", type=float, default=0.0, help="percent of peers killed and restarted")
    ap.add_argument("--loss", type=float, default=0.0, help="UDP loss percent per peer")
    ap.add_argument("--delay", type=int, default=0, help="one-way delay ms per peer")
    ap.add_argument("--payload", choices=("ts", "synthetic"), default="ts")
    ap.add_argument("--json", help="also write the raw results here")
    ap.add_argument("--wine", nargs="?", const=swarm.DEFAULT_WINE_DIR, metavar="WINE-DIR",
                    help="the Windows engine hosts under wine, one prefix each cloned from WINE-DIR/template")
    ap.add_argument("--sim", action="store_true", help="run the scenario in the swarm simulator")
    ap.add_argument("--minutes", type=float, help="stream minutes of a --sim run (default: --seconds / 60)")
    ap.add_argument("--seed", type=int, default=1, help="--sim: the first seed")
    ap.add_argument("--seeds", type=int, default=1, help="--sim: seeds to run; medians are printed")
    ap.add_argument("--bandwidth", type=int, default=0, help="--sim: each host's upload in bit/s, 0 = unlimited")
    ap.add_argument("--relay-sim", help="--sim: the simulator binary")
    args = ap.parse_args(argv)
    if args.sim:
        return sim_main(args)
    cfg = swarm.SwarmConfig(peers=args.peers, seconds=args.seconds, rate=args.rate, source_cap=args.source_cap,
                            churn=args.churn, loss=args.loss, delay=args.delay, payload=args.payload,
                            notify=True, wine=args.wine)
    runner = swarm.Swarm(cfg)
    began = time.time()
    try:
        results = runner.run()
    finally:
        wall_s = time.time() - began
    if args.json:
        with open(args.json, "w") as f:
            json.dump(results, f, indent=1)
    title = ("relay benchmark%s: %d peers, %.0f s, %d bit/s %s, source cap %d, churn %g%%, loss %g%%, delay %d ms"
             % (" under wine" if runner.under_wine else "", args.peers, args.seconds, args.rate, args.payload, args.source_cap, args.churn, args.loss,
                args.delay))
    print_table(rows_of(results, wall_s), title)
    runner.cleanup()
    return 0


if __name__ == "__main__":
    sys.exit(main())
