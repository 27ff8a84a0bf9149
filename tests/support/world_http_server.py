#!/usr/bin/env python3
"""A file server on Python's own http.server, for tests that need a server
this project did not write.

Serves files under --root by URL path; the query string is ignored, except
that a path naming a directory is answered with its file "KEY=VALUE" for the
first query parameter that has one (how a mirrored search or link reply is
found: /app/link/getLinks.php?songId=7 -> getLinks.php/songId=7). Single byte
ranges, ETag, Last-Modified and If-Range work as HTTP says; the fault flags
make it misbehave the ways real servers do.

With --port 0 the first line on standard output is exactly
"listening on http://127.0.0.1:PORT", printed once the socket is bound.

--log FILE gets one line per reply, written when its status line is sent:
SEQ<TAB>METHOD<TAB>TARGET<TAB>STATUS<TAB>BODY-BYTES{<TAB>Name: value}
with every request header; bytes below 0x20, 0x7f and "\\" are written as
\\xNN. BODY-BYTES is what the head announced (0 when it announced nothing).
"""

import argparse
import email.utils
import gzip
import mimetypes
import os
import select
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

SEARCH_PATH = "/v1/restserver/vesk"
CHUNK = 64 * 1024


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", required=True, help="directory served by URL path")
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--log", help="request log file (appended)")
    parser.add_argument("--gzip", action="store_true",
                        help="gzip every reply the client accepts gzip for (ranges are then ignored)")
    parser.add_argument("--range-empty", action="store_true",
                        help="answer a Range request with 200 and an empty body")
    parser.add_argument("--range-204", action="store_true", help="answer a Range request with 204")
    parser.add_argument("--drip", type=int, default=0, metavar="BYTES_PER_SEC",
                        help="send song bodies at this many bytes per second")
    parser.add_argument("--stall-after", type=int, default=-1, metavar="N",
                        help="send N bytes of a song body, then hang")
    parser.add_argument("--fault-path", action="append", default=[], metavar="PREFIX",
                        help="paths --drip and --stall-after apply to (default: /data2/music/ and /gz/data2/music/)")
    parser.add_argument("--header", action="append", default=[], metavar="'Name: value'",
                        help="an extra header on every reply (repeatable)")
    parser.add_argument("--big-headers", type=int, default=0, metavar="N",
                        help="add header lines totalling more than N bytes to every reply")
    parser.add_argument("--endless", action="store_true", help="the search reply never ends")
    arguments = parser.parse_args()
    if not arguments.fault_path:
        arguments.fault_path = ["/data2/music/", "/gz/data2/music/"]
    for header in arguments.header:
        if ":" not in header:
            parser.error("--header needs 'Name: value': " + header)
    return arguments


def escape(data):
    out = bytearray()
    for byte in data:
        if byte < 0x20 or byte == 0x7F or byte == 0x5C:
            out += b"\\x%02x" % byte
        else:
            out.append(byte)
    return bytes(out)


class RequestLog:
    def __init__(self, path):
        self._file = open(path, "ab", buffering=0) if path else None
        self._lock = threading.Lock()
        self._sequence = 0

    def write(self, method, target, status, body_bytes, headers):
        if self._file is None:
            return
        with self._lock:
            self._sequence += 1
            fields = [str(self._sequence).encode(), escape(method), escape(target),
                      str(status).encode(), str(body_bytes).encode()]
            fields += [escape(name + b": " + value) for name, value in headers]
            self._file.write(b"\t".join(fields) + b"\n")


def latin1(text):
    return text.encode("latin-1", "replace")


def accepts_gzip(accept_encoding):
    if not accept_encoding:
        return False
    for item in accept_encoding.split(","):
        parts = [part.strip() for part in item.split(";")]
        coding = parts[0].lower()
        if coding not in ("gzip", "x-gzip", "*"):
            continue
        quality = 1.0
        for parameter in parts[1:]:
            if parameter.lower().startswith("q="):
                try:
                    quality = float(parameter[2:])
                except ValueError:
                    quality = 0.0
        if quality > 0:
            return True
    return False


def parse_range(header, size):
    """(first, last) for one satisfiable range, "unsatisfiable", or None to ignore."""
    if header is None:
        return None
    unit, _, spec = header.partition("=")
    if unit.strip().lower() != "bytes" or "," in spec:
        return None
    first_text, dash, last_text = spec.strip().partition("-")
    if not dash:
        return None
    try:
        if first_text == "":
            suffix = int(last_text)
            if suffix <= 0:
                return "unsatisfiable"
            return (max(0, size - suffix), size - 1)
        first = int(first_text)
        last = int(last_text) if last_text else max(first, size - 1)
    except ValueError:
        return None
    if first >= size and (not last_text or int(last_text) >= first):
        return "unsatisfiable"
    if first < 0 or last < first:
        return None
    return (first, min(last, size - 1))


class Handler(BaseHTTPRequestHandler):
    # The defaults stay: HTTP/1.0 and "Server: BaseHTTP/0.6 Python/3.x", as
    # every http.server in the world answers.
    options = None
    request_log = None

    def log_message(self, format, *args):  # noqa: A002 - http.server's name
        pass

    def send_response(self, code, message=None):
        body_bytes = getattr(self, "_announced", 0)
        headers = [(latin1(name), latin1(value)) for name, value in self.headers.items()] if hasattr(
            self, "headers") and self.headers is not None else []
        self.request_log.write(latin1(self.command or ""), latin1(self.path or ""), code, body_bytes, headers)
        super().send_response(code, message)

    def send_extra_headers(self):
        for header in self.options.header:
            name, _, value = header.partition(":")
            self.send_header(name.strip(), value.strip())
        if self.options.big_headers > 0:
            total = 0
            index = 0
            while total <= self.options.big_headers:
                name = "X-Filler-%d" % index
                value = "f" * 200
                self.send_header(name, value)
                total += len(name) + len(value) + 4
                index += 1

    def do_HEAD(self):
        self.answer(send_body=False)

    def do_GET(self):
        self.answer(send_body=True)

    def fail(self, code):
        body = ("%d\n" % code).encode()
        self._announced = len(body)
        self.send_response(code)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        self.send_extra_headers()
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def resolve(self, path, query):
        segments = [segment for segment in path.split("/") if segment]
        if any(segment in (".", "..") for segment in segments):
            return None
        location = os.path.join(self.options.root, *segments)
        if os.path.isdir(location):
            for key, value in (pair.partition("=")[::2] for pair in query.split("&") if pair):
                if "/" in key or "/" in value or key in ("", ".", ".."):
                    continue
                candidate = os.path.join(location, key + "=" + value)
                if os.path.isfile(candidate):
                    return candidate
            return None
        return location if os.path.isfile(location) else None

    def is_fault_path(self, path):
        return any(path.startswith(prefix) for prefix in self.options.fault_path)

    def answer(self, send_body):
        target = self.path
        raw_path, _, query = target.partition("?")
        path = urllib.parse.unquote(raw_path)
        location = self.resolve(path, query)
        if location is None:
            self.fail(404)
            return
        with open(location, "rb") as file:
            data = file.read()
        stat = os.stat(location)
        etag = '"%x-%x"' % (int(stat.st_mtime), stat.st_size)
        last_modified = email.utils.formatdate(stat.st_mtime, usegmt=True)
        content_type = self.content_type(location, data)

        range_header = self.headers.get("Range")
        if range_header is not None and self.options.range_204:
            self._announced = 0
            self.send_response(204)
            self.send_extra_headers()
            self.end_headers()
            return
        if range_header is not None and self.options.range_empty:
            self._announced = 0
            self.send_response(200)
            self.send_header("Content-Type", content_type)
            self.send_header("Content-Length", "0")
            self.send_extra_headers()
            self.end_headers()
            return

        if self.options.endless and path == SEARCH_PATH:
            self.send_endless(data, content_type, send_body)
            return

        encoded = self.options.gzip and accepts_gzip(self.headers.get("Accept-Encoding"))
        status = 200
        content_range = None
        if encoded:
            data = gzip.compress(data, mtime=int(stat.st_mtime))
            etag = "W/" + etag
        else:
            wanted = parse_range(range_header, len(data))
            if_range = self.headers.get("If-Range")
            if wanted is not None and if_range is not None and if_range.strip() not in (etag, last_modified):
                wanted = None
            if wanted == "unsatisfiable":
                self._announced = 0
                self.send_response(416)
                self.send_header("Content-Range", "bytes */%d" % len(data))
                self.send_header("Content-Length", "0")
                self.send_extra_headers()
                self.end_headers()
                return
            if wanted is not None:
                first, last = wanted
                content_range = "bytes %d-%d/%d" % (first, last, len(data))
                data = data[first:last + 1]
                status = 206

        self._announced = len(data)
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(data)))
        self.send_header("Last-Modified", last_modified)
        self.send_header("ETag", etag)
        self.send_header("Accept-Ranges", "bytes")
        if content_range:
            self.send_header("Content-Range", content_range)
        if self.options.gzip:
            self.send_header("Vary", "Accept-Encoding")
        if encoded:
            self.send_header("Content-Encoding", "gzip")
        self.send_extra_headers()
        self.end_headers()
        if send_body:
            self.send_body(data, self.is_fault_path(path))

    @staticmethod
    def content_type(location, data):
        guessed, _ = mimetypes.guess_type(location)
        if guessed:
            return guessed
        if location.endswith(".lrc"):
            return "text/plain; charset=utf-8"
        if data.startswith(b"<?xml"):
            return "text/xml; charset=utf-8"
        if data[:1] in (b"[", b"{"):
            return "application/json"
        return "application/octet-stream"

    def send_body(self, data, faulty):
        stall_after = self.options.stall_after if faulty else -1
        drip = self.options.drip if faulty else 0
        if stall_after >= 0:
            data = data[:stall_after]
        if drip > 0:
            piece = max(1, drip // 10)
            for offset in range(0, len(data), piece):
                self.wfile.write(data[offset:offset + piece])
                self.wfile.flush()
                time.sleep(piece / drip)
        else:
            self.wfile.write(data)
        self.wfile.flush()
        if stall_after >= 0:
            self.hang()

    def hang(self):
        # Holds the connection open, sending nothing, until the client goes.
        connection = self.connection
        while True:
            readable, _, _ = select.select([connection], [], [], 1.0)
            if readable:
                try:
                    if not connection.recv(4096):
                        return
                except OSError:
                    return

    def send_endless(self, data, content_type, send_body):
        self._announced = 0
        self.send_response(200)
        self.send_header("Content-Type", content_type)
        self.send_extra_headers()
        self.end_headers()
        if not send_body:
            return
        end = data.rfind(b"</song_list>")
        head = data[:end] if end >= 0 else data
        songs = [line for line in head.split(b"\n") if line.startswith(b"<song>")]
        filler = (b"\n".join(songs) + b"\n") if songs else b"<!-- more -->\n"
        block = filler * max(1, CHUNK // len(filler))
        try:
            self.wfile.write(head)
            while True:
                self.wfile.write(block)
        except OSError:
            return


class Server(ThreadingHTTPServer):
    daemon_threads = True
    request_queue_size = 128


def main():
    options = parse_arguments()
    options.root = os.path.abspath(options.root)
    Handler.options = options
    Handler.request_log = RequestLog(options.log)
    server = Server((options.host, options.port), Handler)
    host, port = server.server_address[:2]
    sys.stdout.write("listening on http://%s:%d\n" % (host, port))
    sys.stdout.flush()
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    server.server_close()


if __name__ == "__main__":
    main()
