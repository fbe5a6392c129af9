"""The framework's listening ports: the search for a free port, the wrap to 10000, the failure
path, the ports actually bound, and a stop and a restart inside one process."""

import socket

from kestrav.engine_host import free_port_pair

FAILED_TEXT_GBK = "建立监听端口失败!".encode("gbk")


def occupy(port, kind):
    s = socket.socket(socket.AF_INET, kind)
    s.bind(("127.0.0.1", port))
    if kind == socket.SOCK_STREAM:
        s.listen(1)
    return s


def test_taken_ports_move_to_the_next_free_one_and_are_written_back(host_factory):
    tcp = free_port_pair()
    udp = free_port_pair(socket.SOCK_DGRAM)
    held = [occupy(tcp, socket.SOCK_STREAM), occupy(udp, socket.SOCK_DGRAM)]
    try:
        h = host_factory(["--tcp", str(tcp), "--udp", str(udp)])
        started = h.wait_event("started")
        assert (started["tcp"], started["udp"], started["ports_ok"], started["rc"]) == (tcp + 1, udp + 1, True, 1)
        info = h.wait_event("sysinfo")
        assert (info["tcp"], info["udp"]) == (tcp + 1, udp + 1)
        assert h.quit() == 0
    finally:
        for s in held:
            s.close()


def test_a_taken_last_port_continues_at_ten_thousand(host_factory):
    h = host_factory(["--tcp", "65535", "--udp", "65535"], env={"KUZ_FAIL_BIND": "65535"})
    started = h.wait_event("started")
    assert started["ports_ok"]
    # 10000 itself may be in use on this machine; the search only goes up from there.
    assert 10000 <= started["udp"] < 10100
    assert 10000 <= started["tcp"] < 10100
    assert h.quit() == 0


def test_when_both_sockets_fail_nothing_is_written_back_and_the_framework_still_runs(host_factory):
    tcp, udp = free_port_pair(), free_port_pair(socket.SOCK_DGRAM)
    h = host_factory(["--tcp", str(tcp), "--udp", str(udp), "--module", "TSTMOD.DLL"],
                     env={"KUZ_FAIL_BIND": "%d:-1,%d:-1" % (tcp, udp)})
    started = h.wait_event("started")
    assert (started["tcp"], started["udp"], started["ports_ok"], started["rc"]) == (tcp, udp, False, 1)
    assert FAILED_TEXT_GBK in h.log_bytes()
    h.send("create {7D0C2A4E-0000-4000-8000-00000000A001} type=4242")
    h.wait_event("created")
    info = h.wait_sysinfo(lambda i: i["rows"] == 1)
    assert (info["tcp"], info["udp"], info["rows"]) == (0, 0, 1)
    assert h.quit() == 0


def test_a_requested_port_zero_gives_the_port_actually_bound(host_factory):
    h = host_factory(["--tcp", "0", "--udp", "0"])
    started = h.wait_event("started")
    assert started["ports_ok"] and started["tcp"] > 0 and started["udp"] > 0
    info = h.wait_event("sysinfo")
    assert (info["tcp"], info["udp"]) == (started["tcp"], started["udp"])
    # The written-back port is really ours: binding it again is refused.
    probe = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    try:
        try:
            probe.bind(("127.0.0.1", started["udp"]))
            bound = True
        except OSError:
            bound = False
        assert not bound
    finally:
        probe.close()
    assert h.quit() == 0


def test_stop_releases_the_ports_so_a_restart_in_the_same_process_gets_them_again(host_factory):
    tcp, udp = free_port_pair(), free_port_pair(socket.SOCK_DGRAM)
    h = host_factory(["--tcp", str(tcp), "--udp", str(udp), "--module", "TSTMOD.DLL"])
    first = h.wait_event("started")
    first_info = h.wait_event("sysinfo")
    h.send("create {7D0C2A4E-0000-4000-8000-00000000A002} type=4242")
    h.wait_event("created")
    h.send("restart")
    assert h.wait_event("stopped")["rc"] == 1
    second = h.wait_event("started")
    assert (second["tcp"], second["udp"], second["ports_ok"]) == (first["tcp"], first["udp"], True)
    info = h.sysinfo()
    assert info["instance"] != first_info["instance"], "a new instance GUID at every start"
    assert info["rows"] == 0, "the components were deleted at the stop"
    # The modules stay loaded: a component can be created after the restart.
    h.send("create {7D0C2A4E-0000-4000-8000-00000000A003} type=4242")
    h.wait_event("created")
    assert h.wait_sysinfo(lambda i: i["rows"] == 1)["rows"] == 1
    assert h.quit() == 0
    log = h.log_text()
    assert log.count("message loop thread end") == 2
    assert "was terminated" not in log
    assert log.count("DO DeleteAppComponent TSTMOD.DLL") >= 2
