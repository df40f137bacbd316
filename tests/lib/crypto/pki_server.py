#!/usr/bin/env python3
"""Serves the files of one folder over HTTP on 127.0.0.1 and a free port,
as a CA publishes its certificates and CRLs.

Prints the port on the first line of stdout once it listens, and stops when
its stdin closes. Every request target is appended to the --log file, one a
line, before it is answered. GET /<name> answers 200 with the bytes of the
file <name> of --root, read at the time of the request; where a file
<name>.endless stands instead, it answers 200 without a length and sends
256 MiB, more than a client takes; anything else 404.
"""

import argparse
import http.server
import os
import sys
import threading


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def answer(self, code, body):
        self.send_response(code)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def send_endless(self):
        self.send_response(200)
        self.send_header("Connection", "close")
        self.end_headers()
        self.close_connection = True
        chunk = b"x" * 65536
        try:
            for _ in range(4096):
                self.wfile.write(chunk)
        except OSError:
            pass

    def do_GET(self):
        with self.server.log_lock, open(self.server.log_path, "a") as log:
            log.write(self.path + "\n")
        name = self.path[1:]
        path = os.path.join(self.server.root, name)
        if "/" in name or name in ("", ".", ".."):
            self.answer(404, b"not found")
            return
        if os.path.isfile(path + ".endless"):
            self.send_endless()
            return
        if not os.path.isfile(path):
            self.answer(404, b"not found")
            return
        with open(path, "rb") as f:
            self.answer(200, f.read())


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--log", required=True)
    args = parser.parse_args()

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    server.root = args.root
    server.log_path = args.log
    server.log_lock = threading.Lock()
    threading.Thread(target=server.serve_forever, daemon=True).start()
    print(server.server_address[1], flush=True)
    sys.stdin.read()  # until the test closes our stdin


if __name__ == "__main__":
    main()
