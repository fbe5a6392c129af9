#!/usr/bin/python3
"""Swarm runner: one channel on 127.0.0.1 with a link server, a stream source and N engine
hosts, each played by its own player checker.

The hosts are the native build, or with --wine (or KESTRAV_WINE_DIR set, as CTest does for the
Windows build) the PE files of build/windows/dist/engine under wine. Every peer runs from its
own folder with a private engine copy and its own namespace of named blocks: natively a
QUIB_SHM_NS, under wine a prefix of its own (a hardlink clone of the template prefix with its
own wineserver, brought up before the run starts and stopped with its peer). The runner can
emulate a network per peer (KUZ_NETEM), kill and restart a share of the peers during the run,
and collects per peer the start-up stages, the player summary, the byte totals, crash.log
presence and the CPU time and peak memory of the host process. It stops every process it
started, by process id.

    swarm.py run --peers N --seconds S [--rate BPS] [--source-cap K] [--churn PCT] [--loss PCT]
                 [--delay MS] [--peer-rate BPS] [--payload ts|synthetic] [--piece-bytes N]
                 [--workdir DIR] [--wine [WINE-DIR]]
    swarm.py play PLAYER-ARGS...     (a player checker that also notes its first byte)
"""

import argparse
import concurrent.futures
import json
import math
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

from kestrav import engine_host

TOOLS = os.path.dirname(os.path.abspath(__file__))
SOURCE_DIR = os.path.dirname(TOOLS)

NATIVE_ENGINE = os.path.join(SOURCE_DIR, "build", "native", "native", "engine")
WINE_ENGINE = os.path.join(SOURCE_DIR, "build", "windows", "dist", "engine")
# Where the Windows build's tests keep their prefixes; the template is made there once.
DEFAULT_WINE_DIR = os.path.join(SOURCE_DIR, "build", "windows", "wine")
WINE_ENV = os.path.join(TOOLS, "wine-env")

if not engine_host.ENGINE_DIR:
    engine_host.ENGINE_DIR = WINE_ENGINE if engine_host.UNDER_WINE else NATIVE_ENGINE

PYTHON = "/usr/bin/python3"
CHANNEL = "{5A1E0C4E-2A2B-4C3D-9E8F-00000000A5A0}"
STATS_PERIOD = 0.5
STAGGER_S = 0.7
# A piece on the wire: the 'F' packet head (11), the data body head (8) and the frame length (4).
PIECE_OVERHEAD = 23
# A piece reaching the player later than this after its production counts as missed.
ON_TIME_MS = 15000
# Wine prefixes brought up at once before a run (each start costs seconds of emulated CPU).
PREFIX_WORKERS = 4


def wall_ms():
    return time.time() * 1000.0


# ------------------------------------------------------------------ player with first byte

def play_main(argv):
    """player.py, noting the wall time of the first stream byte and where play began and ended
    in production order, so that the runner can tell pieces played from pieces produced."""
    import player
    original_feed = player.Session.feed

    def feed(session, data, now):
        if data and getattr(session.checker, "first_byte_ms", None) is None:
            session.checker.first_byte_ms = now
        original_feed(session, data, now)

    player.Session.feed = feed
    args = player.parse_args(argv)
    checker = player.Checker(args)
    checker.first_byte_ms = None
    summary = checker.run()
    tally = checker.tally

    def position(key):
        if key is None or checker.kind == "ts":
            return key
        try:
            return checker.prod.order.index(key)
        except ValueError:
            return None

    summary.update(first_byte_ms=checker.first_byte_ms, end_ms=wall_ms(),
                   first_pos=position(tally.first_piece), highest_pos=position(tally.highest))
    summary["continuity"] = continuity(checker, position, summary["end_ms"])
    text = json.dumps(summary)
    if args.out:
        with open(args.out, "w") as f:
            f.write(text + "\n")
    print(text, flush=True)
    return 0


def continuity(checker, position, end_ms):
    """Pieces played on time / pieces due: a piece is due when it was produced at or after the
    start piece and at least ON_TIME_MS before the player ended; it was played on time when it
    reached the player within ON_TIME_MS of its production."""
    tally, prod = checker.tally, checker.prod
    first = position(tally.first_piece)
    if first is None:
        return 0.0
    made = [prod.by_piece.get(piece) for piece in prod.order]
    limit = end_ms - ON_TIME_MS
    due = set(pos for pos in range(first, len(made)) if made[pos] is not None and made[pos] <= limit)
    if not due:
        return None
    on_time = set()
    for now, _, key in tally.arrivals:
        pos = position(key)
        if pos in due and now - made[pos] <= ON_TIME_MS:
            on_time.add(pos)
    return round(len(on_time) / len(due), 4)


# ------------------------------------------------------------------ process figures

def process_figures(pid):
    """CPU seconds and peak resident KiB of a live process, from /proc."""
    out = {"cpu_s": None, "peak_rss_kib": None}
    try:
        with open("/proc/%d/stat" % pid) as f:
            fields = f.read().rsplit(")", 1)[1].split()
        ticks = os.sysconf("SC_CLK_TCK")
        out["cpu_s"] = round((int(fields[11]) + int(fields[12])) / ticks, 2)
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    out["peak_rss_kib"] = int(line.split()[1])
    except (OSError, IndexError, ValueError):
        pass
    return out


def group_members(pgid):
    """The live processes of a process group."""
    members = []
    for name in os.listdir("/proc"):
        if not name.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % name) as f:
                fields = f.read().rsplit(")", 1)[1].split()
            if int(fields[2]) == pgid:
                members.append(int(name))
        except (OSError, IndexError, ValueError):
            pass
    return members


def host_figures(host):
    """process_figures of an engine host. Under wine the host is a process group (wine-run's
    time limit and the wine process of the program): CPU summed, the largest peak."""
    if not engine_host.UNDER_WINE:
        return process_figures(host.proc.pid)
    figures = [process_figures(pid) for pid in group_members(host.proc.pid)]
    cpu = [f["cpu_s"] for f in figures if f["cpu_s"] is not None]
    rss = [f["peak_rss_kib"] for f in figures if f["peak_rss_kib"] is not None]
    return {"cpu_s": round(sum(cpu), 2) if cpu else None, "peak_rss_kib": max(rss) if rss else None}


def use_wine(wine_dir):
    """Runs the hosts of this process under wine: the Windows engine, one prefix per peer cloned
    from wine_dir/template (made here first when the tests have not made it yet)."""
    wine_dir = os.path.abspath(wine_dir)
    if subprocess.run([WINE_ENV, "usable"]).returncode != 0:
        raise SystemExit("wine cannot run the Windows engine here")
    if not os.path.exists(os.path.join(wine_dir, "template", ".complete")):
        subprocess.run([WINE_ENV, "up", wine_dir], check=True, stdout=subprocess.DEVNULL)
        subprocess.run([WINE_ENV, "down", wine_dir], check=True)
    engine_host.use_wine(wine_dir, engine_host.ENGINE_DIR if engine_host.UNDER_WINE else WINE_ENGINE)


def make_ts(path, seconds, rate):
    """A constant-mux-rate transport stream of a test pattern and a tone."""
    video = max(100000, int(rate * 0.6))
    audio = 128000 if rate >= 500000 else 64000
    subprocess.run(
        ["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=320x240:rate=25", "-f", "lavfi",
         "-i", "sine=frequency=440:sample_rate=48000", "-t", str(int(seconds)), "-c:v", "mpeg2video",
         "-b:v", str(video), "-maxrate", str(video), "-bufsize", str(video), "-g", "25", "-c:a", "mp2",
         "-b:a", str(audio), "-f", "mpegts", "-muxrate", str(int(rate)), path],
        check=True, timeout=300)
    return path


def read_json_lines(path):
    out = []
    try:
        with open(path) as f:
            for line in f:
                try:
                    out.append(json.loads(line))
                except ValueError:
                    pass
    except FileNotFoundError:
        pass
    return out


# ------------------------------------------------------------------ one peer

class Peer:
    """One engine host, the thread that watches its lines, and its player."""

    def __init__(self, swarm, index, generation):
        self.swarm = swarm
        self.index = index
        self.generation = generation
        self.name = "peer%d" % index + ("_r%d" % generation if generation else "")
        self.workdir = os.path.join(swarm.workdir, self.name)
        os.makedirs(self.workdir)
        self.host = None
        self.prefix = None
        self.player = None
        self.player_out = os.path.join(self.workdir, "player.json")
        self.stages = {}  # stage -> wall ms
        self.last_stats = None
        self.last_stats_at = 0.0
        self.notify_counts = {}
        self.figures = {}
        self.killed = False
        self.tcp_port = None  # the host's public TCP port, once started
        self.stream_port = None
        self.lock = threading.Lock()
        self.stats_wanted = threading.Event()

    def start(self, first):
        cfg = self.swarm.cfg
        port = engine_host.free_port_pair()
        args = ["--tcp", str(port), "--udp", str(port + 1), "--status-ms", "0"]
        if cfg.notify:
            args.append("--notify")
        args += ["--channel", CHANNEL, "--link", "127.0.0.1:%d" % self.swarm.link_udp]
        if first or cfg.all_sources:
            args += ["--source", "127.0.0.1:%d:%d" % (self.swarm.src_tcp, self.swarm.src_udp)]
        env = {"QUIB_SHM_NS": "swarm%d_%s_%d" % (os.getpid(), self.name, port)}
        if cfg.netem():
            env["KUZ_NETEM"] = cfg.netem()
        self.prefix = self.swarm.take_prefix()
        if self.prefix:
            env["WINEPREFIX"] = self.prefix
        self.host = engine_host.EngineHost(self.workdir, args, env=env)
        self.host.shm_ns = env["QUIB_SHM_NS"]
        self.started_ms = wall_ms()
        threading.Thread(target=self.watch, daemon=True).start()
        threading.Thread(target=self.poll_stats, daemon=True).start()

    @property
    def pid(self):
        return self.host.proc.pid

    def alive(self):
        return self.host is not None and self.host.proc.poll() is None

    def watch(self):
        while True:
            item = self.host.events.get()
            if item is None:
                return
            self.take(item)

    def take(self, item):
        now = wall_ms()
        ev = item.get("ev")
        if ev == "started":
            self.tcp_port = item.get("tcp")
        elif ev == "created":
            self.stages.setdefault("created", now)
        elif ev == "stream_port":
            self.stages.setdefault("stream_port", now)
            self.stream_port = item["port"]
            if self.swarm.cfg.players and not self.killed:
                self.start_player(item["port"])
        elif ev == "stats":
            with self.lock:
                self.last_stats, self.last_stats_at = item, time.time()
            if item.get("state") == 2:
                self.stages.setdefault("joined", now)
            held = item.get("held") or [0, 0]
            if isinstance(held, list) and any(held):
                self.stages.setdefault("held", now)
        elif ev == "notify":
            self.notify_counts[item.get("msg")] = self.notify_counts.get(item.get("msg"), 0) + 1

    def poll_stats(self):
        while self.alive():
            self.stats_wanted.wait(STATS_PERIOD)
            self.stats_wanted.clear()
            try:
                self.host.send("stats %s%s" % (CHANNEL, " peers" if self.swarm.cfg.peer_table else ""))
            except (BrokenPipeError, OSError, ValueError):
                return

    def fresh_stats(self, timeout=10):
        """A stats line asked for now, or None when the host does not answer in time."""
        asked = time.time()
        self.stats_wanted.set()
        deadline = asked + timeout
        while time.time() < deadline:
            with self.lock:
                if self.last_stats_at > asked:
                    return self.last_stats
            time.sleep(0.05)
        return None

    def start_player(self, port):
        cfg = self.swarm.cfg
        seconds = max(1.0, self.swarm.end_at - time.time())
        self.player = subprocess.Popen(
            [PYTHON, os.path.abspath(__file__), "play", "--port", str(port), "--payload", self.swarm.payload,
             "--seconds", "%.1f" % seconds, "--prod-log", self.swarm.prod_log, "--out", self.player_out],
            stdout=subprocess.DEVNULL, stderr=open(os.path.join(self.workdir, "player.err"), "w"))
        if cfg.verbose:
            print("%s plays port %d for %.0f s" % (self.name, port, seconds), file=sys.stderr)

    def wait_player(self, timeout):
        if self.player is None:
            return
        try:
            self.player.wait(timeout)
        except subprocess.TimeoutExpired:
            self.player.kill()
            self.player.wait()

    def finish(self, quit_host=True):
        """Final figures, then the host stops (quit, or kill when it does not)."""
        if self.alive():
            self.fresh_stats(timeout=10)
            self.figures = host_figures(self.host)
        if quit_host and self.alive():
            try:
                self.host.quit(timeout=20)
            except Exception:
                self.host.kill()
        else:
            self.host.kill()
        engine_host.prefix_down(self.prefix)
        self.wait_player(30)

    def kill(self):
        """Churn: the host dies at once, as on a crash or a closed laptop."""
        self.killed = True
        if self.alive():
            self.fresh_stats(timeout=5)
            self.figures = host_figures(self.host)
        self.host.kill()
        engine_host.prefix_down(self.prefix)
        self.wait_player(15)

    def crash_logs(self):
        found = []
        for root, _, files in os.walk(self.workdir):
            found += [os.path.join(root, n) for n in files if n.lower() == "crash.log"]
        return found

    def result(self):
        summary = read_json_lines(self.player_out)
        summary = summary[0] if summary else None
        stats = self.last_stats or {}
        created = self.stages.get("created")

        def since_created(stage_ms):
            return round((stage_ms - created) / 1000.0, 2) if created and stage_ms else None

        first_byte = summary.get("first_byte_ms") if summary else None
        return {
            "name": self.name,
            "killed": self.killed,
            "exit_code": self.host.proc.returncode,
            "startup_s": {"joined": since_created(self.stages.get("joined")),
                          "held": since_created(self.stages.get("held")),
                          "first_byte": since_created(first_byte)},
            "player": summary,
            "continuity": summary.get("continuity") if summary else None,
            "sent": stats.get("sent"),
            "recv": stats.get("recv"),
            "transfers": stats.get("transfers"),
            "notify": self.notify_counts,
            "crash_logs": self.crash_logs(),
            "cpu_s": self.figures.get("cpu_s"),
            "peak_rss_kib": self.figures.get("peak_rss_kib"),
        }


# ------------------------------------------------------------------ the swarm

class SwarmConfig:
    def __init__(self, peers=3, seconds=60, rate=500000, source_cap=2, source_upload=0, churn=0.0,
                 loss=0.0, delay=0, jitter=0, peer_rate=0, uplink=0, payload="ts", hostile=None,
                 players=True, notify=False, all_sources=False, stagger=STAGGER_S, workdir=None,
                 ts_file=None, verbose=False, wine=None, piece_bytes=0, peer_table=False):
        self.__dict__.update(locals())
        del self.__dict__["self"]

    def netem(self):
        parts = []
        for key, value in (("delay", self.delay), ("jitter", self.jitter), ("loss", self.loss),
                           ("rate", self.peer_rate), ("uplink", self.uplink)):
            if value:
                parts.append("%s=%s" % (key, ("%g" % value) if isinstance(value, float) else value))
        return ",".join(parts)


class Swarm:
    """Starts the parties of one channel, runs it for cfg.seconds and collects the results."""

    def __init__(self, cfg):
        self.cfg = cfg
        wine = cfg.wine or (engine_host.WINE_DIR if engine_host.UNDER_WINE else None)
        if wine:
            use_wine(wine)
        self.under_wine = bool(wine)
        self.own_workdir = cfg.workdir is None
        self.workdir = cfg.workdir or tempfile.mkdtemp(prefix="swarm")
        os.makedirs(self.workdir, exist_ok=True)
        self.processes = []  # (name, Popen) of the source and the link server
        self.peers = []
        self.retired = []  # peers killed by churn
        self.prod_log = os.path.join(self.workdir, "production.log")
        self.source_log = os.path.join(self.workdir, "source.log")
        self.end_at = None
        self.payload = "synthetic"
        self.spare_prefixes = []
        self.prefix_count = 0

    # -------------------------------------------------------------- parties

    def start_source(self):
        cfg = self.cfg
        range_file = os.path.join(self.workdir, "range.txt")
        args = [PYTHON, os.path.join(TOOLS, "srcpeer.py"), "--tcp", "127.0.0.1:0", "--udp", "0",
                "--guid", CHANNEL, "--header-type", "259", "--range-file", range_file,
                "--prod-log", self.prod_log, "--log", self.source_log,
                "--max-transfers", str(cfg.source_cap)]
        if cfg.payload == "ts":
            ts = cfg.ts_file or make_ts(os.path.join(self.workdir, "stream.ts"), cfg.seconds + 60, cfg.rate)
            self.payload = "ts:%s" % ts
        else:
            args += ["--rate", str(cfg.rate)]
        args += ["--payload", self.payload]
        if cfg.source_upload:
            args += ["--upload", str(cfg.source_upload)]
        if cfg.piece_bytes:
            args += ["--piece-bytes", str(cfg.piece_bytes)]
        if cfg.hostile:
            args += ["--hostile", cfg.hostile]
        proc = subprocess.Popen(args, stdout=subprocess.PIPE, text=True)
        self.processes.append(("source", proc))
        ports = json.loads(proc.stdout.readline())
        self.src_tcp, self.src_udp = ports["tcp"], ports["udp"]
        deadline = time.time() + 10
        while not os.path.exists(range_file) and time.time() < deadline:
            time.sleep(0.1)
        return range_file

    def start_link_server(self, range_file):
        proc = subprocess.Popen(
            [PYTHON, os.path.join(TOOLS, "linksrv.py"), "--udp", "127.0.0.1:0", "--range-file", range_file,
             "--list-source", "127.0.0.1:%d:%d" % (self.src_tcp, self.src_udp),
             "--log", os.path.join(self.workdir, "linksrv.log")],
            stdout=subprocess.PIPE, text=True)
        self.processes.append(("linksrv", proc))
        self.link_udp = json.loads(proc.stdout.readline())["udp"]

    def new_prefix(self):
        # Outside the peers' folders, which are searched for crash.log files.
        self.prefix_count += 1
        folder = os.path.join(self.workdir, "prefixes")
        os.makedirs(folder, exist_ok=True)
        return os.path.join(folder, "p%d" % self.prefix_count)

    def prepare_prefixes(self):
        """Under wine: a ready prefix for every peer life of the run, churn included, brought up
        before the run's clock starts, so that peers start as far apart as natively."""
        if not engine_host.UNDER_WINE:
            return
        paths = [self.new_prefix() for _ in range(self.cfg.peers + self.churn_count(self.cfg.peers))]
        try:
            with concurrent.futures.ThreadPoolExecutor(PREFIX_WORKERS) as pool:
                self.spare_prefixes = list(pool.map(engine_host.prefix_up, paths))
        except BaseException:
            for path in paths:
                engine_host.prefix_down(path)
            raise

    def take_prefix(self):
        """A prefix for a new peer (natively None)."""
        if self.spare_prefixes:
            return self.spare_prefixes.pop(0)
        return engine_host.prefix_up(self.new_prefix()) if engine_host.UNDER_WINE else None

    def start_peer(self, index, generation=0):
        peer = Peer(self, index, generation)
        peer.start(first=(index == 0))
        return peer

    # -------------------------------------------------------------- run

    def start(self):
        self.prepare_prefixes()
        self.end_at = time.time() + self.cfg.seconds + self.cfg.peers * self.cfg.stagger + 5
        self.start_link_server(self.start_source())
        for i in range(self.cfg.peers):
            if i:
                time.sleep(self.cfg.stagger)
            self.peers.append(self.start_peer(i))
        return self

    def churn_count(self, peers):
        return int(math.ceil(peers * self.cfg.churn / 100.0)) if self.cfg.churn else 0

    def churn(self):
        """Kills a share of the peers (never the first, which holds the source's transfer)
        and starts a fresh host for each in a new folder."""
        count = self.churn_count(len(self.peers))
        candidates = list(range(1, len(self.peers)))
        random.shuffle(candidates)
        for i in candidates[:count]:
            old = self.peers[i]
            old.kill()
            self.retired.append(old)
            time.sleep(1.0)
            self.peers[i] = self.start_peer(old.index, old.generation + 1)

    def run(self):
        """Runs the whole scenario and returns the results; everything started is stopped."""
        try:
            self.start()
            churn_at = time.time() + self.cfg.seconds * 0.4
            if self.cfg.churn:
                time.sleep(max(0, churn_at - time.time()))
                self.churn()
            time.sleep(max(0, self.end_at - time.time()))
            return self.stop()
        except BaseException:
            self.stop()
            raise

    def stop(self):
        for peer in self.peers:
            if peer.player is not None:
                peer.wait_player(max(5, self.end_at - time.time() + 30) if self.end_at else 5)
        for peer in self.peers:
            if peer.host is not None:
                peer.finish()
        for prefix in self.spare_prefixes:
            engine_host.prefix_down(prefix)
        self.spare_prefixes = []
        for name, proc in reversed(self.processes):
            if proc.poll() is None:
                proc.send_signal(signal.SIGTERM)
                try:
                    proc.wait(10)
                except subprocess.TimeoutExpired:
                    proc.kill()
                    proc.wait()
            if proc.stdout:
                proc.stdout.close()
        self.processes = []
        return self.results()

    def results(self):
        produced = len(read_json_lines(self.prod_log))
        source_bytes = sum(rec.get("bytes_served", 0) for rec in read_json_lines(self.source_log)
                           if rec.get("event") == "close")
        peers = [p.result() for p in self.retired + self.peers]
        return {"config": {k: v for k, v in self.cfg.__dict__.items() if k != "verbose"},
                "workdir": self.workdir, "pieces_produced": produced,
                "source_bytes": source_bytes, "peers": peers}

    def cleanup(self):
        if self.own_workdir:
            shutil.rmtree(self.workdir, ignore_errors=True)


def parse_args(argv):
    ap = argparse.ArgumentParser(description="swarm runner")
    ap.add_argument("--peers", type=int, default=3)
    ap.add_argument("--seconds", type=float, default=60)
    ap.add_argument("--rate", type=int, default=500000, help="stream bits per second")
    ap.add_argument("--source-cap", type=int, default=2, help="transfers the source serves")
    ap.add_argument("--source-upload", type=int, default=0, help="source bytes per second, 0 = no cap")
    ap.add_argument("--churn", type=float, default=0.0, help="percent of peers killed and restarted")
    ap.add_argument("--loss", type=float, default=0.0, help="UDP loss percent per peer")
    ap.add_argument("--delay", type=int, default=0, help="one-way delay ms per peer")
    ap.add_argument("--jitter", type=int, default=0)
    ap.add_argument("--peer-rate", type=int, default=0, help="per-socket send rate, bytes/s")
    ap.add_argument("--uplink", type=int, default=0, help="per-peer upload, bytes/s")
    ap.add_argument("--payload", choices=("ts", "synthetic"), default="ts")
    ap.add_argument("--piece-bytes", type=int, default=0, help="synthetic piece size, 0 = the source's")
    ap.add_argument("--hostile")
    ap.add_argument("--notify", action="store_true", help="count request/time-out notifications")
    ap.add_argument("--workdir")
    ap.add_argument("--wine", nargs="?", const=DEFAULT_WINE_DIR, metavar="WINE-DIR",
                    help="Windows engine under wine, prefixes cloned from WINE-DIR/template "
                         "(default %(const)s; KESTRAV_WINE_DIR in the environment does the same)")
    ap.add_argument("--keep", action="store_true", help="keep the work folder")
    ap.add_argument("--verbose", action="store_true")
    return ap.parse_args(argv)


def config_from_args(args):
    return SwarmConfig(peers=args.peers, seconds=args.seconds, rate=args.rate, source_cap=args.source_cap,
                       source_upload=args.source_upload, churn=args.churn, loss=args.loss, delay=args.delay,
                       jitter=args.jitter, peer_rate=args.peer_rate, uplink=args.uplink, payload=args.payload,
                       hostile=args.hostile, notify=args.notify, piece_bytes=args.piece_bytes,
                       workdir=args.workdir, verbose=args.verbose,
                       wine=args.wine)


def main(argv=None):
    argv = sys.argv[1:] if argv is None else argv
    if argv and argv[0] == "play":
        return play_main(argv[1:])
    if argv and argv[0] == "run":
        argv = argv[1:]
    args = parse_args(argv)
    swarm = Swarm(config_from_args(args))
    results = swarm.run()
    print(json.dumps(results, indent=1))
    if not args.keep and not args.workdir:
        swarm.cleanup()
    return 0


if __name__ == "__main__":
    sys.exit(main())
