#!/usr/bin/env python3
"""HTTP(S) server for the client tests, on 127.0.0.1 and a free port.

Prints the port on the first line of stdout once it listens, and stops when
its stdin closes. Every request is appended to the --log file before it is
answered, as one line of tab-separated fields: method, target, version, the
server's port, then "name=value" for each header, names in lower case.

Targets:
  /bytes/N          200 with N bytes, byte i being i % 251
  /status/CODE      that status with its standard reason and a short body
  /redirect/N       302 to /redirect/N-1; /redirect/0 answers 200 "redirected"
  /truncated        announces 2048 bytes, sends 100 and closes the connection
  /stall-body       announces 100 bytes, sends 10 and then nothing more
  /stall            never answers
  /endless          200 without a length, then 256 MiB, more than a client
                    takes, and the connection closes
  /drip-body        announces 50 bytes and sends one every 100 ms
  /drip-head        sends its status line and headers a byte every 100 ms
  /no-status        answers without a status line, as an HTTP/0.9 server
  /weird-status     a status line whose code is no number
  /long-header      a header line of 200 KB
  /many-headers     400 header lines of 1 KB each
  /nothing          closes the connection without a word
  /bad-chunk        a chunked body whose chunk size is no number
  /redirect-ftp     302 to an ftp address
  anything else     200 "ok" (also for a proxy's absolute targets)

--silent accepts connections and never says anything (no HTTP, no TLS).
--tls NAME serves HTTPS with a fresh self-signed certificate for NAME (an IP
address or a DNS name), made with the openssl command; --expired makes it
one that ran out in 2020; --client-cert demands a client certificate.
"""

import argparse
import http.server
import os
import shutil
import socket
import ssl
import subprocess
import sys
import tempfile
import threading
import time

CA_CONFIG = """[ca]
default_ca = self
[self]
database = index.txt
new_certs_dir = .
serial = serial
default_md = sha256
policy = any
copy_extensions = copy
unique_subject = no
[any]
commonName = supplied
"""


def make_certificate(folder, name, expired):
    """Returns (certificate, key) paths of a self-signed certificate."""
    alt = ("IP:" if name.replace(".", "").isdigit() else "DNS:") + name
    key, csr, cert = (os.path.join(folder, n) for n in ("key.pem", "req.csr", "cert.pem"))
    with open(os.path.join(folder, "ca.cnf"), "w") as f:
        f.write(CA_CONFIG)
    open(os.path.join(folder, "index.txt"), "w").close()
    with open(os.path.join(folder, "serial"), "w") as f:
        f.write("01\n")
    run = lambda *args: subprocess.run(args, cwd=folder, check=True, capture_output=True)
    run("openssl", "req", "-new", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256",
        "-nodes", "-keyout", key, "-out", csr, "-subj", "/CN=" + name,
        "-addext", "subjectAltName=" + alt)
    if expired:
        dates = ["-startdate", "20200101000000Z", "-enddate", "20200201000000Z"]
    else:
        dates = ["-days", "30"]
    run("openssl", "ca", "-batch", "-config", "ca.cnf", "-selfsign", "-keyfile", key,
        "-in", csr, "-out", cert, "-notext", *dates)
    return cert, key


# Replies written as they are, then the connection closes.
RAW_REPLIES = {
    "/no-status": b"ok\r\n",
    "/weird-status": b"HTTP/1.1 2x0 OK\r\nContent-Length: 2\r\n\r\nok",
    "/long-header": b"HTTP/1.1 200 OK\r\nX-Long: " + b"a" * (200 << 10) +
                    b"\r\nContent-Length: 2\r\n\r\nok",
    "/many-headers": b"HTTP/1.1 200 OK\r\n" +
                     b"".join(b"X-Header-%d: %s\r\n" % (i, b"a" * 1000) for i in range(400)) +
                     b"Content-Length: 2\r\n\r\nok",
    "/nothing": b"",
    "/bad-chunk": b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\nabc\r\n",
    "/redirect-ftp": b"HTTP/1.1 302 Found\r\nLocation: ftp://127.0.0.1/ca.crl\r\n"
                     b"Content-Length: 0\r\n\r\n",
}


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def log_request_line(self):
        fields = [self.command, self.path, self.request_version,
                  str(self.server.server_address[1])]
        fields += ["%s=%s" % (k.lower(), v) for k, v in self.headers.items()]
        with self.server.log_lock, open(self.server.log_path, "a") as log:
            log.write("\t".join(fields) + "\n")

    def answer(self, code, body, length=None):
        self.send_response(code)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(len(body) if length is None else length))
        self.end_headers()
        self.wfile.write(body)
        self.wfile.flush()

    def send_until_closed(self, chunk, pause, times=None):
        """Sends `chunk` `times` times (without end when None), pausing
        between them; False once the client has gone."""
        sent = 0
        while times is None or sent < times:
            try:
                self.wfile.write(chunk)
                self.wfile.flush()
            except OSError:
                self.close_connection = True
                return False
            sent += 1
            if pause:
                time.sleep(pause)
        return True

    def do_GET(self):
        self.log_request_line()
        parts = self.path.split("/")
        if self.path.startswith("/bytes/"):
            self.answer(200, bytes(i % 251 for i in range(int(parts[2]))))
        elif self.path.startswith("/status/"):
            code = int(parts[2])
            self.answer(code, ("status %d" % code).encode())
        elif self.path.startswith("/redirect/"):
            left = int(parts[2])
            if left == 0:
                self.answer(200, b"redirected")
                return
            self.send_response(302)
            self.send_header("Location", "/redirect/%d" % (left - 1))
            self.send_header("Content-Length", "0")
            self.end_headers()
        elif self.path == "/truncated":
            self.answer(200, b"x" * 100, length=2048)
            self.close_connection = True
        elif self.path == "/stall-body":
            self.answer(200, b"x" * 10, length=100)
            time.sleep(3600)
        elif self.path == "/stall":
            time.sleep(3600)
        elif self.path == "/endless":
            self.send_response(200)
            self.send_header("Connection", "close")
            self.end_headers()
            self.close_connection = True
            self.send_until_closed(b"x" * 65536, 0, 4096)
        elif self.path == "/drip-body":
            self.send_response(200)
            self.send_header("Content-Length", "50")
            self.end_headers()
            self.send_until_closed(b"x", 0.1, 50)
        elif self.path == "/drip-head":
            head = b"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"
            for i in range(len(head)):
                if not self.send_until_closed(head[i:i + 1], 0.1, 1):
                    break
        elif self.path in RAW_REPLIES:
            self.wfile.write(RAW_REPLIES[self.path])
            self.wfile.flush()
            self.close_connection = True
        else:
            self.answer(200, b"ok")


def serve_silently(listener):
    held = []
    while True:
        connection, _ = listener.accept()
        held.append(connection)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--log", default=os.devnull)
    parser.add_argument("--silent", action="store_true")
    parser.add_argument("--tls")
    parser.add_argument("--expired", action="store_true")
    parser.add_argument("--client-cert", action="store_true")
    args = parser.parse_args()

    folder = tempfile.mkdtemp(prefix="tarvex-http-")
    try:
        if args.silent:
            listener = socket.create_server(("127.0.0.1", 0))
            port = listener.getsockname()[1]
            threading.Thread(target=serve_silently, args=(listener,), daemon=True).start()
        else:
            server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
            server.daemon_threads = True
            server.log_path = args.log
            server.log_lock = threading.Lock()
            if args.tls:
                cert, key = make_certificate(folder, args.tls, args.expired)
                context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
                context.load_cert_chain(cert, key)
                if args.client_cert:
                    context.verify_mode = ssl.CERT_REQUIRED
                    context.load_verify_locations(cert)
                server.socket = context.wrap_socket(server.socket, server_side=True)
            port = server.server_address[1]
            threading.Thread(target=server.serve_forever, daemon=True).start()
        print(port, flush=True)
        sys.stdin.read()  # until the test closes our stdin
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
