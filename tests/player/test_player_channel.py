"""The whole system played through the player, as the main job's demo does: a link server, a
stream source and two engine hosts (each in a wine prefix of its own), the second getting the
channel only through the first; the player lists the channel with the second host's relayed
stream as its address, and a double click in the channel tree plays it, the player control
fetching the stream itself. The status bar names the channel and the control's byte count rises.
"""

import json
import os
import subprocess
import sys
import time
from pathlib import Path

import pytest

from conftest import wine_usable

if not wine_usable():
    pytest.skip("wine cannot run 32-bit programs on this machine", allow_module_level=True)

from demo_player import PLAYING, DemoPlayer  # noqa: E402
from kestrav import engine_host  # noqa: E402
from link_server import link_servers  # noqa: E402
from test_player_shell import BUILD, PLAYER_DIR, SHOTS, TEST_BIN, WINE_DIR, wine_env  # noqa: E402

HERE = Path(__file__).resolve().parent
SOURCE = HERE.parents[1]
CHANNEL = "{5A1E0C4E-2A2B-4C3D-9E8F-0000000DE301}"
NAME = "本机演示"


@pytest.fixture
def source(tmp_path):
    """A stream source of synthetic pieces that serves one transfer only, so the second host can
    get the channel only from the first."""
    range_file = tmp_path / "range.txt"
    proc = subprocess.Popen(
        [sys.executable, str(SOURCE / "tools" / "srcpeer.py"), "--tcp", "127.0.0.1:0", "--udp", "0", "--guid", CHANNEL,
         "--header-type", "259", "--payload", "synthetic", "--range-file", str(range_file), "--max-transfers", "1"],
        stdout=subprocess.PIPE, text=True)
    ports = json.loads(proc.stdout.readline())
    deadline = time.time() + 10
    while not range_file.exists() and time.time() < deadline:
        time.sleep(0.1)
    yield {"tcp": ports["tcp"], "udp": ports["udp"], "range_file": range_file}
    proc.terminate()
    proc.wait(10)


@pytest.fixture
def linksrv(tmp_path):
    yield from link_servers(tmp_path)


@pytest.fixture
def hosts(tmp_path):
    started = []

    def start(name, args):
        workdir = tmp_path / name
        workdir.mkdir()
        prefix = engine_host.prefix_up(str(workdir / "prefix"))
        try:
            host = engine_host.EngineHost(str(workdir), args, env={"WINEPREFIX": prefix, "QUIB_SHM_NS": name})
        except BaseException:
            engine_host.prefix_down(prefix)
            raise
        host.prefix = prefix
        started.append(host)
        host.wait_event("created")
        host.stream_port = host.wait_event("stream_port", timeout=30)["port"]
        return host

    yield start
    for host in started:
        host.kill()
        engine_host.prefix_down(host.prefix)


def test_the_demo_channel_plays_in_the_player_through_the_second_host(tmp_path, source, linksrv, hosts):
    engine_host.use_wine(str(WINE_DIR), os.environ.get("KESTRAV_ENGINE_DIR") or str(BUILD / "dist" / "engine"))
    server = linksrv("--range-file", str(source["range_file"]))

    def host_args(port):
        return ["--tcp", str(port), "--udp", str(port + 1), "--status-ms", "0", "--channel", CHANNEL,
                "--link", "127.0.0.1:%d" % server.udp_port]

    hosts("first", host_args(engine_host.free_port_pair()) + ["--source", "127.0.0.1:%d:%d" % (source["tcp"], source["udp"])])
    second = hosts("second", host_args(engine_host.free_port_pair()))

    player = DemoPlayer(tmp_path / "viewer", "http://127.0.0.1:%d/?name=%s" % (second.stream_port, NAME), NAME,
                        PLAYER_DIR, TEST_BIN / "uiquery.exe", env=wine_env())
    try:
        player.start()
        player.play()
        playing = player.wait_playing()
        player.screenshot(SHOTS / "player_playing.png")
        assert playing, (player.status(), player.byte_counts()[-3:])
        assert player.status() == PLAYING + NAME
        counts = player.byte_counts()
        assert counts[-1] > counts[0] > 0
    finally:
        player.close()
