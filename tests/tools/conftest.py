import pytest

from link_server import link_servers


@pytest.fixture
def linksrv(tmp_path):
    """Starts link servers on 127.0.0.1 with the given arguments; all stop after the test."""
    yield from link_servers(tmp_path)
