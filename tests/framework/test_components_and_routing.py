"""Components created and deleted on request, and what arrives from outside reaching them:
datagrams and connections by the GUID at offset 12, host commands by their first 16 bytes."""

import socket
import struct
import time

import pytest

from kestrav.engine_host import framed, ipv4_be, recv_frame, routed_packet, script

COMPONENT = "{7D0C2A4E-0000-4000-8000-0000000000D1}"
OTHER = "{7D0C2A4E-0000-4000-8000-0000000000D2}"
REFUSAL = bytes([2, 0, 0x40, 0, 3, 0, 0, 0])


@pytest.fixture
def host(host_factory):
    h = host_factory(["--tcp", "0", "--udp", "0", "--module", "TSTMOD.DLL"])
    h.started = h.wait_event("started")
    h.send("create %s type=4242" % COMPONENT)
    h.wait_sysinfo(lambda i: i["rows"] == 1)
    yield h
    assert h.quit() == 0


def tstmod_lines(h, message_id):
    return [l for l in h.log_lines() if l.startswith("TSTMOD id=%d " % message_id)]


def test_create_delete_duplicate_and_unknown_guid(host):
    host.send("create %s type=4242" % OTHER)
    host.send("create %s type=4242" % COMPONENT)
    # The old component goes first, so the new one is the last row.
    info = host.wait_sysinfo(lambda i: [c["guid"] for c in i["components"]] == [OTHER, COMPONENT])
    assert [c["guid"] for c in info["components"]] == [OTHER, COMPONENT]
    lines = host.log_lines()
    at = lines.index("reduplicate module 2 TSTMOD.DLL")
    assert lines[at + 1:at + 4] == ["before DO DeleteAppComponent TSTMOD.DLL", "DO DeleteAppComponent TSTMOD.DLL",
                                    "CreateAppItem: CreateComponent 1 TSTMOD.DLL"]
    deletes = host.log_text().count("DO DeleteAppComponent")
    host.send("delete {7D0C2A4E-0000-4000-8000-0000000000FF}")
    host.send("create {7D0C2A4E-0000-4000-8000-0000000000D3} type=1003")
    host.wait_log_contains("CreateAppItem failed 2")
    assert host.log_text().count("DO DeleteAppComponent") == deletes, "an unknown GUID deletes nothing"
    host.send("delete %s" % OTHER)
    info = host.wait_sysinfo(lambda i: i["rows"] == 1)
    assert [c["guid"] for c in info["components"]] == [COMPONENT]


def test_the_first_loaded_module_of_a_type_creates_it(host_factory):
    # The test module registers the port-list type too, but after the port-list module.
    h = host_factory(["--tcp", "0", "--udp", "0", "--module", "TSTMOD.DLL"], env={"TSTMOD_TYPE": "1002"})
    h.wait_event("started")
    h.send("create {7D0C2A4E-0000-4000-8000-0000000000D4} type=1002")
    h.wait_log_contains("CreateAppItem: CreateComponent 0 WIX.DLL")
    assert h.quit() == 0


def test_datagrams_reach_the_component_whose_guid_they_carry(host):
    udp = host.started["udp"]
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    try:
        s.sendto(routed_packet(COMPONENT, 27), ("127.0.0.1", udp))
        s.sendto(routed_packet(OTHER, 40), ("127.0.0.1", udp))
        for size in (28, 100):
            s.sendto(routed_packet(COMPONENT, size), ("127.0.0.1", udp))
        host.wait_log(lambda l: l.startswith("TSTMOD id=1007 ") and " len=100 " in l)
        # More datagrams than receives were armed at the start: the receiver re-arms.
        for i in range(15):
            s.sendto(routed_packet(COMPONENT, 30 + i), ("127.0.0.1", udp))
        host.wait_log(lambda l: l.startswith("TSTMOD id=1007 ") and " len=44 " in l)
    finally:
        s.close()
    lengths = [int(l.split(" len=")[1].split()[0]) for l in tstmod_lines(host, 1007)]
    assert lengths == [28, 100] + list(range(30, 45))
    first = tstmod_lines(host, 1007)[0]
    assert first.endswith("data=" + routed_packet(COMPONENT, 28).hex())


def connect(port):
    c = socket.create_connection(("127.0.0.1", port), timeout=10)
    return c


def test_a_connection_is_handed_over_by_its_first_data_or_refused_and_closed(host):
    tcp = host.started["tcp"]
    cases = [
        (routed_packet(COMPONENT, 28), b"TSTMOD-ACK"),
        (routed_packet(COMPONENT, 27), REFUSAL),
        (routed_packet(OTHER, 64), REFUSAL),
        (b"", REFUSAL),
    ]
    for first_data, answer in cases:
        c = connect(tcp)
        try:
            c.sendall(framed(first_data))
            assert recv_frame(c) == answer, first_data.hex()
            assert recv_frame(c) is None, "closed after the answer"
        finally:
            c.close()
    handovers = tstmod_lines(host, 1100)
    assert len(handovers) == 1 and " len=28 " in handovers[0]


def test_a_blocked_address_is_refused_without_an_answer(host):
    host.send("cmd 2012 " + script(COMPONENT, 3, struct.pack("<I", ipv4_be("127.0.0.1"))))
    # The block reaches the manager before the next script action reaches the component.
    host.send("cmd 2012 " + script(COMPONENT, 99))
    host.wait_log(lambda l: l == "TSTMOD action 99")
    c = connect(host.started["tcp"])
    try:
        try:
            c.sendall(framed(routed_packet(COMPONENT, 28)))
            answer = recv_frame(c)
        except OSError:
            answer = None
        assert answer is None
    finally:
        c.close()
    assert not tstmod_lines(host, 1100)


@pytest.mark.parametrize("command, length, routed_id", [
    (2010, 16, 505), (2010, 15, None), (2001, 40, 503), (2002, 16, 504), (2011, 16, 506), (2005, 32, None)])
def test_host_commands_reach_the_component_named_in_their_first_16_bytes(host, command, length, routed_id):
    data = (bytes.fromhex(script(COMPONENT, 0)) + b"\x11" * 64)[:length]
    host.send("cmd %d %s" % (command, data.hex()))
    host.send("cmd 2010 " + bytes.fromhex(script(OTHER, 0)).hex())
    host.send("cmd 2012 " + script(COMPONENT, 99))
    host.wait_log_contains("TSTMOD action 99")
    host.wait_log_contains("Recv CMD:2010, Size:20")
    routed = [l for l in host.log_lines() if l.startswith("TSTMOD id=") and not l.startswith("TSTMOD id=507 ")]
    if routed_id is None:
        assert routed == []
    else:
        assert len(routed) == 1 and routed[0].startswith("TSTMOD id=%d sender=0 " % routed_id)
        assert " len=%d " % length in routed[0]
    assert "Recv CMD:%d, Size:%d " % (command, length) in host.log_lines()


def test_a_connection_that_never_sends_is_closed_after_thirty_seconds(host):
    c = connect(host.started["tcp"])
    c.settimeout(60)
    try:
        assert c.recv(1) == b"", "closed by the framework, without an answer"
    finally:
        c.close()
    host.wait_log(lambda l: l.endswith("sent nothing for 30 s; closed"))
