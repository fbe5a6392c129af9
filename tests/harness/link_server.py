"""Runs tools/linksrv.py for a test: started on 127.0.0.1 with its ports read from its first
line, stopped (and waited for) afterwards."""

import json
import os
import subprocess

from processes import stop_process

SOURCE_DIR = os.environ.get("KESTRAV_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))
LINKSRV = os.path.join(SOURCE_DIR, "tools", "linksrv.py")


class RunningLinkServer:
    def __init__(self, args, log_path):
        self.log_path = log_path
        self.process = subprocess.Popen(
            ["/usr/bin/python3", LINKSRV, "--udp", "127.0.0.1:0", "--log", log_path] + list(args),
            stdout=subprocess.PIPE, text=True)
        line = self.process.stdout.readline()
        if not line:
            self.process.wait(5)
            raise RuntimeError("linksrv.py did not start")
        ports = json.loads(line)
        self.udp_port, self.tcp_port = ports["udp"], ports["tcp"]

    def log_entries(self):
        try:
            with open(self.log_path) as f:
                return [json.loads(line) for line in f if line.strip()]
        except FileNotFoundError:
            return []

    def stop(self):
        stop_process(self.process)


def link_servers(tmp_path):
    """The body of a `linksrv` fixture: yields a starter; every server started is stopped."""
    started = []

    def start(*args):
        server = RunningLinkServer(args, str(tmp_path / ("linksrv%d.log" % len(started))))
        started.append(server)
        return server

    yield start
    for server in started:
        server.stop()
