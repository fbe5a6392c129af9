"""Runs the engine host program (QEB.exe and its copies) with the framework host and the
stand-in libraries from a private copy of the engine folder, and talks to it: stdin commands
in, JSON lines out, the engine log and the network trace on disk."""

import json
import os
import queue
import shutil
import signal
import socket
import struct
import subprocess
import threading
import time
import uuid

ENGINE_DIR = os.environ.get("KESTRAV_ENGINE_DIR", "")
# Set for the Windows build: the engine is the set of PE files of dist/engine, run under wine
# in this run's prefix (or in a private clone of it; see prefix_clone).
WINE_DIR = os.environ.get("KESTRAV_WINE_DIR", "")
UNDER_WINE = bool(WINE_DIR)
SOURCE_DIR = os.environ.get("KESTRAV_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))
WINE_RUN = os.path.join(SOURCE_DIR, "tools", "wine-run")
WINE_ENV = os.path.join(SOURCE_DIR, "tools", "wine-env")
ENGINE_SUFFIXES = (".exe", ".dll", ".DLL") if UNDER_WINE else (".so", ".exe")

NATIVE_ENV = {
    "ASAN_OPTIONS": "detect_leaks=0:abort_on_error=0:halt_on_error=1",
    "UBSAN_OPTIONS": "print_stacktrace=1:halt_on_error=1",
}


def copy_engine(dest):
    """A private engine folder: crash.log and the modules' files land there, not in the build."""
    os.makedirs(dest, exist_ok=True)
    for name in os.listdir(ENGINE_DIR):
        src = os.path.join(ENGINE_DIR, name)
        if os.path.isfile(src) and name.endswith(ENGINE_SUFFIXES):
            shutil.copy2(src, os.path.join(dest, name))
    return dest


def module_file(module):
    """The file a module name stands for in this build: "WIX.DLL" natively is libWIX.so."""
    return module if UNDER_WINE else "lib" + module.split(".")[0] + ".so"


def emulated_i386():
    """True where 32-bit code runs through qemu's user-mode emulator (binfmt_misc)."""
    try:
        with open("/proc/sys/fs/binfmt_misc/qemu-i386") as f:
            return f.readline().strip() == "enabled"
    except OSError:
        return False


def bad_write_fault_code():
    """The exception code a write through a null pointer raises. Under wine on qemu's user-mode
    emulator the signal reaches wine without the page-fault trap number, so wine reports an
    illegal instruction instead of an access violation."""
    return "0xc000001d" if UNDER_WINE and emulated_i386() else "0xc0000005"


def program_path(path):
    """A path as the program itself sees it: under wine, the Z: drive form."""
    return "Z:" + path.replace("/", "\\") if UNDER_WINE else path


def prefix_clone(dest):
    """A private wine prefix (hardlink clone of this run's template) with its own wineserver,
    for a host whose named objects must not meet those of the others. Natively: None."""
    if not UNDER_WINE:
        return None
    subprocess.run([WINE_ENV, "clone", os.path.join(WINE_DIR, "template"), dest], check=True)
    return dest


def wine_env(prefix):
    """The environment of a wine tool (wineserver, wine-run) for one prefix."""
    env = dict(os.environ)
    env.update({"WINEPREFIX": prefix, "WINEARCH": "win32", "WINEDEBUG": "-all"})
    return env


def prefix_up(dest):
    """prefix_clone with a persistent wineserver of its own and wine's system processes
    running, so that the prefix's start-up is paid here, no server is born inside a host's
    process group, and no system process inherits (and holds open) a program's output pipes.
    Pair with prefix_down. Natively: None."""
    prefix = prefix_clone(dest)
    if prefix:
        quiet = {"stdin": subprocess.DEVNULL, "stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL}
        subprocess.run(["wineserver", "-p"], env=wine_env(prefix), check=True, **quiet)
        subprocess.run([WINE_RUN, "cmd", "/c", "exit"], env=dict(wine_env(prefix), WINE_TIMEOUT="60"),
                       check=False, **quiet)
    return prefix


def prefix_down(prefix):
    """Stops the wineserver of a prefix made by prefix_up, and whatever still runs in it."""
    if prefix:
        subprocess.run(["wineserver", "-k"], env=wine_env(prefix), check=False,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def use_wine(wine_dir, engine_dir=None):
    """Switches this module to the Windows build under wine, for tools that CTest does not start
    (it sets KESTRAV_WINE_DIR for its own entries). wine_dir holds the template prefix."""
    global WINE_DIR, UNDER_WINE, ENGINE_SUFFIXES, ENGINE_DIR
    WINE_DIR, UNDER_WINE = wine_dir, True
    ENGINE_SUFFIXES = (".exe", ".dll", ".DLL")
    if engine_dir:
        ENGINE_DIR = engine_dir


def guid_bytes(text):
    """GUID struct bytes of a GUID text (Data1..3 little-endian, Data4 in order)."""
    return uuid.UUID(text.strip("{}")).bytes_le


def free_port(kind=socket.SOCK_STREAM):
    s = socket.socket(socket.AF_INET, kind)
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


def free_port_pair(kind=socket.SOCK_STREAM):
    """A port p with p and p + 1 both free, for the TCP and the UDP kind."""
    for _ in range(200):
        p = free_port(kind)
        if p >= 65535:
            continue
        try:
            probes = []
            for port in (p, p + 1):
                for k in (socket.SOCK_STREAM, socket.SOCK_DGRAM):
                    s = socket.socket(socket.AF_INET, k)
                    s.bind(("127.0.0.1", port))
                    probes.append(s)
            for s in probes:
                s.close()
            return p
        except OSError:
            for s in probes:
                s.close()
    raise RuntimeError("no free port pair")


class EngineHost:
    """One QEB process."""

    def __init__(self, workdir, args=(), program="QEB.exe", env=None, stdin=True):
        self.workdir = workdir
        self.engine = os.path.join(workdir, "engine")
        if not os.path.isdir(self.engine):
            copy_engine(self.engine)
        self.log_path = os.path.join(workdir, "engine.log")
        self.net_log_path = os.path.join(workdir, "net.log")
        self.shm_ns = "fwtest%d_%d" % (os.getpid(), int(time.time() * 1000) % 1000000)
        full_env = dict(os.environ)
        full_env.update(NATIVE_ENV)
        full_env.update({
            "QUIB_LOG": self.log_path,
            "KUZ_LOG": self.net_log_path,
            "QUIB_SHM_NS": self.shm_ns,
            "KUZ_BIND_ADDR": "127.0.0.1",
        })
        full_env.update(env or {})
        self.events = queue.Queue()
        self.seen = []
        command = [os.path.join(self.engine, program)] + list(args)
        if UNDER_WINE:
            # No time limit of wine-run's own: the test decides when a host has run long enough.
            full_env.setdefault("WINE_TIMEOUT", "0")
            command = [WINE_RUN] + command
        self.proc = subprocess.Popen(
            command,
            stdin=subprocess.PIPE if stdin else subprocess.DEVNULL,
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, cwd=workdir, env=full_env,
            start_new_session=UNDER_WINE)
        self.stderr_lines = []
        threading.Thread(target=self._read_stdout, daemon=True).start()
        threading.Thread(target=self._read_stderr, daemon=True).start()

    def _read_stdout(self):
        for raw in self.proc.stdout:
            line = raw.decode("utf-8", "replace").strip()
            if not line:
                continue
            try:
                self.events.put(json.loads(line))
            except ValueError:
                self.events.put({"ev": "unparsed", "text": line})
        self.events.put(None)

    def _read_stderr(self):
        for raw in self.proc.stderr:
            self.stderr_lines.append(raw.decode("utf-8", "replace"))

    def send(self, command):
        self.proc.stdin.write((command + "\n").encode())
        self.proc.stdin.flush()

    def wait_event(self, ev, timeout=20, where=None):
        """The next line of kind ev (matching where), skipping others."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            try:
                item = self.events.get(timeout=max(0.01, deadline - time.time()))
            except queue.Empty:
                break
            if item is None:
                break
            self.seen.append(item)
            if item.get("ev") == ev and (where is None or where(item)):
                return item
        raise AssertionError("no %s line; seen %r; stderr %s" % (ev, self.seen[-10:], "".join(self.stderr_lines)[-3000:]))

    def sysinfo(self):
        self.send("sysinfo")
        return self.wait_event("sysinfo")

    def wait_sysinfo(self, predicate, timeout=10):
        """Polls the SysInfoBlock until predicate holds (the framework works on its own thread)."""
        deadline = time.time() + timeout
        while True:
            info = self.sysinfo()
            if predicate(info) or time.time() > deadline:
                return info
            time.sleep(0.05)

    def poll(self, command, ev, predicate, timeout=15):
        """Repeats a command until its line satisfies predicate; returns the last line."""
        deadline = time.time() + timeout
        while True:
            self.send(command)
            item = self.wait_event(ev)
            if predicate(item) or time.time() > deadline:
                return item
            time.sleep(0.1)

    def sync(self):
        """Returns once every command sent so far has been carried out by the host."""
        return self.sysinfo()

    def log_bytes(self):
        try:
            with open(self.log_path, "rb") as f:
                return f.read()
        except FileNotFoundError:
            return b""

    def log_text(self):
        return self.log_bytes().decode("latin-1")

    def log_lines(self):
        # Each line is "<tick> <pid>:<tid> <text>"; keep the text.
        out = []
        for line in self.log_text().splitlines():
            parts = line.split(" ", 2)
            out.append(parts[2] if len(parts) == 3 else line)
        return out

    def wait_log(self, predicate, timeout=15):
        deadline = time.time() + timeout
        while time.time() < deadline:
            lines = self.log_lines()
            found = [l for l in lines if predicate(l)]
            if found:
                return found
            time.sleep(0.05)
        raise AssertionError("log line not found; last lines:\n" + "\n".join(self.log_lines()[-30:]))

    def wait_log_contains(self, text, timeout=15):
        return self.wait_log(lambda l: text in l, timeout)

    def quit(self, timeout=30):
        if self.proc.poll() is None:
            try:
                self.send("quit")
            except (BrokenPipeError, OSError):
                pass
        rc = self.proc.wait(timeout=timeout)
        self.cleanup()
        return rc

    def wait_exit(self, timeout=30):
        rc = self.proc.wait(timeout=timeout)
        self.cleanup()
        return rc

    def kill(self):
        if self.proc.poll() is None:
            if UNDER_WINE:
                # wine-run's time limit and the wine process under it are one process group.
                os.killpg(self.proc.pid, signal.SIGKILL)
            else:
                self.proc.kill()
            self.proc.wait()
        self.cleanup()

    def cleanup(self):
        for name in os.listdir("/dev/shm"):
            if name.startswith(self.shm_ns + "."):
                try:
                    os.unlink(os.path.join("/dev/shm", name))
                except OSError:
                    pass


# ---- peers ----

def framed(payload):
    return struct.pack("<I", len(payload)) + payload


def recv_exact(sock, n):
    data = b""
    while len(data) < n:
        chunk = sock.recv(n - len(data))
        if not chunk:
            return None
        data += chunk
    return data


def recv_frame(sock):
    """One framed message, or None when the connection ends first."""
    head = recv_exact(sock, 4)
    if head is None:
        return None
    (length,) = struct.unpack("<I", head)
    return recv_exact(sock, length)


def routed_packet(guid, size, fill=b"\x5a"):
    """size bytes whose bytes 12..27 are the component GUID."""
    head = (fill * 12)[:12]
    body = guid_bytes(guid)
    packet = (head + body + fill * size)[:size]
    return packet


def script(guid, action, args=b""):
    """Data of host command 2012: GUID | u32 action | arguments, as hex for the cmd command."""
    return (guid_bytes(guid) + struct.pack("<I", action) + args).hex()


def ipv4_be(text):
    return struct.unpack("<I", socket.inet_aton(text))[0]
