"""A live channel played end to end: a link server, a stream source carrying an MPEG transport
stream made by ffmpeg, and engine hosts on 127.0.0.1. A real client reads each host's local
stream; a second host given no source gets the channel only through the first."""

import json
import os
import subprocess
import sys
import time

import pytest

from kestrav.engine_host import free_port_pair

CHANNEL = "{5A1E0C4E-2A2B-4C3D-9E8F-00000000E2E0}"
SOURCE_DIR = os.environ.get("KESTRAV_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))
TOOLS = os.path.join(SOURCE_DIR, "tools")
STREAM_SECONDS = 80
DAMAGE = ("continuity check failed", "Packet corrupt", "PES packet size mismatch")


@pytest.fixture(scope="module")
def test_ts(tmp_path_factory):
    path = tmp_path_factory.mktemp("media") / "test.ts"
    subprocess.run(
        ["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=320x240:rate=25", "-f", "lavfi",
         "-i", "sine=frequency=440:sample_rate=48000", "-t", str(STREAM_SECONDS), "-c:v", "mpeg2video",
         "-b:v", "600k", "-g", "25", "-c:a", "mp2", "-b:a", "128k", "-f", "mpegts", "-muxrate", "1000k",
         str(path)], check=True, timeout=120)
    return path


@pytest.fixture
def source(tmp_path, test_ts):
    """The channel's stream source. It serves one transfer only, so any further peer gets the
    channel through another peer; its range file tells the link server the pieces it holds."""
    range_file = tmp_path / "range.txt"
    prod_log = tmp_path / "production.log"
    proc = subprocess.Popen(
        ["/usr/bin/python3", os.path.join(TOOLS, "srcpeer.py"), "--tcp", "127.0.0.1:0", "--udp", "0",
         "--guid", CHANNEL, "--header-type", "259", "--payload", "ts:%s" % test_ts,
         "--range-file", str(range_file), "--prod-log", str(prod_log), "--max-transfers", "1"],
        stdout=subprocess.PIPE, text=True)
    ports = json.loads(proc.stdout.readline())
    deadline = time.time() + 10
    while not range_file.exists() and time.time() < deadline:
        time.sleep(0.1)
    yield {"tcp": ports["tcp"], "udp": ports["udp"], "range_file": range_file, "prod_log": prod_log,
           "ts": test_ts}
    proc.terminate()
    proc.wait(10)


def start_peer(relay_hosts, server, source=None):
    port = free_port_pair()
    args = ["--tcp", str(port), "--udp", str(port + 1), "--status-ms", "0",
            "--channel", CHANNEL, "--link", "127.0.0.1:%d" % server.udp_port]
    if source:
        args += ["--source", "127.0.0.1:%d:%d" % (source["tcp"], source["udp"])]
    h = relay_hosts(args)
    h.wait_event("created")
    h.stream_port = h.wait_event("stream_port", timeout=20)["port"]
    return h


def probe_streams(port, within_s):
    """The codec types ffprobe lists on the peer's local stream, retried until within_s."""
    deadline = time.time() + within_s
    last = None
    while time.time() < deadline:
        run = subprocess.run(
            ["ffprobe", "-v", "error", "-f", "mpegts", "-show_entries", "stream=codec_type,codec_name",
             "-of", "json", "http://127.0.0.1:%d/" % port], capture_output=True, text=True, timeout=30)
        last = run
        if run.returncode == 0:
            streams = json.loads(run.stdout).get("streams", [])
            kinds = sorted((s.get("codec_type"), s.get("codec_name")) for s in streams)
            if ("audio", "mp2") in kinds and ("video", "mpeg2video") in kinds:
                return kinds
        time.sleep(0.5)
    raise AssertionError("no video and audio on port %d: %r" % (port, last and last.stderr[-2000:]))


def decode(port, seconds):
    run = subprocess.run(
        ["ffmpeg", "-hide_banner", "-v", "error", "-f", "mpegts", "-i", "http://127.0.0.1:%d/" % port,
         "-t", str(seconds), "-f", "null", "-"], capture_output=True, text=True, timeout=seconds + 60)
    assert run.returncode == 0, run.stderr[-2000:]
    for damage in DAMAGE:
        assert damage not in run.stderr, run.stderr[-2000:]


def verify_bytes(port, source, seconds, out):
    run = subprocess.run(
        ["/usr/bin/python3", os.path.join(TOOLS, "player.py"), "--port", str(port), "--payload",
         "ts:%s" % source["ts"], "--seconds", str(seconds), "--prod-log", str(source["prod_log"]),
         "--out", str(out)], capture_output=True, text=True, timeout=seconds + 60)
    summary = json.loads(out.read_text())
    assert summary["reply_ok"] and summary["header_ok"], summary
    # Every piece from the first one played, in order: none missing, repeated or damaged.
    assert summary["pieces"] > 0 and summary["gaps"] == 0, summary
    assert summary["crc_bad"] == 0 and summary["dups"] == 0, summary
    # Paced within the 15 s lead, measured on the player's clock (player.LEAD_TOLERANCE_MS).
    assert summary["max_ahead_ms"] <= 15000 + 250, summary
    assert run.returncode == 0, (summary, run.stderr[-2000:])
    return summary


def test_a_peer_with_the_source_plays_the_channel(relay_hosts, linksrv, source, tmp_path):
    server = linksrv("--range-file", str(source["range_file"]))
    peer = start_peer(relay_hosts, server, source)
    probe_streams(peer.stream_port, within_s=15)
    decode(peer.stream_port, 60)
    verify_bytes(peer.stream_port, source, 10, tmp_path / "player1.json")


def test_a_peer_without_source_gets_the_channel_through_another_peer(relay_hosts, linksrv, source, tmp_path):
    server = linksrv("--range-file", str(source["range_file"]))
    first = start_peer(relay_hosts, server, source)
    probe_streams(first.stream_port, within_s=15)
    second = start_peer(relay_hosts, server)
    probe_streams(second.stream_port, within_s=30)
    verify_bytes(second.stream_port, source, 10, tmp_path / "player2.json")
    # The source serves one transfer, the first peer's: the first relayed the channel.
    first.send("stats %s" % CHANNEL)
    sent = first.wait_event("stats", where=lambda e: e["guid"] == CHANNEL)["sent"]
    assert sent > 500000, sent
