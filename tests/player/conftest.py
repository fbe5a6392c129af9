"""The player's whole-program tests need wine. Where wine cannot run, the session ends with the
exit code CTest reads as "skipped" (77) instead of pytest's "nothing collected"."""

import os
import subprocess
from pathlib import Path

SOURCE = Path(os.environ.get("KESTRAV_SOURCE_DIR", Path(__file__).resolve().parents[2]))
SKIPPED = 77


def wine_usable():
    return subprocess.run([str(SOURCE / "tools" / "wine-env"), "usable"],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0


def pytest_sessionfinish(session, exitstatus):
    if not wine_usable():
        session.exitstatus = SKIPPED
