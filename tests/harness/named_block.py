"""An engine host's named blocks as another process of its machine sees them: natively the
files under /dev/shm in the host's namespace (QUIB_SHM_NS), under wine the file mappings of the
host's own prefix, looked at by block_probe.exe run in that prefix."""

import json
import os
import subprocess

from kestrav import engine_host

BUILD_DIR = os.environ.get("KESTRAV_BUILD_DIR", "")
PROBE = os.path.join(BUILD_DIR, "tests-bin", "block_probe.exe")


def _probe(h, name, size):
    env = engine_host.wine_env(h.prefix)
    env["WINE_TIMEOUT"] = "60"
    run = subprocess.run([engine_host.WINE_RUN, PROBE, "--bytes", str(size), name], env=env,
                         capture_output=True, text=True, timeout=90)
    for line in run.stdout.splitlines():
        if line.startswith("{"):
            return json.loads(line)
    raise AssertionError("block_probe gave no answer: rc %d, %s" % (run.returncode, run.stderr[-2000:]))


def read(h, name, size):
    """The first size bytes of the block called name, or None when no block has that name."""
    if engine_host.UNDER_WINE:
        seen = _probe(h, name, size)
        return bytes.fromhex(seen["hex"]) if seen["exists"] and "hex" in seen else None
    try:
        with open("/dev/shm/%s.%s" % (h.shm_ns, name), "rb") as f:
            return f.read(size)
    except FileNotFoundError:
        return None


def exists(h, name):
    return read(h, name, 0) is not None
