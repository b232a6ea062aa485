#!/usr/bin/env python3
"""HTTP server on 127.0.0.1 for the network source tests.

    http_server.py --root DIR --mode MODE [--cut BYTES]

Listens on a free port and prints "PORT <n>" on stdout. Serves the files of
DIR in one of these manners:

  range         Content-Length, Accept-Ranges: bytes, a Range is answered 206
  norange       Content-Length, every Range ignored (always 200)
  chunked       chunked transfer coding, no Content-Length, Range ignored
  close         no Content-Length: the closed connection ends the body
  cut           like range, but an answer without Range stops after --cut
                bytes and the connection is closed
  stall-accept  accepts connections and never answers
  stall-body    sends the headers and the first --cut bytes, then waits

/redirect/<name> answers 302 with Location /<name>. /_requests answers the
number of file requests so far (as text).
"""

import argparse
import os
import socket
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

BLOCK = 64 * 1024


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    requests_seen = 0
    lock = threading.Lock()

    def log_message(self, *args):
        pass

    def do_GET(self):
        if self.path == "/_requests":
            self.send_text(200, str(Handler.requests_seen))
            return
        if self.path.startswith("/redirect/"):
            self.send_response(302)
            self.send_header("Location", "/" + self.path[len("/redirect/"):])
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        with Handler.lock:
            Handler.requests_seen += 1
        path = os.path.join(self.server.root, os.path.basename(self.path))
        if not os.path.isfile(path):
            self.send_text(404, "not found")
            return
        with open(path, "rb") as f:
            data = f.read()
        try:
            getattr(self, "serve_" + self.server.mode.replace("-", "_"))(data)
        except (BrokenPipeError, ConnectionResetError):
            self.close_connection = True

    def send_text(self, status, text):
        body = text.encode()
        self.send_response(status)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def range_start(self, size):
        """The first byte asked for by a "bytes=N-" or "bytes=N-M" Range, or None."""
        value = self.headers.get("Range")
        if not value or not value.startswith("bytes="):
            return None
        first = value[len("bytes="):].split(",")[0].split("-")[0]
        return int(first) if first.isdigit() else None

    def send_body(self, data):
        for i in range(0, len(data), BLOCK):
            self.wfile.write(data[i:i + BLOCK])

    def serve_range(self, data, cut=None):
        start = self.range_start(len(data))
        if start is not None and start >= len(data):
            self.send_response(416)
            self.send_header("Content-Range", "bytes */%d" % len(data))
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        self.send_response(200 if start is None else 206)
        self.send_header("Accept-Ranges", "bytes")
        if start is not None:
            self.send_header("Content-Range", "bytes %d-%d/%d" % (start, len(data) - 1, len(data)))
        body = data[start or 0:]
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if start is None and cut is not None:
            self.send_body(body[:cut])
            self.wfile.flush()
            self.connection.shutdown(socket.SHUT_RDWR)
            self.close_connection = True
            return
        self.send_body(body)

    def serve_cut(self, data):
        self.serve_range(data, cut=self.server.cut)

    def serve_norange(self, data):
        self.send_response(200)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.send_body(data)

    def serve_chunked(self, data):
        self.send_response(200)
        self.send_header("Transfer-Encoding", "chunked")
        self.end_headers()
        for i in range(0, len(data), 7000):
            piece = data[i:i + 7000]
            self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))
        self.wfile.write(b"0\r\n\r\n")

    def serve_close(self, data):
        self.send_response(200)
        self.send_header("Connection", "close")
        self.end_headers()
        self.send_body(data)
        self.close_connection = True

    def serve_stall_body(self, data):
        self.send_response(200)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data[:self.server.cut])
        self.wfile.flush()
        while True:
            time.sleep(60)


def stall_accept(listener):
    held = []
    while True:
        connection, _ = listener.accept()
        held.append(connection)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--mode", required=True)
    parser.add_argument("--cut", type=int, default=1000)
    args = parser.parse_args()

    if args.mode == "stall-accept":
        listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        listener.bind(("127.0.0.1", 0))
        listener.listen(16)
        print("PORT %d" % listener.getsockname()[1], flush=True)
        stall_accept(listener)
        return

    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    server.root = args.root
    server.mode = args.mode
    server.cut = args.cut
    if not hasattr(Handler, "serve_" + args.mode.replace("-", "_")):
        sys.exit("unknown mode " + args.mode)
    print("PORT %d" % server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
