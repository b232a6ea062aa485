#!/usr/bin/env python3
"""Talks to a zeb message endpoint the way other programs do and prints the
32-bit answer.

  endpoint_client.py <socket> command <id>
  endpoint_client.py <socket> copydata <mode> <path> [--size N]
  endpoint_client.py <socket> raw <message> <wparam> <lparam>
"""
import argparse
import socket
import struct
import sys

WM_COPYDATA = 0x004A
WM_COMMAND = 0x0111
RECORD_SIZE = 268


def record(mode, path, size):
    data = struct.pack("<i", mode) + path.encode() + b"\0"
    data = data[:RECORD_SIZE].ljust(RECORD_SIZE, b"\0")
    return data[:size].ljust(size, b"\0")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("socket")
    parser.add_argument("kind", choices=["command", "copydata", "raw"])
    parser.add_argument("args", nargs="*")
    parser.add_argument("--size", type=int, default=RECORD_SIZE)
    options = parser.parse_args()

    if options.kind == "command":
        request = struct.pack("<III", WM_COMMAND, int(options.args[0]), 0)
    elif options.kind == "copydata":
        payload = record(int(options.args[0]), options.args[1], options.size)
        request = struct.pack("<IIIII", WM_COPYDATA, 0, 0, 0, len(payload)) + payload
    else:
        request = struct.pack("<III", *(int(a, 0) for a in options.args[:3]))

    with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
        s.settimeout(10)
        s.connect(options.socket)
        s.sendall(request)
        answer = b""
        while len(answer) < 4:
            chunk = s.recv(4 - len(answer))
            if not chunk:
                print("no answer", file=sys.stderr)
                return 2
            answer += chunk
    print(struct.unpack("<i", answer)[0])
    return 0


if __name__ == "__main__":
    sys.exit(main())
