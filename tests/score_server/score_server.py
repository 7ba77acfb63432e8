#!/usr/bin/env python3
"""A stand-in leaderboard for the tests: HTTPS on 127.0.0.1, a free port.

  score_server.py certs DIR         make a test CA, a localhost certificate signed
                                    by it, a certificate for another host signed
                                    by it, and a second, unrelated CA
  score_server.py serve DIR CERT [PORT]
                                    serve with CERT.pem and CERT.key (CERT is a
                                    path without its ending), on PORT if given

While serving, the port goes to DIR/port (written whole, by rename). While
DIR/hold exists, every new connection waits before its handshake, after
writing DIR/held, so a test can look at the client with its score on the way. Every
request is recorded as DIR/requests/NNN.head (request line and header lines,
each ending in CRLF) and DIR/requests/NNN.body (the body bytes) before it is
answered. How to answer is read per request from DIR/behaviour, one line
"MODE STATUS", with the answer body in DIR/answer:

  reply     the status and the body, with Content-Length (the default)
  redirect  the status with a Location to another path, and the body
  silent    read the request, then say nothing until the client gives up
  hangup    read the request, then close without a word
  partial   headers announcing 1000 bytes more than the body, the body, close
  stall     headers announcing 1000 bytes more than the body, the body, silence
"""

import http.server
import os
import socket
import ssl
import subprocess
import sys
import threading
import time


def openssl(*args, cwd):
    subprocess.run(["openssl", *args], cwd=cwd, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def make_ca(name, cwd):
    openssl("req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
            "-nodes", "-keyout", f"{name}.key", "-out", f"{name}.pem", "-days", "2",
            "-subj", f"/CN=SNOKRYSTAL test {name}",
            "-addext", "basicConstraints=critical,CA:TRUE",
            "-addext", "keyUsage=critical,keyCertSign,cRLSign", cwd=cwd)


def make_leaf(name, alt_names, cwd, ca="ca"):
    with open(os.path.join(cwd, f"{name}.ext"), "w") as ext:
        ext.write(f"subjectAltName={alt_names}\n"
                  "basicConstraints=CA:FALSE\n"
                  "keyUsage=critical,digitalSignature\n"
                  "extendedKeyUsage=serverAuth\n")
    openssl("req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
            "-keyout", f"{name}.key", "-out", f"{name}.csr", "-subj", "/CN=localhost", cwd=cwd)
    openssl("x509", "-req", "-in", f"{name}.csr", "-CA", f"{ca}.pem", "-CAkey", f"{ca}.key",
            "-CAcreateserial", "-out", f"{name}.pem", "-days", "2",
            "-extfile", f"{name}.ext", cwd=cwd)


def make_certs(directory):
    os.makedirs(directory, exist_ok=True)
    make_ca("ca", directory)
    make_ca("other-ca", directory)
    make_leaf("localhost", "DNS:localhost,IP:127.0.0.1", directory)
    make_leaf("elsewhere", "DNS:elsewhere.invalid", directory)


def write_whole(path, data):
    temporary = path + ".tmp"
    with open(temporary, "wb") as out:
        out.write(data)
    os.replace(temporary, path)


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "ScoreServer"
    sys_version = ""

    def log_message(self, *args):
        pass

    def handle(self):
        hold = os.path.join(self.server.directory, "hold")
        if os.path.exists(hold):
            write_whole(os.path.join(self.server.directory, "held"), b"")
            while os.path.exists(hold):
                time.sleep(0.02)
        super().handle()

    def do_POST(self):
        self.answer()

    def do_GET(self):
        self.answer()

    def behaviour(self):
        directory = self.server.directory
        try:
            with open(os.path.join(directory, "behaviour")) as f:
                mode, status = f.read().split()
        except (OSError, ValueError):
            mode, status = "reply", "200"
        try:
            with open(os.path.join(directory, "answer"), "rb") as f:
                body = f.read()
        except OSError:
            body = b""
        return mode, int(status), body

    def record(self):
        length = int(self.headers.get("Content-Length", "0"))
        body = self.rfile.read(length) if length > 0 else b""
        head = self.requestline + "\r\n"
        for name, value in self.headers.items():
            head += f"{name}: {value}\r\n"
        with self.server.lock:
            self.server.count += 1
            number = self.server.count
        base = os.path.join(self.server.directory, "requests", f"{number:03d}")
        write_whole(base + ".body", body)
        write_whole(base + ".head", head.encode("latin-1"))

    def wait_for_client_to_leave(self):
        # Silence until the client closes its end (or a minute has passed).
        self.connection.settimeout(0.2)
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline:
            try:
                if not self.connection.recv(1):
                    return
            except (socket.timeout, TimeoutError):
                continue
            except (OSError, ssl.SSLError):
                return

    def answer(self):
        self.record()
        mode, status, body = self.behaviour()
        if mode == "silent":
            self.wait_for_client_to_leave()
            self.close_connection = True
            return
        if mode == "hangup":
            self.close_connection = True
            return
        self.send_response(status)
        self.send_header("Content-Type", "application/json")
        self.send_header("Connection", "close")
        if mode == "redirect":
            self.send_header("Location", "/moved.php")
        if mode in ("partial", "stall"):
            self.send_header("Content-Length", str(len(body) + 1000))
        else:
            self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
        self.wfile.flush()
        if mode == "stall":
            self.wait_for_client_to_leave()
        self.close_connection = True


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def handle_error(self, request, client_address):
        pass  # failed handshakes are what some tests are about


def serve(directory, cert, port=0):
    os.makedirs(os.path.join(directory, "requests"), exist_ok=True)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert + ".pem", cert + ".key")
    server = Server(("127.0.0.1", port), Handler)
    # The handshake runs in the request's own thread, so a client that never
    # finishes one cannot hold up the others.
    server.socket = context.wrap_socket(server.socket, server_side=True,
                                        do_handshake_on_connect=False)
    server.directory = directory
    server.lock = threading.Lock()
    server.count = 0
    write_whole(os.path.join(directory, "port"), str(server.server_address[1]).encode())
    server.serve_forever(poll_interval=0.1)


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "certs":
        make_certs(sys.argv[2])
    elif len(sys.argv) in (4, 5) and sys.argv[1] == "serve":
        serve(sys.argv[2], sys.argv[3], int(sys.argv[4]) if len(sys.argv) == 5 else 0)
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
