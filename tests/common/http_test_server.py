#!/usr/bin/env python3
"""Small HTTP/1.1 file server for the downloader and updater tests.

usage: http_test_server.py ROOT REQUEST_LOG
Serves ROOT on 127.0.0.1 at a free port and prints the port on one line.
Each request path is appended to REQUEST_LOG. A sidecar file next to a served
file changes how that file is sent:
  NAME.reset    half the body, then a connection reset
  NAME.short    half the body, then an orderly close (Content-Length is full)
  NAME.chunked  chunked transfer coding
  NAME.nolength no Content-Length: the body runs until the close
  NAME.stall    headers only, then silence until the client gives up
"""
import os
import socket
import struct
import sys
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

ROOT = os.path.realpath(sys.argv[1])
LOG = sys.argv[2]


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_GET(self):
        with open(LOG, "a") as log:
            log.write(self.path + "\n")
        rel = urllib.parse.unquote(self.path.split("?", 1)[0]).lstrip("/")
        path = os.path.realpath(os.path.join(ROOT, rel))
        if not path.startswith(ROOT + os.sep) or not os.path.isfile(path):
            body = b"not found\n"
            self.wfile.write(b"HTTP/1.1 404 Not Found\r\nContent-Length: %d\r\n\r\n" % len(body) + body)
            return
        with open(path, "rb") as f:
            body = f.read()
        half = body[: len(body) // 2]
        if os.path.exists(path + ".reset"):
            self.wfile.write(b"HTTP/1.1 200 OK\r\nContent-Length: %d\r\n\r\n" % len(body) + half)
            self.wfile.flush()
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.connection.close()
            self.close_connection = True
        elif os.path.exists(path + ".short"):
            self.wfile.write(b"HTTP/1.1 200 OK\r\nContent-Length: %d\r\n\r\n" % len(body) + half)
            self.close_connection = True
        elif os.path.exists(path + ".chunked"):
            out = b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
            for i in range(0, len(body), 1000):
                piece = body[i : i + 1000]
                out += b"%x\r\n" % len(piece) + piece + b"\r\n"
            self.wfile.write(out + b"0\r\n\r\n")
        elif os.path.exists(path + ".nolength"):
            self.wfile.write(b"HTTP/1.0 200 OK\r\n\r\n" + body)
            self.close_connection = True
        elif os.path.exists(path + ".stall"):
            self.wfile.write(b"HTTP/1.1 200 OK\r\nContent-Length: %d\r\n\r\n" % len(body))
            self.wfile.flush()
            self.connection.settimeout(10)
            try:
                self.connection.recv(1)
            except OSError:
                pass
            self.close_connection = True
        else:
            self.wfile.write(b"HTTP/1.1 200 OK\r\nContent-Length: %d\r\n\r\n" % len(body) + body)


class Server(ThreadingHTTPServer):
    def handle_error(self, request, client_address):
        pass  # clients that hang up early are part of the tests


def main():
    server = Server(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    print(server.server_address[1], flush=True)
    deadline = time.time() + 600  # never outlive a stuck test run by long
    server.timeout = 1
    while time.time() < deadline:
        server.handle_request()


if __name__ == "__main__":
    main()
