#!/usr/bin/python3
"""Update server stand-in: serves update descriptions and channel databases over HTTP on loopback.

    updsrv.py --root DIR [--port 0] [--rules F] [--log F]

Files under DIR are sent byte for byte (an up.ini stays GBK with CRLF). A rules file holds lines
"PATH RULE" that change what one path gets:
    404             not found
    status=CODE     that status with an empty body
    delay=MS        wait before answering normally
    truncate=BYTES  announce the full length, send only BYTES of the body, then close
    stall=BYTES     announce the full length, send only BYTES of the body, then hold the connection
                    open (sending nothing more) until the client goes away; logged when the hold begins
    size=BYTES      a body of BYTES filler bytes in place of the file, announced and sent in pieces
                    (a reply of any size without a file of that size)
    html            an error page with status 200 (what some servers do for a missing file)
Every request is logged as one JSON line: path, status, bytes (body bytes actually sent).
"""

import argparse
import http.server
import json
import os
import socket
import sys
import threading
import time
import urllib.parse

ERROR_PAGE = b"<html><head><title>Error</title></head><body><h1>File not found</h1></body></html>\r\n"


def parse_rules(text):
    """Returns {path: [rule, ...]}; blank lines and lines starting with '#' are ignored."""
    rules = {}
    for line in text.splitlines():
        line = line.strip()
        if not line or line.startswith("#"):
            continue
        parts = line.split()
        if len(parts) != 2:
            raise ValueError("rule line needs PATH RULE: %r" % line)
        path, rule = parts
        if not path.startswith("/"):
            path = "/" + path
        if not (rule in ("404", "html") or rule.split("=", 1)[0] in ("status", "delay", "truncate", "stall", "size")):
            raise ValueError("unknown rule: %r" % rule)
        rules.setdefault(path, []).append(rule)
    return rules


class RequestLog:
    def __init__(self, path):
        self.path = path
        self.lock = threading.Lock()

    def write(self, path, status, sent):
        if not self.path:
            return
        with self.lock, open(self.path, "a") as f:
            f.write(json.dumps({"path": path, "status": status, "bytes": sent}) + "\n")


def make_handler(root, rules, log):
    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.0"

        def log_message(self, format, *args):
            pass

        def do_GET(self):
            path = urllib.parse.urlsplit(self.path).path
            path_rules = rules.get(path, [])
            truncate = stall = size = None
            for rule in path_rules:
                name, _, value = rule.partition("=")
                if name == "delay":
                    time.sleep(int(value) / 1000.0)
                elif name == "truncate":
                    truncate = int(value)
                elif name == "stall":
                    stall = int(value)
                elif name == "size":
                    size = int(value)
            for rule in path_rules:
                name, _, value = rule.partition("=")
                if rule == "404":
                    return self.answer(path, 404, b"")
                if name == "status":
                    return self.answer(path, int(value), b"")
                if rule == "html":
                    return self.answer(path, 200, ERROR_PAGE, "text/html")
            if size is not None:
                return self.answer_filler(path, size)
            body = self.read_file(path)
            if body is None:
                return self.answer(path, 404, b"")
            if stall is not None:
                return self.answer(path, 200, body, truncate=stall, hold=True)
            self.answer(path, 200, body, truncate=truncate)

        def read_file(self, path):
            relative = urllib.parse.unquote(path).lstrip("/")
            full = os.path.realpath(os.path.join(root, relative))
            if os.path.commonpath([full, root]) != root or not os.path.isfile(full):
                return None
            with open(full, "rb") as f:
                return f.read()

        def head(self, status, length, content_type="application/octet-stream"):
            self.send_response(status)
            self.send_header("Content-Type", content_type)
            self.send_header("Content-Length", str(length))
            self.send_header("Cache-Control", "no-cache")
            self.send_header("Connection", "close")
            self.end_headers()

        def answer(self, path, status, body, content_type="application/octet-stream", truncate=None, hold=False):
            self.head(status, len(body), content_type)
            sent = body if truncate is None else body[:max(0, truncate)]
            try:
                self.wfile.write(sent)
                self.wfile.flush()
            except OSError:
                pass
            log.write(path, status, len(sent))  # before a hold, so that a test sees the request
            if hold:
                self.wait_for_client_to_go()
            self.close_connection = True

        def answer_filler(self, path, size):
            self.head(200, size)
            sent = 0
            piece = b"\0" * 65536
            try:
                while sent < size:
                    chunk = piece[:min(len(piece), size - sent)]
                    self.wfile.write(chunk)
                    sent += len(chunk)
                self.wfile.flush()
            except OSError:
                pass  # the client went away: the log says how far it got
            log.write(path, 200, sent)
            self.close_connection = True

        def wait_for_client_to_go(self, limit_s=120):
            self.connection.settimeout(1)
            deadline = time.monotonic() + limit_s
            while time.monotonic() < deadline:
                try:
                    if not self.connection.recv(4096):
                        return
                except socket.timeout:
                    continue
                except OSError:
                    return

    return Handler


def main(argv=None):
    parser = argparse.ArgumentParser(description="update server stand-in")
    parser.add_argument("--root", required=True)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--rules")
    parser.add_argument("--log")
    args = parser.parse_args(argv)

    rules = {}
    if args.rules:
        with open(args.rules, encoding="utf-8") as f:
            rules = parse_rules(f.read())
    root = os.path.realpath(args.root)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", args.port), make_handler(root, rules, RequestLog(args.log)))
    server.daemon_threads = True
    print(json.dumps({"port": server.server_address[1]}, separators=(",", ":")), flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
