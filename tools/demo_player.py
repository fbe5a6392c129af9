#!/usr/bin/python3
"""Plays a channel in the player as a viewer would: the demo's last step and its test.

    demo_player.py --url URL --name NAME --work DIR --shot PNG [--seconds S]
                   [--player-dir DIR] [--uiquery EXE]

Copies the built player into DIR/player with a channel database that lists the one channel
(group "演示频道", the given name, its PlayLink the URL), starts zentavo.exe under wine (the
prefix and display of the environment: WINEPREFIX, DISPLAY), double-clicks the channel in the
channel tree, and waits until the status bar says "正在播放:" with the channel's name and the
player control, which fetches the stream itself (ZIV_FETCH=1), has counted a rising number of
bytes. It then saves a screenshot of the playing main window, prints its path, keeps playing for
S seconds (default 0) and closes the player. The exit code is 0 only when the channel played.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import time
from pathlib import Path

SOURCE = Path(__file__).resolve().parents[1]
BUILD = SOURCE / "build" / "windows"
TITLE = "Kestrav卫星网络电视"
PLAYING = "正在播放:"
GROUP = "演示频道"
CHANNELS_PAGE = 0
# The connection settings the player ships, without update servers: the demo stays offline.
SETTINGS = "".join("[%s]\r\n%s=%s\r\n" % (k, k, v) for k, v in (
    ("udp", "6171"), ("tcp", "3040"), ("pdlj", "30"), ("wllj", "30"), ("wllx", "3"), ("upnp", "1"), ("pjlj", "1")))


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


def channel_database(name, url):
    """A channel database of one channel, in the GBK bytes of the installed file."""
    escape = lambda text: text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")  # noqa: E731
    text = ('<?xml version="1.0" encoding="GB2312"?>\r\n<root>\r\n<channel><Catalog>%s</Catalog>'
            '<ChannelName>%s</ChannelName><PlayLink>%s</PlayLink></channel>\r\n</root>\r\n'
            % (GROUP, escape(name), escape(url)))
    return text.encode("gbk")


def wait_until(check, timeout, step=0.3):
    deadline = time.monotonic() + timeout
    value = check()
    while not value and time.monotonic() < deadline:
        time.sleep(step)
        value = check()
    return value


class DemoPlayer:
    """The player, started on a copy of the built player folder that plays one channel."""

    def __init__(self, work, url, name, player_dir=BUILD / "dist" / "player", uiquery=BUILD / "tests-bin" / "uiquery.exe",
                 env=None):
        self.work = Path(work)
        self.folder = self.work / "player"
        self.name = name
        self.uiquery_exe = Path(uiquery)
        self.ziv_log = self.work / "ziv.log"
        shutil.rmtree(self.folder, ignore_errors=True)
        shutil.copytree(player_dir, self.folder)
        (self.folder / "vororur" / "bfsjk.xml").write_bytes(channel_database(name, url))
        (self.folder / "vororur" / "zhuce.ini").write_bytes(SETTINGS.encode("gbk"))
        self.env = dict(os.environ if env is None else env)
        self.env.update(WINEARCH="win32", WINEDEBUG="-all", LC_ALL="zh_CN.UTF-8", ZIV_FETCH="1",
                        ZIV_LOG=windows_path(self.ziv_log), ROVASK_LOG=windows_path(self.work / "rovask.log"))
        for proxy in ("http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY"):
            self.env.pop(proxy, None)
        self.process = None

    def query(self, *args):
        import json
        out = subprocess.run(["wine", str(self.uiquery_exe), *map(str, args)], env=self.env, stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL, timeout=60)
        lines = [l for l in out.stdout.decode("utf-8", "replace").splitlines() if l.startswith("{")]
        return json.loads(lines[-1]) if lines else {}

    def start(self):
        if self.query("find", TITLE).get("found"):
            raise RuntimeError("another player is already running in this prefix")
        self.process = subprocess.Popen(["wine", str(self.folder / "zentavo.exe")], env=self.env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not wait_until(lambda: self.query("find", TITLE).get("found"), timeout=90):
            raise RuntimeError("the player's main window did not appear")

    def play(self):
        """Double-clicks the channel in the channel tree, below its group."""
        nodes = wait_until(lambda: self.query("tree", TITLE, CHANNELS_PAGE).get("nodes"), timeout=30) or []
        texts = [n["text"] for n in nodes]
        if self.name not in texts:
            raise RuntimeError("the channel tree does not list %s: %s" % (self.name, texts))
        self.query("treeclick", TITLE, CHANNELS_PAGE, texts.index(self.name), "dbl")

    def status(self):
        panels = self.query("status", TITLE).get("panels", [])
        return panels[0] if panels else None

    def byte_counts(self):
        """The byte counts the control has logged so far, in order."""
        if not self.ziv_log.exists():
            return []
        text = self.ziv_log.read_text(encoding="utf-8", errors="replace")
        return [int(n) for n in re.findall(r"^\d+ bytes (\d+)$", text, re.M)]

    def wait_playing(self, timeout=90):
        """True once the status bar shows the channel playing and the control's count has risen."""
        if not wait_until(lambda: self.status() == PLAYING + self.name, timeout=timeout):
            return False
        return bool(wait_until(lambda: (lambda c: len(c) >= 2 and c[-1] > c[0] > 0)(self.byte_counts()), timeout=30))

    def screenshot(self, path):
        """A picture of the main window (the whole screen when the window is not found by name)."""
        path = Path(path)
        path.parent.mkdir(parents=True, exist_ok=True)
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % TITLE], env=self.env,
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True).stdout.split()
        if found:
            # The pointer leaves the tree, whose hint would otherwise cover part of the picture.
            subprocess.run(["xdotool", "mousemove", "--window", found[0], "200", "200"], env=self.env, check=False,
                           timeout=30)
            time.sleep(1)
        subprocess.run(["import", "-window", found[0] if found else "root", str(path)], env=self.env, check=True,
                       timeout=60)
        return path

    def close(self):
        if self.process is None or self.process.poll() is not None:
            return
        self.query("close", TITLE)
        try:
            self.process.wait(timeout=30)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


def main(argv=None):
    parser = argparse.ArgumentParser(description="play a channel in the player as a viewer would")
    parser.add_argument("--url", required=True)
    parser.add_argument("--name", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--shot", required=True)
    parser.add_argument("--seconds", type=float, default=0)
    parser.add_argument("--player-dir", default=str(BUILD / "dist" / "player"))
    parser.add_argument("--uiquery", default=str(BUILD / "tests-bin" / "uiquery.exe"))
    args = parser.parse_args(argv)
    player = DemoPlayer(args.work, args.url, args.name, args.player_dir, args.uiquery)
    try:
        player.start()
        player.play()
        playing = player.wait_playing()
        shot = player.screenshot(args.shot)
        if not playing:
            print("the channel did not play: status %r, byte counts %s (screenshot %s)"
                  % (player.status(), player.byte_counts()[-3:], shot), file=sys.stderr)
            return 1
        print("the player plays %s: %d bytes so far; screenshot of its window: %s"
              % (args.name, player.byte_counts()[-1], shot), flush=True)
        time.sleep(args.seconds)
        return 0
    finally:
        player.close()


if __name__ == "__main__":
    sys.exit(main())
