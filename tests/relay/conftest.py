import itertools
import json
import os
import subprocess
import sys

import pytest

HERE = os.path.dirname(__file__)
SOURCE_DIR = os.environ.get("KESTRAV_SOURCE_DIR", os.path.join(HERE, "..", ".."))
TOOLS = os.path.join(SOURCE_DIR, "tools")
sys.path.insert(0, os.path.join(HERE, "..", "framework"))
sys.path.insert(0, TOOLS)

import engine_host  # noqa: E402

_namespaces = itertools.count(1)


@pytest.fixture
def relay_hosts(tmp_path):
    """Starts engine hosts, each in its own folder and with its own namespace of named blocks,
    so that several of them can run one channel; none outlives the test."""
    started = []

    def start(args=(), env=None):
        index = len(started)
        workdir = tmp_path / ("host%d" % index)
        workdir.mkdir()
        namespace = "relaytest%d_%d" % (os.getpid(), next(_namespaces))
        full_env = {"QUIB_SHM_NS": namespace}
        full_env.update(env or {})
        h = engine_host.EngineHost(str(workdir), list(args), env=full_env)
        h.shm_ns = namespace  # what the clean-up removes
        started.append(h)
        return h

    yield start
    for h in started:
        h.kill()


class LinkServer:
    def __init__(self, args, log_path):
        self.log_path = log_path
        self.process = subprocess.Popen(
            ["/usr/bin/python3", os.path.join(TOOLS, "linksrv.py"), "--udp", "127.0.0.1:0", "--log", log_path]
            + list(args), stdout=subprocess.PIPE, text=True)
        line = self.process.stdout.readline()
        if not line:
            self.process.wait(5)
            raise RuntimeError("linksrv.py did not start")
        self.udp_port = json.loads(line)["udp"]

    def log_entries(self):
        try:
            with open(self.log_path) as f:
                return [json.loads(line) for line in f if line.strip()]
        except FileNotFoundError:
            return []

    def stop(self):
        self.process.terminate()
        try:
            self.process.wait(5)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        self.process.stdout.close()


@pytest.fixture
def linksrv(tmp_path):
    """Starts link servers on 127.0.0.1 with the given arguments; all stop after the test."""
    started = []

    def start(*args):
        server = LinkServer(args, str(tmp_path / ("linksrv%d.log" % len(started))))
        started.append(server)
        return server

    yield start
    for server in started:
        server.stop()
