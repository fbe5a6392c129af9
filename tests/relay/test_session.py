"""Live-channel components in the engine host program with link servers on 127.0.0.1: joining
the channel, what the statistics block shows, several hosts of one channel, handing over from a
silent link server, deleting the component, a host restarted after it was killed, and hostile
creation blocks, host commands and datagrams."""

import os
import random
import signal
import socket
import struct
import time

import pytest

import named_block
from kestrav import engine_host
from kestrav import engine_wire as wire
from kestrav.engine_host import free_port_pair, guid_bytes

CHANNEL = "{7D0C2A4E-0000-4000-8000-00000000C0DE}"


def start_relay(relay_hosts, server, extra=(), env=None):
    """One host with CHANNEL linked to `server`; returns the host and its TCP and UDP ports."""
    port = free_port_pair()
    h = relay_hosts(["--tcp", str(port), "--udp", str(port + 1), "--status-ms", "500",
                     "--channel", CHANNEL, "--link", "127.0.0.1:%d" % server.udp_port] + list(extra), env=env)
    h.started = h.wait_event("started")
    assert h.started["ports_ok"]
    h.tcp, h.udp = h.started["tcp"], h.started["udp"]
    h.created = h.wait_event("created")
    return h


def stats(h, guid=CHANNEL):
    h.send("stats %s" % guid)
    return h.wait_event("stats", where=lambda e: e["guid"] == guid)


def wait_stats(h, predicate, timeout=10, guid=CHANNEL):
    deadline = time.time() + timeout
    while True:
        line = stats(h, guid)
        if predicate(line) or time.time() > deadline:
            return line
        time.sleep(0.2)


def block_name(guid=CHANNEL):
    return "OS_SYS_META" + guid


def block_exists(h, guid=CHANNEL):
    return named_block.exists(h, block_name(guid))


def no_crash_log(h):
    return not os.path.exists(os.path.join(h.engine, "crash.log"))


def wait_until(predicate, timeout=10):
    deadline = time.time() + timeout
    while not predicate() and time.time() < deadline:
        time.sleep(0.1)
    return predicate()


def read_block_head(h, guid):
    """The statistics block's channel fields (up to the link state word at 780) as another
    process on this machine sees them."""
    return named_block.read(h, block_name(guid), 784)


def port_accepts(port):
    s = socket.socket()
    s.settimeout(2)
    try:
        s.connect(("127.0.0.1", port))
        return True
    except OSError:
        return False
    finally:
        s.close()


def test_session_joins_publishes_the_link_servers_answer_and_goes_with_its_component(relay_hosts, linksrv):
    server = linksrv("--range", "1000:2000")
    h = start_relay(relay_hosts, server, ["--text1", "first", "--text2", "second", "--tow", "77"])
    assert h.created["rc"] == 1
    meta = h.wait_event("meta")
    assert meta["name"] == "OS_SYS_META" + CHANNEL and len(meta["name"]) == 49
    stream_port = h.wait_event("stream_port")["port"]

    # The join reply's link state and source range are separate writes of the block, which the
    # host reads from another thread: wait for the line that shows both.
    line = wait_stats(h, lambda s: s["state"] == 2 and s["src"] != [0, 0])
    assert line["state"] == 2, line
    assert line["ctype"] == 1001
    assert (line["text1"], line["text2"]) == ("first", "second")
    assert (line["own_ip"], line["own_tcp"], line["own_udp"]) == ("127.0.0.1", h.tcp, h.udp)
    assert line["public_ip"] == "127.0.0.1"
    assert line["src"] == [1000, 2000], line
    assert line["free"] == 64
    assert line["stream_port"] == stream_port and port_accepts(stream_port)

    joins = [e for e in server.log_entries() if e["type"] == 1]
    assert joins and joins[0]["from"] == "127.0.0.1:%d" % h.udp and joins[0]["answered"]

    # Deleting the component (on the host's message loop) closes its listener and removes the
    # block's name.
    assert block_exists(h)
    h.send("delete %s" % CHANNEL)
    assert h.wait_event("deleted")["rc"] == 1
    assert wait_until(lambda: not block_exists(h))
    assert wait_until(lambda: not port_accepts(stream_port))
    assert any(e["type"] == 4 for e in server.log_entries()), "the link that was up sent its leave"

    # So the channel can be created again in the same process.
    h.send("create %s link=127.0.0.1:%d" % (CHANNEL, server.udp_port))
    assert h.wait_event("created")["rc"] == 1
    assert wait_stats(h, lambda s: s["state"] == 2)["state"] == 2
    assert h.quit() == 0
    assert no_crash_log(h)


def announce_reply(server_port, guid):
    """What the link server lists for a newcomer: the peers it has registered for the channel."""
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.settimeout(3)
    try:
        request = wire.build_announce(guid_bytes(guid), os.urandom(16), 1, wanted=255)
        s.sendto(request, ("127.0.0.1", server_port))
        reply, _ = s.recvfrom(65536)
    finally:
        s.close()
    view = wire.parse_peer_list_reply(reply)
    assert view.valid
    return {(r.address.ip, r.address.tcp, r.address.udp) for r in view.records}


def test_three_hosts_of_a_channel_learn_of_each_other(relay_hosts, linksrv):
    server = linksrv("--range", "10:20")
    hosts = [start_relay(relay_hosts, server) for _ in range(3)]
    for h in hosts:
        assert h.created["rc"] == 1
        line = wait_stats(h, lambda s: s["state"] == 2)
        assert line["state"] == 2, line
        assert line["public_ip"] == "127.0.0.1" and line["src"] == [10, 20], line

    # Each host joined with its own ports: the server lists all three to a newcomer.
    listed = announce_reply(server.udp_port, CHANNEL)
    assert {("127.0.0.1", h.tcp, h.udp) for h in hosts} <= listed
    # The server answered every host's announce (the broadcast once the link is up).
    announced = {e["from"] for e in server.log_entries() if e["type"] == 2 and e["answered"]}
    assert {"127.0.0.1:%d" % h.udp for h in hosts} <= announced

    # Greeted peers answer and are measured; the pool publishes its counts then.
    for h in hosts:
        line = wait_stats(h, lambda s: s["pool"][1] > 0, timeout=20)
        assert sum(line["pool"]) > 0 and line["pool"][1] > 0, (h.udp, line["pool"])
    for h in hosts:
        assert h.quit() == 0
        assert no_crash_log(h)


def test_a_silent_link_server_hands_over_to_the_next_one(relay_hosts, linksrv):
    silent = linksrv("--range", "1:2", "--mode", "silent")
    second = linksrv("--range", "30:40")
    h = start_relay(relay_hosts, silent, ["--link", "127.0.0.1:%d" % second.udp_port])
    line = wait_stats(h, lambda s: s["state"] == 2, timeout=20)
    assert line["state"] == 2 and line["src"] == [30, 40], line

    def first_join(server):
        return min(e["t"] for e in server.log_entries() if e["type"] == 1)

    # Only the current link joins; the quiet one hands over after its 4 s time-out.
    handover = first_join(second) - first_join(silent)
    assert 3.5 <= handover <= 8.0, handover
    assert h.quit() == 0
    assert no_crash_log(h)


@pytest.mark.skipif(engine_host.UNDER_WINE, reason="a killed Windows process's named mappings go with it; "
                    "this is about the native side keeping them")
def test_a_host_killed_and_started_again_has_its_channel(relay_hosts, linksrv):
    server = linksrv("--range", "1:2")
    first = start_relay(relay_hosts, server)
    assert wait_stats(first, lambda s: s["state"] == 2)["state"] == 2
    same_blocks = {"QUIB_SHM_NS": first.shm_ns}

    # While the first host lives, its block is held: a second host of the same namespace is
    # refused the channel, as before.
    second = start_relay(relay_hosts, server, env=same_blocks)
    second.wait_log_contains("CreateAppItem failed 0")
    assert second.quit() == 0

    # Killed, it leaves its blocks behind; a new host takes them over and has the channel.
    first.proc.send_signal(signal.SIGKILL)
    first.proc.wait()
    third = start_relay(relay_hosts, server, env=same_blocks)
    # The block is the new session's own (a leftover would still show the dead host's port).
    line = wait_stats(third, lambda s: s["state"] == 2 and s["own_tcp"] == third.tcp)
    assert (line["state"], line["own_tcp"], line["free"]) == (2, third.tcp, 64), line
    assert "CreateAppItem failed 0" not in third.log_lines()
    assert third.quit() == 0
    assert no_crash_log(third)


def hostile_block(guid, length, link_count, source_count, server_port):
    """A full-size block whose length word and counts say what the test wants."""
    b = bytearray(1584)
    struct.pack_into("<I", b, 0, length)
    struct.pack_into("<i", b, 136, 1001)
    b[140:156] = guid_bytes(guid)
    b[354:360] = b"hostil"
    struct.pack_into("<H", b, 808, link_count)
    for i in range(16):
        struct.pack_into("<4sHBBIHH", b, 812 + 16 * i, socket.inet_aton("127.0.0.1"), server_port, 0, 0,
                         0xFFFFFFFF, 0, 0)
    struct.pack_into("<I", b, 1068, source_count)
    return bytes(b)


def routed_datagrams(guid, count, seed):
    """Peer-framed and unframed garbage of every type, each carrying the channel GUID at 12."""
    rng = random.Random(seed)
    g = guid_bytes(guid)
    types = [0, 1, 2, 3, 4, 5, 65, 66, 67, 255]
    for i in range(count):
        length = rng.choice([28, 29, 36, 37, 43, 44, 48, 49, 53, 54, 60, 64, 65, rng.randrange(28, 600)])
        body = bytearray(rng.randbytes(length))
        body[12:28] = g
        if i % 4:
            struct.pack_into("<HBBHH", body, 0, 1001, types[i % len(types)], rng.choice([0, 1]), 0xAB98, 0x0201)
        if i % 3 == 0 and length > 36:
            body[36] = 255  # a count byte far beyond the bytes present
        yield bytes(body)


def test_hostile_blocks_and_datagrams_leave_the_host_running(relay_hosts, linksrv):
    server = linksrv("--range", "1:2")
    h = start_relay(relay_hosts, server)
    assert wait_stats(h, lambda s: s["state"] == 2)["state"] == 2

    cases = [
        ("{7D0C2A4E-0000-4000-8000-0000000000A1}", 1584, 200, 0),
        ("{7D0C2A4E-0000-4000-8000-0000000000A2}", 900, 16, 64),
        ("{7D0C2A4E-0000-4000-8000-0000000000A3}", 1100, 2, 1000),
        ("{7D0C2A4E-0000-4000-8000-0000000000A4}", 300, 16, 64),
    ]
    for guid, length, links, sources in cases:
        h.send("rawcreate %s" % hostile_block(guid, length, links, sources, server.udp_port)[:length].hex())
        assert h.wait_event("created")["rc"] == 1, guid
    # Components are made on the host's message loop, after the "created" line.
    for guid, _, _, _ in cases:
        assert wait_until(lambda: block_exists(h, guid)), guid
    # The clamped links still join: the full-size block with 200 links uses its 16 entries.
    assert wait_until(lambda: struct.unpack_from("<H", read_block_head(h, cases[0][0]), 780)[0] == 2)
    for guid, length, _, _ in cases:
        block = read_block_head(h, guid)
        assert struct.unpack_from("<I", block, 132)[0] == 1001
        assert block[222:229] == (b"hostil\0" if length > 360 else b"\0" * 7), guid

    # A host peer list that stops after the channel GUID, before its count.
    h.send("cmd 2010 %s" % guid_bytes(CHANNEL).hex())
    assert h.wait_event("cmd")["len"] == 16

    sender = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    try:
        for guid in [CHANNEL] + [c[0] for c in cases]:
            for packet in routed_datagrams(guid, 300, seed=guid):
                sender.sendto(packet, ("127.0.0.1", h.udp))
    finally:
        sender.close()
    h.sync()
    line = stats(h)
    assert line["state"] == 2 and line["public_ip"] == "127.0.0.1"
    assert h.proc.poll() is None
    assert h.quit() == 0
    assert no_crash_log(h)
