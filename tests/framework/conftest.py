import pytest

from kestrav import engine_host


@pytest.fixture
def host_factory(tmp_path):
    """Starts engine hosts in a private folder and makes sure none outlives the test."""
    started = []

    def start(args=(), program="QEB.exe", env=None, stdin=True, workdir=None):
        h = engine_host.EngineHost(str(workdir or tmp_path), list(args), program=program, env=env, stdin=stdin)
        started.append(h)
        return h

    yield start
    for h in started:
        h.kill()
