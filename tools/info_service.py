#!/usr/bin/env python3
"""Stand-in for the platform's information service, for tests.

    info_service.py --port N [--host 127.0.0.1] [--config FILE] [--log FILE]
                    [--ready-file F]
    info_service.py --self-test

Answers GET on any path. The launcher's requests carry the query parameters
platform, gkey, skey, type and sign; there is no percent-decoding, because the
launcher sends its values exactly as stored. A query in the launcher's fixed
layout (platform=..&gkey=..&skey=..&type=N&sign=..) is read by that layout, so
values holding '&' or '=' still check; any other query is split on '&' and on
the first '=' of each piece. The signature is checked as
md5_hex(platform + gkey + skey + type + "#" + signKey) over the raw bytes
(skey already carries its leading "s").

Config (JSON, every member optional):
  signKey          signing key (default "tarvo-test-key"); str, encoded with
                   "codepage" (default "gbk") to compare with the raw bytes
  reject_bad_sign  answer a badly signed request with {"code":403,...}
                   instead of the reply (default true)
  replies          {"1": reply, "5": reply, "2": reply}; merged over the
                   default replies. A reply is a JSON value (object, array,
                   number, ...) serialised per "encoding"; a JSON string is a
                   literal body sent as UTF-8; {"$hex": "..."} is a literal
                   body given as hex bytes; null means 404 for that type.
                   The text {PORT} anywhere in a body becomes the real port.
  encoding         "escaped" (non-ASCII as \\u escapes, default) or "raw"
                   (UTF-8 bytes)
  status           HTTP status for replies (default 200)
  delay_ms         delay before each answer (default 0)
  behaviour        "normal" | "close_mid_reply" (announce the full length,
                   send half, close) | "huge" (the reply with a padding member
                   of huge_bytes, default 4 MiB, in front of it) | "malformed"
                   (first half of the body only, with a matching length) |
                   "http500" (the reply body with status 500) | "redirect"
                   (302 to /__redirected<path>?<query>, which answers normally)
                   Hostile replies, for the launcher's limits:
                   "flood" (a body of flood_bytes, default 100 MiB, announced
                   and sent as fast as the client takes it) | "huge_length"
                   (a Content-Length of announced_bytes, default 2 GiB, then
                   filler for as long as the client reads) | "trickle" (no
                   Content-Length, then one byte every trickle_ms, default
                   250, for trickle_max_s, default 600) | "gzip_bomb" (a gzip
                   body, Content-Encoding gzip, that inflates to bomb_bytes,
                   default 500 MiB, of spaces; about 0.5 MB on the wire)
  per_type         {"1": {"status":..., "delay_ms":..., "behaviour":...,
                   "encoding":...}}: overrides for one request type
  path_options     {"/flood/": {"behaviour": "flood", "per_type": {...}}}:
                   options (and per-type overrides) for requests whose path
                   starts with the key; they come before the ones above, and
                   the longest matching key wins
  pages            {"/page.html": "<html>..."}: literal bodies for paths
                   (served as text/html, no signature needed)

Each request is logged to --log as one compact JSON line, flushed at once:
  {"path":..., "query": raw query (decoded as GBK), "query_hex": raw bytes,
   "params": {...}, "type": "1", "layout": true, "sign_ok": true,
   "status": 200}
("layout": the query had the launcher's layout; "sign_ok" is null for pages.)
With --port 0 a free port is chosen; --ready-file receives the port number
once the service listens. SIGTERM and SIGINT stop it cleanly (exit code 0).
"""

import argparse
import hashlib
import http.client
import json
import os
import re
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request
import zlib
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

DEFAULT_SIGN_KEY = "tarvo-test-key"
REDIRECT_PREFIX = "/__redirected"

DEFAULT_REPLIES = {
    "1": {"code": 0, "data": {"user_name": "玄洲游侠"}},
    "5": {"data": {"allserver": [{"server_name": "青龙一区"}, {"server_name": "白虎二区"}]}},
    "2": {"data": {"gsurl": "http://127.0.0.1:{PORT}/page.html"}},
}

DEFAULT_PAGES = {
    "/page.html": (
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>QuarrionOL</title></head>\n"
        "<body style=\"background:#202840;color:#f0d070\"><h1 id=\"title\">QuarrionOL 公告</h1>\n"
        "<p id=\"news\">欢迎来到玄洲。</p></body></html>\n"
    ),
}


def md5_hex(data):
    return hashlib.md5(data).hexdigest()


def parse_query(raw):
    """Splits a raw query (bytes) on '&' and the first '=' of each piece."""
    params = {}
    if not raw:
        return params
    for piece in raw.split(b"&"):
        name, _, value = piece.partition(b"=")
        params.setdefault(name, value)
    return params


# The launcher's own layout; matching it first lets values that hold '&' or
# '=' still be checked against the signature.
LAUNCHER_LAYOUT = re.compile(
    rb"^platform=(?P<platform>.*?)&gkey=(?P<gkey>.*?)&skey=(?P<skey>.*?)&type=(?P<type>-?[0-9]+)&sign=(?P<sign>[^&]*)$",
    re.DOTALL)


def parse_launcher_query(raw):
    """The parameters of a query in the launcher's fixed layout, else None."""
    m = LAUNCHER_LAYOUT.match(raw)
    return {k.encode("ascii"): v for k, v in m.groupdict().items()} if m else None


def expected_sign(params, sign_key):
    joined = b"".join(params.get(k, b"") for k in (b"platform", b"gkey", b"skey", b"type"))
    return md5_hex(joined + b"#" + sign_key)


class Service:
    def __init__(self, config, log_path):
        self.config = config
        self.codepage = config.get("codepage", "gbk")
        self.sign_key = config.get("signKey", DEFAULT_SIGN_KEY).encode(self.codepage)
        self.replies = dict(DEFAULT_REPLIES)
        self.replies.update(config.get("replies", {}))
        self.pages = dict(DEFAULT_PAGES)
        self.pages.update(config.get("pages", {}))
        self.log_lock = threading.Lock()
        self.log_file = open(log_path, "a", encoding="utf-8") if log_path else None
        self.port = 0
        self.bomb_lock = threading.Lock()
        self.bombs = {}

    def option(self, type_text, name, default, path=""):
        """The option for a request: the longest matching path_options entry
        (its per_type first), then per_type, then the top level."""
        layers = []
        prefixes = [p for p in self.config.get("path_options", {}) if path.startswith(p)]
        if prefixes:
            chosen = self.config["path_options"][max(prefixes, key=len)]
            layers += [chosen.get("per_type", {}).get(type_text, {}), chosen]
        layers += [self.config.get("per_type", {}).get(type_text, {}), self.config]
        for layer in layers:
            if name in layer:
                return layer[name]
        return default

    def text(self, raw):
        return raw.decode(self.codepage, errors="replace")

    def log(self, record):
        if not self.log_file:
            return
        line = json.dumps(record, ensure_ascii=True, separators=(",", ":"))
        with self.log_lock:
            self.log_file.write(line + "\n")
            self.log_file.flush()

    def gzip_bomb(self, size):
        """A gzip body that inflates to `size` spaces; made once per size."""
        with self.bomb_lock:
            if size not in self.bombs:
                packer = zlib.compressobj(9, zlib.DEFLATED, 31)
                block = b" " * (1 << 20)
                parts = []
                left = size
                while left > 0:
                    parts.append(packer.compress(block[: min(left, len(block))]))
                    left -= len(block)
                parts.append(packer.flush())
                self.bombs[size] = b"".join(parts)
            return self.bombs[size]

    def body_of(self, reply, encoding):
        if isinstance(reply, str):
            body = reply.encode("utf-8")
        elif isinstance(reply, dict) and set(reply) == {"$hex"}:
            body = bytes.fromhex(reply["$hex"])
        else:
            body = json.dumps(reply, ensure_ascii=(encoding != "raw"), separators=(",", ":")).encode("utf-8")
        return body.replace(b"{PORT}", str(self.port).encode("ascii"))


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"
    server_version = "TarvoInfo/1.0"

    def log_message(self, fmt, *args):  # the JSON log is enough
        pass

    def do_HEAD(self):
        self.do_GET()

    def do_GET(self):
        svc = self.server.service
        raw_target = self.path.encode("iso-8859-1")  # the request line's bytes
        raw_path, _, raw_query = raw_target.partition(b"?")
        path = svc.text(raw_path)
        layout = parse_launcher_query(raw_query)
        params = layout if layout is not None else parse_query(raw_query)
        type_text = svc.text(params[b"type"]) if b"type" in params else None
        record = {
            "path": path,
            "query": svc.text(raw_query),
            "query_hex": raw_query.hex(),
            "params": {svc.text(k): svc.text(v) for k, v in params.items()},
            "type": type_text,
            "layout": layout is not None,
        }

        if path in svc.pages:
            record["sign_ok"] = None
            self.answer(record, 200, svc.pages[path].encode("utf-8"), "text/html; charset=utf-8")
            return

        sign_ok = b"sign" in params and params[b"sign"] == expected_sign(params, svc.sign_key).encode("ascii")
        record["sign_ok"] = sign_ok
        def option(name, default):
            return svc.option(type_text, name, default, path)

        time.sleep(max(0, option("delay_ms", 0)) / 1000.0)

        behaviour = option("behaviour", "normal")
        redirected = path.startswith(REDIRECT_PREFIX)
        if behaviour == "redirect" and not redirected:
            host = self.headers.get("Host") or "127.0.0.1:%d" % svc.port
            # Header text goes out as latin-1, so this keeps the raw bytes.
            location = "http://%s%s%s?%s" % (host, REDIRECT_PREFIX, raw_path.decode("iso-8859-1"),
                                              raw_query.decode("iso-8859-1"))
            record["status"] = 302
            svc.log(record)
            self.send_response(302)
            self.send_header("Location", location)
            self.send_header("Content-Length", "0")
            self.end_headers()
            return

        if not sign_ok and svc.config.get("reject_bad_sign", True):
            self.answer(record, 200, b'{"code":403,"msg":"bad sign"}')
            return
        reply = svc.replies.get(type_text) if type_text is not None else None
        if reply is None:
            self.answer(record, 404, b'{"code":404,"msg":"unknown type"}')
            return

        encoding = option("encoding", "escaped")
        status = int(option("status", 200))
        if behaviour in ("flood", "huge_length", "trickle", "gzip_bomb"):
            self.hostile(record, behaviour, option)
            return
        if behaviour == "huge" and isinstance(reply, dict):
            padded = {"padding": "x" * int(option("huge_bytes", 4 << 20))}
            padded.update(reply)
            reply = padded
        body = svc.body_of(reply, encoding)
        if behaviour == "http500":
            status = 500
        elif behaviour == "malformed":
            body = body[: len(body) // 2]
        elif behaviour == "close_mid_reply":
            record["status"] = status
            record["cut"] = True
            svc.log(record)
            self.send_response(status)
            self.send_header("Content-Type", "application/json; charset=utf-8")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body[: len(body) // 2])
            self.wfile.flush()
            self.close_connection = True
            try:
                self.connection.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
            return
        self.answer(record, status, body)

    def hostile(self, record, behaviour, option):
        """Replies that no launcher should take in whole: far too long, far
        too slow, or small on the wire and huge once inflated. Sending stops
        quietly when the client gives up."""
        svc = self.server.service
        record["status"] = 200
        record["hostile"] = behaviour
        svc.log(record)
        self.send_response(200)
        self.send_header("Content-Type", "application/json; charset=utf-8")
        self.send_header("Cache-Control", "no-cache, no-store")
        self.close_connection = True
        try:
            if behaviour == "gzip_bomb":
                body = svc.gzip_bomb(int(option("bomb_bytes", 500 << 20)))
                self.send_header("Content-Encoding", "gzip")
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)
            elif behaviour == "trickle":
                self.end_headers()
                self.wfile.write(b"{")
                self.wfile.flush()
                period = max(1, int(option("trickle_ms", 250))) / 1000.0
                deadline = time.time() + float(option("trickle_max_s", 600))
                while time.time() < deadline:
                    time.sleep(period)
                    self.wfile.write(b" ")
                    self.wfile.flush()
            else:
                if behaviour == "flood":
                    length = int(option("flood_bytes", 100 << 20))
                else:
                    length = int(option("announced_bytes", 2 << 30))
                self.send_header("Content-Length", str(length))
                self.end_headers()
                filler = b" " * (64 << 10)
                left = length
                while left > 0:
                    chunk = filler[: min(left, len(filler))]
                    self.wfile.write(chunk)
                    left -= len(chunk)
            self.wfile.flush()
        except (BrokenPipeError, ConnectionResetError, ConnectionAbortedError, socket.timeout):
            pass

    def answer(self, record, status, body, content_type="application/json; charset=utf-8"):
        record["status"] = status
        self.server.service.log(record)
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "no-cache, no-store")
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def write_ready_file(path, port):
    tmp = path + ".tmp"
    with open(tmp, "w") as f:
        f.write("%d\n" % port)
    os.replace(tmp, path)


def serve(args):
    config = {}
    if args.config:
        with open(args.config, encoding="utf-8") as f:
            config = json.load(f)
    service = Service(config, args.log)
    server = Server((args.host, args.port), Handler)
    server.service = service
    service.port = server.server_address[1]

    stop = threading.Event()
    for sig in (signal.SIGTERM, signal.SIGINT):
        signal.signal(sig, lambda *_: stop.set())
    worker = threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.2}, daemon=True)
    worker.start()
    if args.ready_file:
        write_ready_file(args.ready_file, service.port)
    while not stop.wait(0.5):
        pass
    server.shutdown()
    server.server_close()
    if service.log_file:
        service.log_file.close()
    return 0


SELF_TEST_CONFIG = {
    "path_options": {
        "/flood/": {"behaviour": "flood", "flood_bytes": 3 << 20},
        "/huge/": {"behaviour": "huge_length"},
        "/trickle/": {"behaviour": "trickle", "trickle_ms": 20},
        "/bomb/": {"behaviour": "gzip_bomb", "bomb_bytes": 64 << 20},
        "/bomb/big/": {"behaviour": "normal"},
        "/mixed/": {"per_type": {"1": {"behaviour": "trickle"}}},
    },
}


def check_hostile_modes(port):
    """Each hostile mode, read the way a careful client would: a little of
    it, then the connection is dropped."""

    def open_reply(path, type_text="1"):
        values = ["plat", "gk", "s7", type_text]
        sign = md5_hex("".join(values).encode() + b"#" + DEFAULT_SIGN_KEY.encode())
        conn = http.client.HTTPConnection("127.0.0.1", port, timeout=10)
        conn.request("GET", "%s?platform=plat&gkey=gk&skey=s7&type=%s&sign=%s" % (path, type_text, sign))
        return conn, conn.getresponse()

    conn, r = open_reply("/flood/pick")
    assert r.status == 200 and r.getheader("Content-Length") == str(3 << 20)
    got = 0
    while True:
        chunk = r.read(1 << 16)
        if not chunk:
            break
        got += len(chunk)
    assert got == 3 << 20, got
    conn.close()

    conn, r = open_reply("/huge/pick")
    assert r.getheader("Content-Length") == str(2 << 30)
    assert len(r.read(1 << 20)) == 1 << 20
    conn.close()

    conn, r = open_reply("/trickle/pick")
    assert r.getheader("Content-Length") is None
    start = time.time()
    assert r.read(1) == b"{" and r.read(5) == b"     "
    assert time.time() - start >= 0.08, "trickled too fast"
    conn.close()

    conn, r = open_reply("/bomb/pick")
    assert r.getheader("Content-Encoding") == "gzip"
    body = r.read()
    assert len(body) < 1 << 20, len(body)
    inflated, unpacker = 0, zlib.decompressobj(31)
    while body:
        inflated += len(unpacker.decompress(body, 1 << 20))
        body = unpacker.unconsumed_tail
    assert inflated == 64 << 20, inflated
    conn.close()

    # The longest prefix wins; per_type inside a path entry picks one type.
    for path, type_text in (("/bomb/big/pick", "1"), ("/mixed/pick", "5")):
        conn, r = open_reply(path, type_text)
        assert r.getheader("Content-Encoding") is None and r.getheader("Content-Length") is not None
        json.loads(r.read().decode("utf-8"))
        conn.close()
    conn, r = open_reply("/mixed/pick", "1")
    assert r.getheader("Content-Length") is None
    conn.close()


def self_test():
    """Runs the service as a child on a free port and checks three signed
    requests, a badly signed one, the log, the hostile modes and a clean
    SIGTERM stop."""
    with tempfile.TemporaryDirectory() as tmp:
        ready, log = os.path.join(tmp, "ready"), os.path.join(tmp, "log.jsonl")
        config = os.path.join(tmp, "config.json")
        with open(config, "w", encoding="utf-8") as f:
            json.dump(SELF_TEST_CONFIG, f)
        child = subprocess.Popen([sys.executable, os.path.abspath(__file__), "--port", "0",
                                  "--log", log, "--ready-file", ready, "--config", config])
        try:
            deadline = time.time() + 10
            while not os.path.exists(ready):
                assert time.time() < deadline, "service did not start"
                time.sleep(0.05)
            port = int(open(ready).read())

            def get(type_text, sign=None):
                values = ["plat", "gk", "s7", type_text]
                sign = sign or md5_hex("".join(values).encode() + b"#" + DEFAULT_SIGN_KEY.encode())
                url = "http://127.0.0.1:%d/pick/multiinfo?platform=plat&gkey=gk&skey=s7&type=%s&sign=%s" % (
                    port, type_text, sign)
                with urllib.request.urlopen(url, timeout=10) as r:
                    return json.loads(r.read().decode("utf-8"))

            assert get("1")["data"]["user_name"] == "玄洲游侠"
            assert get("5")["data"]["allserver"][-1]["server_name"] == "白虎二区"
            assert get("2")["data"]["gsurl"] == "http://127.0.0.1:%d/page.html" % port
            assert get("1", sign="0" * 32) == {"code": 403, "msg": "bad sign"}
            records = [json.loads(line) for line in open(log, encoding="utf-8")]
            assert [(r["type"], r["sign_ok"]) for r in records] == [
                ("1", True), ("5", True), ("2", True), ("1", False)], records
            assert records[0]["query"].startswith("platform=plat&gkey=gk&skey=s7&type=1&sign=")

            check_hostile_modes(port)
            records = [json.loads(line) for line in open(log, encoding="utf-8")]
            assert [r.get("hostile") for r in records[4:]] == [
                "flood", "huge_length", "trickle", "gzip_bomb", None, None, "trickle"], records[4:]
        finally:
            child.send_signal(signal.SIGTERM)
            code = child.wait(timeout=10)
        assert code == 0, "exit code %r after SIGTERM" % code
    print("info_service self-test passed")
    return 0


def main():
    parser = argparse.ArgumentParser(description="information service stand-in")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--config")
    parser.add_argument("--log")
    parser.add_argument("--ready-file")
    parser.add_argument("--self-test", action="store_true")
    args = parser.parse_args()
    return self_test() if args.self_test else serve(args)


if __name__ == "__main__":
    sys.exit(main())
