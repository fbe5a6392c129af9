"""The update server stand-in, fetched with urllib over loopback as the player's download would."""

import http.client
import json
import os
import socket
import subprocess
import time
import urllib.error
import urllib.request

import pytest
from processes import stop_process

TOOLS = os.path.join(os.environ.get("KESTRAV_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", "..")),
                     "tools")

UP_INI = ("[升级信息]\r\n数据库版本=2008-1-10\r\n[更新服务器日期]\r\n日期=2008-1-9\r\n"
          "[服务器]\r\n1=http://127.0.0.1:1/up.ini\r\n[升级内容]\r\n数据=http://127.0.0.1:1/bfsjk.xml\r\n").encode("gbk")
DATABASE = b"<root>" + b"<channel><Catalog>A</Catalog></channel>" * 50 + b"</root>"


class UpdateServer:
    def __init__(self, root, rules, log_path):
        args = ["/usr/bin/python3", os.path.join(TOOLS, "updsrv.py"), "--root", str(root), "--log", log_path]
        if rules is not None:
            rules_path = os.path.join(str(root), "..", "rules.txt")
            with open(rules_path, "w", encoding="utf-8") as f:
                f.write(rules)
            args += ["--rules", rules_path]
        self.log_path = log_path
        self.process = subprocess.Popen(args, stdout=subprocess.PIPE, text=True, env=dict(os.environ, LC_ALL="C.UTF-8"))
        line = self.process.stdout.readline()
        assert line, "updsrv.py did not start"
        self.first_line = line
        self.port = json.loads(line)["port"]

    def url(self, path):
        return "http://127.0.0.1:%d%s" % (self.port, path)

    def log_entries(self, count=1):
        """The log once it holds at least count entries (the server logs after the body is sent)."""
        for _ in range(500):
            if os.path.exists(self.log_path):
                with open(self.log_path) as f:
                    entries = [json.loads(line) for line in f if line.strip()]
                if len(entries) >= count:
                    return entries
            time.sleep(0.01)
        raise AssertionError("fewer than %d log entries" % count)

    def stop(self):
        stop_process(self.process)


@pytest.fixture
def updsrv(tmp_path):
    """Starts the server over a root holding up.ini and bfsjk.xml, with optional rules text."""
    root = tmp_path / "root"
    root.mkdir()
    (root / "up.ini").write_bytes(UP_INI)
    (root / "bfsjk.xml").write_bytes(DATABASE)
    started = []

    def start(rules=None):
        server = UpdateServer(root, rules, str(tmp_path / ("updsrv%d.log" % len(started))))
        started.append(server)
        return server

    yield start
    for server in started:
        server.stop()


def fetch(url):
    """Returns (status, headers, body) also for error statuses."""
    request = urllib.request.Request(url, headers={"Connection": "close"})
    opener = urllib.request.build_opener(urllib.request.ProxyHandler({}))
    try:
        with opener.open(request, timeout=10) as response:
            return response.status, response.headers, response.read()
    except urllib.error.HTTPError as error:
        return error.code, error.headers, error.read()


def test_first_line_is_the_port_and_files_come_byte_for_byte(updsrv):
    server = updsrv()
    assert server.first_line.strip() == '{"port":%d}' % server.port
    for path, expected in (("/up.ini", UP_INI), ("/bfsjk.xml", DATABASE)):
        status, headers, body = fetch(server.url(path))
        assert (status, body) == (200, expected)
        assert headers["Content-Length"] == str(len(expected))
        assert headers["Cache-Control"] == "no-cache"
    assert b"\r\n" in UP_INI and UP_INI.decode("gbk").startswith("[升级信息]")
    assert [(e["path"], e["status"], e["bytes"]) for e in server.log_entries(2)] == [
        ("/up.ini", 200, len(UP_INI)), ("/bfsjk.xml", 200, len(DATABASE))]


def test_missing_files_and_paths_outside_the_root_are_not_found(updsrv):
    server = updsrv()
    for path in ("/none.ini", "/../rules.txt", "/%2e%2e/rules.txt"):
        assert fetch(server.url(path))[0] == 404


@pytest.mark.parametrize("rule, status, body", [
    ("404", 404, b""),
    ("status=500", 500, b""),
    ("status=302", 302, b""),
])
def test_status_rules_replace_the_file(updsrv, rule, status, body):
    server = updsrv("/up.ini %s\n" % rule)
    connection = http.client.HTTPConnection("127.0.0.1", server.port, timeout=10)
    connection.request("GET", "/up.ini")
    response = connection.getresponse()
    assert (response.status, response.read()) == (status, body)
    connection.close()
    assert server.log_entries() == [{"path": "/up.ini", "status": status, "bytes": 0}]
    # Other paths are unaffected.
    assert fetch(server.url("/bfsjk.xml"))[2] == DATABASE


def test_html_rule_answers_an_error_page_with_status_200(updsrv):
    server = updsrv("/bfsjk.xml html\n")
    status, headers, body = fetch(server.url("/bfsjk.xml"))
    assert status == 200 and body.startswith(b"<html>") and body != DATABASE
    assert headers["Content-Type"] == "text/html"


def test_truncate_rule_closes_before_the_announced_length(updsrv):
    server = updsrv("/bfsjk.xml truncate=100\n")
    connection = http.client.HTTPConnection("127.0.0.1", server.port, timeout=10)
    connection.request("GET", "/bfsjk.xml")
    response = connection.getresponse()
    assert response.getheader("Content-Length") == str(len(DATABASE))
    with pytest.raises(http.client.IncompleteRead) as caught:
        response.read()
    assert caught.value.partial == DATABASE[:100]
    connection.close()
    assert server.log_entries()[0]["bytes"] == 100


def test_stall_rule_holds_the_connection_after_part_of_the_body(updsrv):
    server = updsrv("/bfsjk.xml stall=100\n")
    with socket.create_connection(("127.0.0.1", server.port), timeout=10) as client:
        client.sendall(b"GET /bfsjk.xml HTTP/1.0\r\n\r\n")
        received = b""
        while b"\r\n\r\n" not in received or len(received.split(b"\r\n\r\n", 1)[1]) < 100:
            received += client.recv(4096)
        head, body = received.split(b"\r\n\r\n", 1)
        assert b"Content-Length: %d" % len(DATABASE) in head
        assert body == DATABASE[:100]
        client.settimeout(1)
        with pytest.raises(socket.timeout):  # nothing more comes while the client stays
            client.recv(1)
    assert server.log_entries()[0]["bytes"] == 100


def test_size_rule_sends_an_announced_body_of_that_size_without_a_file(updsrv):
    server = updsrv("/huge.bin size=300000\n")
    status, headers, body = fetch(server.url("/huge.bin"))
    assert (status, headers["Content-Length"], len(body)) == (200, "300000", 300000)
    assert server.log_entries()[0]["bytes"] == 300000


def test_delay_rule_still_delivers_the_file(updsrv):
    # Only that the delayed answer is complete is checked; durations are not asserted.
    server = updsrv("/up.ini delay=200\n/up.ini truncate=10\n")
    connection = http.client.HTTPConnection("127.0.0.1", server.port, timeout=10)
    connection.request("GET", "/up.ini")
    response = connection.getresponse()
    with pytest.raises(http.client.IncompleteRead) as caught:
        response.read()
    assert caught.value.partial == UP_INI[:10]


def test_a_bad_rules_file_is_refused(tmp_path):
    rules = tmp_path / "rules.txt"
    rules.write_text("/up.ini explode\n")
    result = subprocess.run(["/usr/bin/python3", os.path.join(TOOLS, "updsrv.py"), "--root", str(tmp_path),
                             "--rules", str(rules)], capture_output=True, text=True, timeout=20)
    assert result.returncode != 0 and result.stdout == ""
