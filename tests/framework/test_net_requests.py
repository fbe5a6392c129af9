"""Outgoing requests a component makes through the framework: one connect, one send, the first
reply or one failure code, each reported exactly once."""

import socket
import struct
import threading
import time

import pytest

from kestrav.engine_host import framed, free_port, recv_frame, script

COMPONENT = "{7D0C2A4E-0000-4000-8000-0000000000E1}"
REQUEST_DATA = b"hello request"


class Peer:
    """A framed TCP peer on 127.0.0.1 that answers one connection as told."""

    def __init__(self, behaviour, reply=b""):
        self.listener = socket.socket()
        self.listener.bind(("127.0.0.1", 0))
        self.listener.listen(4)
        self.port = self.listener.getsockname()[1]
        self.behaviour = behaviour
        self.reply = reply
        self.received = []
        self.closed_by_engine = threading.Event()
        threading.Thread(target=self._serve, daemon=True).start()

    def _serve(self):
        conn, _ = self.listener.accept()
        conn.settimeout(30)
        try:
            if self.behaviour == "close":
                conn.close()
                return
            self.received.append(recv_frame(conn))
            if self.behaviour in ("reply", "reply_close"):
                conn.sendall(framed(self.reply))
                if self.behaviour == "reply_close":
                    conn.close()
                    return
            if conn.recv(1) == b"":
                self.closed_by_engine.set()
        except OSError:
            pass

    def close(self):
        self.listener.close()


def request_command(port, timeout_ms, data=REQUEST_DATA):
    args = socket.inet_aton("127.0.0.1") + struct.pack("<HI", port, timeout_ms) + data
    return "cmd 2012 " + script(COMPONENT, 2, args)


@pytest.fixture
def host(host_factory):
    h = host_factory(["--tcp", "0", "--udp", "0", "--module", "TSTMOD.DLL"])
    h.wait_event("started")
    h.send("create %s type=4242" % COMPONENT)
    h.wait_sysinfo(lambda i: i["rows"] == 1)
    yield h
    assert h.quit() == 0


def reports(h):
    return [l for l in h.log_lines() if l.startswith(("TSTMOD reply", "TSTMOD failed"))]


def settle(h):
    """Lets late events arrive, then makes sure the loop has handled everything before."""
    time.sleep(0.5)
    h.send("cmd 2012 " + script(COMPONENT, 99))
    h.wait_log(lambda l: l == "TSTMOD action 99")


@pytest.mark.parametrize("behaviour", ["reply", "reply_close"])
def test_a_reply_of_n_bytes_arrives_with_the_peer_address_behind_it(host, behaviour):
    reply = bytes(range(37))
    peer = Peer(behaviour, reply)
    try:
        host.send(request_command(peer.port, 10000))
        host.wait_log(lambda l: l.startswith("TSTMOD reply"))
        settle(host)
        assert reports(host) == ["TSTMOD reply n=37 at=37 family=2 peer=127.0.0.1:%d" % peer.port]
        assert peer.received == [REQUEST_DATA]
        replies = [l for l in host.log_lines() if l.startswith("TSTMOD id=1007 ")]
        assert len(replies) == 1 and replies[0].endswith(" p4=0x1 len=37 data=" + reply[:32].hex())
        if behaviour == "reply":
            assert peer.closed_by_engine.wait(10), "the request closes its connection once done"
    finally:
        peer.close()


@pytest.mark.parametrize("behaviour, timeout_ms, code", [
    ("close", 10000, 4000),   # accepted and closed without a reply
    ("silent", 1000, 5000),   # never answers
    ("refused", 10000, 3000),  # nobody listens on the port
])
def test_each_failure_is_reported_once_with_its_code(host, behaviour, timeout_ms, code):
    peer = None
    if behaviour == "refused":
        port = free_port()
    else:
        peer = Peer(behaviour)
        port = peer.port
    try:
        host.send(request_command(port, timeout_ms))
        host.wait_log(lambda l: l.startswith("TSTMOD failed"), timeout=20)
        settle(host)
        assert reports(host) == ["TSTMOD failed %d" % code]
    finally:
        if peer:
            peer.close()


def test_a_result_for_a_deleted_owner_is_dropped(host):
    peer = Peer("silent")
    try:
        host.send(request_command(peer.port, 1500))
        host.wait_log(lambda l: l == "TSTMOD action 2")
        host.send("delete %s" % COMPONENT)
        host.wait_sysinfo(lambda i: i["rows"] == 0)
        # The time-out still ends the request and closes its connection, but reports to nobody.
        assert peer.closed_by_engine.wait(15)
        time.sleep(0.5)
        host.sync()
        assert reports(host) == []
        assert "handle message: invalid object" not in host.log_text()
    finally:
        peer.close()
