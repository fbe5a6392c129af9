"""Stops a helper process a test started: asked to end, waited for, killed when it does not end
in time, its output pipe closed."""

import subprocess


def stop_process(process, timeout=5):
    process.terminate()
    try:
        process.wait(timeout)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
    if process.stdout:
        process.stdout.close()
