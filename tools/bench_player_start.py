#!/usr/bin/python3
"""Benchmark of the player's start: seconds from starting zentavo.exe to its main window on the
screen, with the channel database the player ships (4 channels) and with one of 10 000 channels
in 200 groups, each started --runs times (default 3) in one run; prints every start and the
median of each, and how the larger start compares with the shipped one.

    bench_player_start.py [--runs N] [--channels N] [--groups N] [--build DIR]

The Windows build runs under wine in a prefix cloned from the build's template prefix (made by
the tests or tools/wine-env up) on an Xvfb display of its own; no update server is asked.
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

SOURCE = Path(__file__).resolve().parents[1]
WINE_ENV = SOURCE / "tools" / "wine-env"
TITLE = "Kestrav卫星网络电视"
SETTINGS = "[升级信息]\r\n数据库版本=2008-1-1\r\n".encode("gbk")


def channel_database(channels, groups):
    rows = "".join("<channel><Catalog>组%03d</Catalog><ChannelName>频道%05d</ChannelName>"
                   "<PlayLink>http://127.0.0.1:8888/%d</PlayLink></channel>\r\n" % (i % groups, i, i)
                   for i in range(channels))
    return ('<?xml version="1.0" encoding="GB2312"?>\r\n<root>\r\n%s</root>\r\n' % rows).encode("gbk")


class Bench:
    def __init__(self, build, work):
        self.build = build
        self.work = work
        template = build / "wine" / "template"
        if not (template / ".complete").exists():
            subprocess.run([str(WINE_ENV), "up", str(build / "wine")], check=True, stdout=subprocess.DEVNULL)
        self.prefix = work / "prefix"
        subprocess.run([str(WINE_ENV), "clone", str(template), str(self.prefix)], check=True)
        subprocess.run([str(WINE_ENV), "xvfb-up", str(work)], check=True)
        self.env = dict(os.environ, WINEPREFIX=str(self.prefix), WINEARCH="win32", WINEDEBUG="-all",
                        LC_ALL="zh_CN.UTF-8", DISPLAY=(work / "display").read_text().strip())
        for proxy in ("http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY"):
            self.env.pop(proxy, None)
        quiet = {"stdin": subprocess.DEVNULL, "stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL}
        subprocess.run(["wineserver", "-p"], env=self.env, check=True, **quiet)
        subprocess.run(["wine", "cmd", "/c", "exit"], env=self.env, check=False, **quiet)

    def player(self, name, database):
        folder = self.work / name
        shutil.copytree(self.build / "dist" / "player", folder)
        if database is not None:
            (folder / "vororur" / "bfsjk.xml").write_bytes(database)
        (folder / "vororur" / "zhuce.ini").write_bytes(SETTINGS)
        return folder

    def main_window_shown(self):
        return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % TITLE], env=self.env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0

    def start_seconds(self, folder):
        quiet = {"stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL}
        env = dict(self.env, ZIV_LOG="Z:" + str(self.work / "ziv.log").replace("/", "\\"))
        started = time.monotonic()
        process = subprocess.Popen(["wine", str(folder / "zentavo.exe")], env=env, **quiet)
        try:
            while not self.main_window_shown():
                if process.poll() is not None or time.monotonic() - started > 600:
                    raise RuntimeError("the player ended or took over 600 s without showing its main window")
                time.sleep(0.05)
            return time.monotonic() - started
        finally:
            subprocess.run(["wine", str(self.build / "tests-bin" / "uiquery.exe"), "close", TITLE], env=self.env,
                           timeout=60, **quiet)
            try:
                process.wait(timeout=60)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()

    def close(self):
        subprocess.run(["wineserver", "-k"], env=self.env, check=False, stderr=subprocess.DEVNULL)
        subprocess.run([str(WINE_ENV), "down", str(self.work)], check=False, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)


def main(argv=None):
    parser = argparse.ArgumentParser(description="start-to-main-window benchmark of the player")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--channels", type=int, default=10000)
    parser.add_argument("--groups", type=int, default=200)
    parser.add_argument("--build", default=str(SOURCE / "build" / "windows"))
    args = parser.parse_args(argv)
    with tempfile.TemporaryDirectory(prefix="bench_player_") as work:
        bench = Bench(Path(args.build), Path(work))
        try:
            cases = [("the shipped 4 channels", bench.player("shipped", None)),
                     ("%d channels in %d groups" % (args.channels, args.groups),
                      bench.player("large", channel_database(args.channels, args.groups)))]
            medians = []
            print("%-32s %-30s %s" % ("channel database", "start to main window (s)", "median (s)"))
            for label, folder in cases:
                runs = [bench.start_seconds(folder) for _ in range(args.runs)]
                medians.append(statistics.median(runs))
                print("%-32s %-30s %.1f" % (label, " ".join("%.1f" % r for r in runs), medians[-1]), flush=True)
            print("larger start / shipped start: %.2f" % (medians[1] / medians[0]))
        finally:
            bench.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
