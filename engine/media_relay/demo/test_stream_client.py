"""Real media clients against a stream buffer and stream server fed from an MPEG-TS file.

The demo program (media_relay_stream_demo) serves the file as a channel would: a stream header
piece whose data are an HTTP head plus the file's first two TS packets, then data pieces of
8084 bytes stamped with their play time at the file's constant mux rate. For the Windows build
the demo is the PE program run under wine (in a prefix of its own), the clients stay native.
"""
import json
import os
import signal
import socket
import subprocess
import time

import pytest

from kestrav import engine_host

MUXRATE = 1000000
PIECE_BYTES = 43 * 188
HEADER_TAIL = 2 * 188
WINDOW_MS = 5000
LEAD_MS = 15000
REPLY = b"HTTP/1.1 200 OK\r\nServer: Quorvane Media Server/1.0\r\nConnection: close\r\n\r\n"


def piece_time_stamp(index):
    return index * PIECE_BYTES * 8000 // MUXRATE


def demo_command(ts_file, *args):
    demo = os.path.join(os.environ["KESTRAV_BUILD_DIR"], "tests-bin", "media_relay_stream_demo")
    if not engine_host.UNDER_WINE:
        return [demo, "--ts", str(ts_file)] + list(args)
    return [engine_host.WINE_RUN, demo + ".exe", "--ts", engine_host.program_path(str(ts_file))] + list(args)


def stop(process):
    """Ends the demo; under wine, wine-run's time limit and wine with it (one process group)."""
    if process.poll() is None:
        if engine_host.UNDER_WINE:
            os.killpg(process.pid, signal.SIGTERM)
        else:
            process.terminate()
    process.wait(timeout=30)


def expected_start_index():
    """Players start at the first piece more than 5 s after the first one in the buffer."""
    index = 0
    while piece_time_stamp(index) <= WINDOW_MS:
        index += 1
    return index


@pytest.fixture(scope="module")
def stream(tmp_path_factory):
    folder = tmp_path_factory.mktemp("stream")
    ts_file = folder / "test.ts"
    subprocess.run(
        ["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=320x240:rate=25",
         "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000", "-t", "60",
         "-c:v", "mpeg2video", "-b:v", "600k", "-g", "25", "-c:a", "mp2", "-b:a", "128k",
         "-f", "mpegts", "-muxrate", "1000k", str(ts_file)],
        check=True, timeout=120)
    # Under wine the demo runs in a prefix of its own, as the engine hosts do: nothing else
    # started in this run's prefix can stall or end it.
    prefix = engine_host.prefix_up(str(folder / "prefix"))
    env = dict(os.environ, WINE_TIMEOUT="330")
    if prefix:
        env["WINEPREFIX"] = prefix
    try:
        process = subprocess.Popen(
            demo_command(ts_file, "--muxrate", str(MUXRATE), "--piece-bytes", str(PIECE_BYTES),
                         "--header-tail", str(HEADER_TAIL), "--prefill-ms", "30000", "--seconds", "300"),
            stdout=subprocess.PIPE, text=True, env=env, start_new_session=engine_host.UNDER_WINE)
        try:
            line = process.stdout.readline()
            assert line.startswith("stream_port "), line
            port = int(line.split()[1])
            time.sleep(2)  # the buffer's first ticks move its cursor over the first 30 s
            yield {"port": port, "ts": ts_file.read_bytes(), "url": "http://127.0.0.1:%d/" % port}
        finally:
            stop(process)
    finally:
        engine_host.prefix_down(prefix)


def test_ffprobe_lists_the_video_and_the_audio_stream(stream):
    result = subprocess.run(
        ["ffprobe", "-v", "error", "-f", "mpegts", "-show_entries", "stream=index,codec_type,codec_name",
         "-of", "json", stream["url"]],
        capture_output=True, text=True, timeout=60)
    assert result.returncode == 0, result.stderr
    codecs = sorted((s["codec_type"], s["codec_name"]) for s in json.loads(result.stdout)["streams"])
    assert codecs == [("audio", "mp2"), ("video", "mpeg2video")]


def test_ffmpeg_decodes_twenty_seconds_without_stream_errors(stream):
    result = subprocess.run(
        ["ffmpeg", "-hide_banner", "-v", "error", "-f", "mpegts", "-i", stream["url"], "-t", "20",
         "-f", "null", "-"],
        capture_output=True, text=True, timeout=120)
    assert result.returncode == 0, result.stderr
    for damage in ("continuity check failed", "Packet corrupt", "PES packet size mismatch"):
        assert damage not in result.stderr


def read_paced(port, stream_bytes_wanted):
    """Sends a request and returns (start time, [(arrival time, bytes so far)], all bytes)."""
    with socket.create_connection(("127.0.0.1", port), timeout=30) as player:
        started = time.monotonic()
        player.sendall(b"GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n")
        received = bytearray()
        arrivals = []
        wanted = len(REPLY) + HEADER_TAIL + stream_bytes_wanted
        while len(received) < wanted:
            chunk = player.recv(65536)
            if not chunk:
                break
            received += chunk
            arrivals.append((time.monotonic(), len(received)))
    return started, arrivals, bytes(received)


def test_a_player_gets_the_reply_the_header_rest_and_the_pieces_in_order_paced(stream):
    start = expected_start_index()
    # 8 s of stream past the lead, which may only come in over at least 8 s.
    pieces = (LEAD_MS + 8000) * MUXRATE // (PIECE_BYTES * 8000)
    started, arrivals, received = read_paced(stream["port"], pieces * PIECE_BYTES)
    assert received[:len(REPLY)] == REPLY
    assert received[len(REPLY):len(REPLY) + HEADER_TAIL] == stream["ts"][:HEADER_TAIL]
    body = received[len(REPLY) + HEADER_TAIL:]
    assert len(body) >= pieces * PIECE_BYTES
    offset = start * PIECE_BYTES
    assert body == stream["ts"][offset:offset + len(body)]

    # No piece arrives before its time stamp, less the lead, counted from the request.
    header_bytes = len(REPLY) + HEADER_TAIL
    for arrival, total in arrivals:
        last_piece = start + (total - header_bytes - 1) // PIECE_BYTES
        earliest = (piece_time_stamp(last_piece) - piece_time_stamp(start) - LEAD_MS) / 1000.0
        assert arrival - started >= earliest, (last_piece, arrival - started, earliest)
