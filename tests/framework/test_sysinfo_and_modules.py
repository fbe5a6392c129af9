"""The SysInfoBlock as the host reads it, the modules loaded per host program name and from
the queue, and the port-list block after the publish tick."""

import os
import re

import pytest

from kestrav import engine_host

GUID_TEXT = re.compile(r"^\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\}$")


def test_sysinfo_fields_and_component_rows(host_factory, tmp_path):
    h = host_factory(["--tcp", "0", "--udp", "0", "--alt-tcp", "4321", "--alt-udp", "4322",
                      "--module", "TSTMOD.DLL"])
    started = h.wait_event("started")
    info = h.wait_event("sysinfo")
    assert int(info["version"], 16) != 0
    assert (info["w4"], info["w8"], info["conn_limit"], info["transfer_limit"]) == (256, 512, 50, 64)
    assert (info["tcp"], info["udp"]) == (started["tcp"], started["udp"])
    assert (info["alt_tcp"], info["alt_udp"]) == (4321, 4322)
    assert info["addrs"] == ["127.0.0.1"]
    assert GUID_TEXT.match(info["instance"]) and info["instance"] != "{00000000-0000-0000-0000-000000000000}"
    guids = ["{7D0C2A4E-0000-4000-8000-0000000000B%d}" % i for i in range(3)]
    for g in guids:
        h.send("create %s type=4242" % g)
    h.send("delete %s" % guids[0])
    info = h.wait_sysinfo(lambda i: i["rows"] == 2)
    assert info["rows"] == 2
    assert [c["guid"] for c in info["components"]] == guids[1:]
    assert all(c["type"] == 4242 and int(c["handle"], 16) and int(c["block"], 16) for c in info["components"])
    assert len({c["module"] for c in info["components"]}) == 1
    assert h.quit() == 0

    # Another process has its own block and instance.
    other = host_factory(["--tcp", "0", "--udp", "0"], workdir=tmp_path / "other")
    assert other.wait_event("sysinfo")["instance"] != info["instance"]
    assert other.quit() == 0


@pytest.mark.parametrize("program, module", [
    ("QEB.exe", "JEV.DLL"), ("Vashet.exe", "ZOQ.DLL"), ("Pontrel.exe", "DRX.DLL"), ("Quelbor.exe", "FOJ.DLL")])
def test_each_host_program_loads_its_own_module(host_factory, program, module):
    h = host_factory(["--tcp", "0", "--udp", "0"], program=program)
    h.wait_event("started")
    assert h.quit() == 0
    lines = h.log_lines()
    others = {"JEV.DLL", "ZOQ.DLL", "DRX.DLL", "FOJ.DLL"} - {module}
    assert not [l for l in lines if any(o in l for o in others)]
    if os.path.exists(os.path.join(h.engine, engine_host.module_file(module))):
        assert "LoadModule %s Failed 126" % module not in lines
    else:
        assert "LoadModule %s Failed 126" % module in lines
    # WIX and ZUB are always there.
    assert not [l for l in lines if "WIX.DLL Failed" in l or "ZUB.DLL Failed" in l]


def test_queued_modules_load_in_order_and_twice_when_queued_twice(host_factory):
    h = host_factory(["--tcp", "0", "--udp", "0", "--module", "TSTMOD.DLL", "--module", "NOPE1.DLL",
                      "--module", "TSTMOD.DLL", "--module", "VOR.dll", "--module", "NOPE2.DLL"])
    h.wait_event("started")
    assert h.quit() == 0
    wanted = ("TSTMOD registered", "LoadModule")
    sequence = [l for l in h.log_lines() if l.startswith(wanted)]
    assert sequence[-5:] == [
        "TSTMOD registered type 4242",
        "LoadModule NOPE1.DLL Failed 126",
        "TSTMOD registered type 4242",
        # A library without TS_XXXX is given back and counts as not loaded.
        "LoadModule VOR.dll Failed 127",
        "LoadModule NOPE2.DLL Failed 126",
    ]


def test_without_the_port_list_module_nothing_is_published(host_factory, tmp_path):
    engine = engine_host.copy_engine(str(tmp_path / "engine"))
    os.unlink(os.path.join(engine, engine_host.module_file("WIX.DLL")))
    h = host_factory(["--tcp", "0", "--udp", "0"])
    h.wait_event("started")
    assert h.quit() == 0
    assert "LoadModule WIX.DLL Failed 126" in h.log_lines()


def test_the_port_list_block_lists_the_live_components_after_each_tick(host_factory):
    # A host program without the media relay module, with the test module standing in for
    # live channels (type 1001). WIX loaded first, so type 1002 stays WIX's.
    h = host_factory(["--tcp", "0", "--udp", "0", "--module", "TSTMOD.DLL", "--status-ms", "0"],
                     program="Vashet.exe", env={"TSTMOD_TYPE": "1001"})
    h.wait_event("started")
    port_list = "{7D0C2A4E-0000-4000-8000-0000000000C0}"
    live = ["{7D0C2A4E-0000-4000-8000-0000000000C%d}" % i for i in (1, 2, 3)]
    h.send("create %s type=1002" % port_list)
    for i, g in enumerate(live):
        h.send("create %s port284=%d" % (g, 7001 + i))
    h.wait_sysinfo(lambda i: i["rows"] == 4)
    h.send("portlist %s" % port_list)
    first = h.wait_event("portlist")
    assert first["size"] >= 312
    assert (first["b150"], first["count"]) == (0, 0), "nothing before the first tick"
    listed = h.poll("portlist %s" % port_list, "portlist", lambda p: p["b150"] == 1, timeout=15)
    assert listed["name"] == port_list.strip("{}").lower()
    assert (listed["b150"], listed["count"]) == (1, 3)
    assert listed["entries"] == [{"port": 7001 + i, "flag": 1} for i in range(3)]
    assert any("CreateAppItem: CreateComponent 0 WIX.DLL" in l for l in h.log_lines())

    h.send("delete %s" % live[0])
    listed = h.poll("portlist %s" % port_list, "portlist", lambda p: p["count"] == 2, timeout=15)
    assert (listed["b150"], listed["count"]) == (1, 2)
    assert listed["entries"] == [{"port": 7002, "flag": 1}, {"port": 7003, "flag": 1}]
    assert h.quit() == 0
