import itertools
import os

import pytest

from kestrav import engine_host
from link_server import link_servers

_namespaces = itertools.count(1)


@pytest.fixture
def relay_hosts(tmp_path):
    """Starts engine hosts, each in its own folder and with its own namespace of named blocks
    (natively a QUIB_SHM_NS, under wine a prefix of its own), so that several of them can run
    one channel; none outlives the test."""
    started = []

    def start(args=(), env=None):
        index = len(started)
        workdir = tmp_path / ("host%d" % index)
        workdir.mkdir()
        namespace = "relaytest%d_%d" % (os.getpid(), next(_namespaces))
        full_env = {"QUIB_SHM_NS": namespace}
        prefix = engine_host.prefix_up(str(workdir / "prefix"))
        if prefix:
            full_env["WINEPREFIX"] = prefix
        full_env.update(env or {})
        try:
            h = engine_host.EngineHost(str(workdir), list(args), env=full_env)
        except BaseException:
            engine_host.prefix_down(prefix)
            raise
        h.shm_ns = namespace  # what the clean-up removes
        h.prefix = prefix
        started.append(h)
        return h

    yield start
    for h in started:
        h.kill()
        engine_host.prefix_down(h.prefix)


@pytest.fixture
def linksrv(tmp_path):
    """Starts link servers on 127.0.0.1 with the given arguments; all stop after the test."""
    yield from link_servers(tmp_path)
