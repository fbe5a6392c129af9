import os
import sys

import pytest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "harness"))
from link_server import link_servers  # noqa: E402

TOOLS = os.path.join(os.environ.get("KESTRAV_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", "..")),
                     "tools")
sys.path.insert(0, TOOLS)


@pytest.fixture
def linksrv(tmp_path):
    """Starts link servers on 127.0.0.1 with the given arguments; all stop after the test."""
    yield from link_servers(tmp_path)
