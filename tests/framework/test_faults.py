"""Faults inside a component's handler and a handler that never returns in time."""

import os
import re
import struct

from kestrav.engine_host import bad_write_fault_code, program_path, script

COMPONENT = "{7D0C2A4E-0000-4000-8000-0000000000F1}"


def start_with_component(host_factory):
    h = host_factory(["--tcp", "0", "--udp", "0", "--module", "TSTMOD.DLL"])
    h.wait_event("started")
    h.send("create %s type=4242" % COMPONENT)
    h.wait_sysinfo(lambda i: i["rows"] == 1)
    return h


def test_a_fault_in_a_handler_is_logged_to_the_crash_log_and_ends_the_process(host_factory):
    h = start_with_component(host_factory)
    h.send("cmd 2012 " + script(COMPONENT, 1))
    assert h.wait_exit() != 0
    with open(os.path.join(h.engine, "crash.log"), "rb") as f:
        crash = f.read().decode("latin-1")
    # Text mode and %p differ by runtime: CR LF and bare hex digits on Windows.
    program = program_path(os.path.join(h.engine, "QEB.exe"))
    code = bad_write_fault_code()
    assert re.search(r"\nCrash: %s\r?\nTime : \d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}\r?\nerror\(%s\): \[(0x)?[0-9a-fA-F]+, "
                     % (re.escape(program), code), crash), crash
    assert "error in message handling(%s)" % code in h.log_text()


def test_an_exception_in_a_handler_stays_inside_the_module(host_factory):
    h = start_with_component(host_factory)
    h.send("cmd 2012 " + script(COMPONENT, 7))
    h.wait_log_contains("TSTMOD exception")
    assert h.sysinfo()["rows"] == 1
    assert h.quit() == 0


def test_a_stop_while_a_handler_blocks_goes_on_without_deleting_the_manager(host_factory):
    h = start_with_component(host_factory)
    h.send("cmd 2012 " + script(COMPONENT, 8, struct.pack("<I", 8000)))
    h.wait_log_contains("TSTMOD action 8")
    h.send("quit")
    assert h.wait_event("stopped")["rc"] == 1
    h.wait_exit()
    log = h.log_text()
    assert "message loop thread was terminated; the framework manager is left in place" in log
    # The sockets, the network library and the queue are still released.
    assert log.index("was terminated") < log.index("Clear Network.") < log.index("Clear message queue.")


def test_a_component_whose_create_was_still_queued_at_the_stop_is_deleted_too(host_factory):
    h = start_with_component(host_factory)
    # While the loop is busy, a create is queued ahead of the deletes the stop posts.
    h.send("cmd 2012 " + script(COMPONENT, 8, struct.pack("<I", 1000)))
    h.wait_log_contains("TSTMOD action 8")
    h.send("create {7D0C2A4E-0000-4000-8000-0000000000F2} type=4242")
    h.send("stop")
    assert h.wait_event("stopped")["rc"] == 1
    assert h.quit() == 0
    log = h.log_lines()
    assert log.count("DO DeleteAppComponent TSTMOD.DLL") == 2
    assert not [l for l in log if "was terminated" in l]
