#!/usr/bin/env python3
"""Serves a folder as the client's sound pack over HTTP on 127.0.0.1.

    soundpack_server.py --dir DIR [--port N] [--port-file FILE]

Every file under DIR is offered as /soundpack/<relative name>, and the
gzip-compressed manifest the client's updater reads is built from them at
start-up as /soundpack/file_manifest_audio.txt.gz: one line per file, its
SHA-256 in hexadecimal, its size and its name. With --port-file the chosen
port is written to FILE once the server listens. Ends on SIGINT or SIGTERM.

Python standard library only; `start(folder)` runs it in a thread for tests.
"""
import argparse
import gzip
import hashlib
import os
import signal
import sys
import threading
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

MANIFEST = "file_manifest_audio.txt.gz"


def build_manifest(folder):
    lines = ["# Karthem demo sound pack\n"]
    for root, _dirs, files in sorted(os.walk(folder)):
        for name in sorted(files):
            path = os.path.join(root, name)
            rel = os.path.relpath(path, folder).replace(os.sep, "/")
            if rel.startswith(".") or rel.endswith(".tmp"):
                continue
            with open(path, "rb") as f:
                data = f.read()
            lines.append(f"{hashlib.sha256(data).hexdigest()} {len(data)} {rel}\n")
    return gzip.compress("".join(lines).encode())


def make_handler(folder, manifest):
    root = os.path.realpath(folder)

    class Handler(BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def log_message(self, *args):
            pass

        def send(self, status, body, kind="application/octet-stream"):
            self.send_response(status)
            self.send_header("Content-Type", kind)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def do_GET(self):
            path = urllib.parse.unquote(self.path.split("?", 1)[0])
            if not path.startswith("/soundpack/"):
                return self.send(404, b"not found\n", "text/plain")
            rel = path[len("/soundpack/"):]
            if rel == MANIFEST:
                return self.send(200, manifest, "application/gzip")
            full = os.path.realpath(os.path.join(root, rel))
            if not full.startswith(root + os.sep) or not os.path.isfile(full):
                return self.send(404, b"not found\n", "text/plain")
            with open(full, "rb") as f:
                self.send(200, f.read())

    return Handler


class Server(ThreadingHTTPServer):
    daemon_threads = True

    def handle_error(self, request, client_address):
        pass  # a client that hangs up early is its own business


def start(folder, port=0):
    """Starts serving `folder` in a daemon thread; returns the server (its
    port is server.server_address[1]; end it with server.shutdown())."""
    server = Server(("127.0.0.1", port), make_handler(folder, build_manifest(folder)))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--dir", required=True)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--port-file")
    args = parser.parse_args()
    os.makedirs(args.dir, exist_ok=True)
    server = Server(("127.0.0.1", args.port), make_handler(args.dir, build_manifest(args.dir)))
    signal.signal(signal.SIGTERM, lambda *_: threading.Thread(target=server.shutdown).start())
    if args.port_file:
        with open(args.port_file + ".tmp", "w") as f:
            f.write(str(server.server_address[1]))
        os.replace(args.port_file + ".tmp", args.port_file)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
