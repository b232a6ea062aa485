#!/usr/bin/env python3
"""A cddb.cgi server on 127.0.0.1 with canned replies for the CDDB client tests.

    cddb_server.py --mode MODE --query CMD --hello HELLO

Listens on a free port and prints "PORT <n>" on stdout. A query must carry
exactly the command CMD (as sent, "cddb+query+..."), every request the greeting
HELLO with the version the client sends ("+FINAL" for the query, "+2" for the
read) and proto=1; anything else is answered "500 Command syntax error".

Modes: exact, inexact (two matches), nomatch, malformed-query (a match
without disc id), malformed-read (a read reply without any entry), latin1
(ISO-8859-1 names and long titles split over several lines), stall (accepts
connections and never answers).
"""

import argparse
import socket
import sys
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

QUERY_REPLIES = {
    "exact": "200 rock 0f030b03 Nordic Band / Long Evenings\r\n",
    "inexact": "211 Found inexact matches, list follows (until terminating `.')\r\n"
    "rock 1a2b3c03 First Band / First Disc\r\n"
    "jazz 4d5e6f03 Second Band / Second Disc\r\n"
    ".\r\n",
    "nomatch": "202 No match for disc ID 0f030b03.\r\n",
    "malformed-query": "200 rock\r\n",
    "malformed-read": "200 misc 0f030b03 Nobody / Nothing\r\n",
    "latin1": "200 folk 0f030b03 Bj\xf6rk / Homog\xe9nic\r\n",
}


def entry(lines):
    return "".join(line + "\r\n" for line in lines)


READ_REPLIES = {
    ("rock", "0f030b03"): entry([
        "210 rock 0f030b03 CD database entry follows (until terminating `.')",
        "# xmcd", "#", "DISCID=0f030b03",
        "DTITLE=Nordic Band / Long Evenings",
        "DYEAR=1999", "TTITLE0=Snow", "TTITLE1=Ice ", "TTITLE2=Thaw", "EXTD=", "EXTT0=",
        "PLAYORDER=", "."]),
    ("rock", "1a2b3c03"): entry([
        "210 rock 1a2b3c03 CD database entry follows (until terminating `.')",
        "DTITLE=First Band / First Disc", "TTITLE0=One", "TTITLE1=Two", "TTITLE2=Three", "."]),
    ("jazz", "4d5e6f03"): entry([
        "210 jazz 4d5e6f03 CD database entry follows (until terminating `.')",
        "DTITLE=Second Band / Second Disc", "TTITLE0=Uno", "TTITLE1=Dos", "TTITLE2=Tres", "."]),
    ("misc", "0f030b03"): entry([
        "210 misc 0f030b03 CD database entry follows (until terminating `.')",
        "# nothing but comments", "."]),
    ("folk", "0f030b03"): entry([
        "210 folk 0f030b03 CD database entry follows (until terminating `.')",
        "DTITLE=Bj\xf6rk / Homog", "DTITLE=\xe9nic",
        "TTITLE0=Hunter", "TTITLE1=J\xf3ga", "TTITLE2=A very long title that the server ",
        "TTITLE2=continues on a second line", "."]),
}


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_GET(self):
        path, _, query = self.path.partition("?")
        fields = dict(part.split("=", 1) for part in query.split("&") if "=" in part)
        cmd = fields.get("cmd", "")
        proto_ok = fields.get("proto") == "1"
        if path != "/~cddb/cddb.cgi" or not proto_ok:
            body = "500 Command syntax error\r\n"
        elif cmd.startswith("cddb+query+"):
            good = cmd == self.server.query and fields.get("hello") == self.server.hello + "+FINAL"
            body = QUERY_REPLIES[self.server.mode] if good else "500 Command syntax error\r\n"
        elif cmd.startswith("cddb+read+") and fields.get("hello") == self.server.hello + "+2":
            parts = cmd.split("+")
            body = READ_REPLIES.get((parts[2], parts[3]) if len(parts) == 4 else None,
                                    "401 Specified CDDB entry not found.\r\n")
        else:
            body = "500 Command syntax error\r\n"
        data = body.encode("latin-1")
        self.send_response(200)
        self.send_header("Content-Type", "text/plain; charset=ISO-8859-1")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)


def stall(listener):
    held = []
    while True:
        conn, _ = listener.accept()
        held.append(conn)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--mode", required=True)
    parser.add_argument("--query", default="")
    parser.add_argument("--hello", default="")
    args = parser.parse_args()
    if args.mode == "stall":
        listener = socket.socket()
        listener.bind(("127.0.0.1", 0))
        listener.listen(16)
        print("PORT", listener.getsockname()[1], flush=True)
        stall(listener)
        return
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    server.mode, server.query, server.hello = args.mode, args.query, args.hello
    print("PORT", server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
