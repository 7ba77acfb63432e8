#!/usr/bin/env python3
# A stand-in leaderboard for the tests: score_server.py DIR [CERT KEY PORT]
#
# Without a certificate of the test's own, makes a self-signed one for 127.0.0.1
# (DIR/cert.pem, which the client trusts) and takes a free port. Serves HTTPS on
# 127.0.0.1, writes the port to DIR/port and ends when its standard input
# closes. Every request is recorded as DIR/NNN (request line,
# header lines sorted by name, blank line, body) before it is answered.
# How to answer is read per request from DIR/mode ("MODE STATUS") and the body
# from DIR/answer, both written by the caller before its first request:
#
#   reply     the status and the body
#   redirect  the same, with a Location on another path
#   partial   headers announcing 1000 bytes more than the body, the body, close
#   hangup    close without a word
#   hold      nothing until DIR/gate exists (then as reply) or the client leaves

import http.server
from pathlib import Path
import itertools, os, select, ssl, subprocess, sys, threading  # noqa: E401


def write_whole(path, data):
    Path(path + ".tmp").write_bytes(data)
    os.replace(path + ".tmp", path)


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    log_message = lambda self, *args: None  # noqa: E731

    def do_POST(self):
        body = self.rfile.read(int(self.headers.get("Content-Length", "0")))
        head = self.requestline + "\r\n" + "".join(f"{k}: {v}\r\n" for k, v in sorted(self.headers.items()))
        write_whole(f"{next(self.server.count):03d}", head.encode() + b"\r\n" + body)  # next(): atomic under the GIL
        (mode, status), answer = Path("mode").read_bytes().split(), Path("answer").read_bytes()
        self.close_connection = True
        if mode == b"hangup" or (mode == b"hold" and not self.gate_opens()):
            return
        self.send_response(int(status))
        self.send_header("Content-Length", str(len(answer) + (1000 if mode == b"partial" else 0)))
        if mode == b"redirect":
            self.send_header("Location", "/moved.php")
        self.end_headers()
        self.wfile.write(answer)

    def gate_opens(self):  # False once the client leaves (or raises, which ends it too)
        while not os.path.exists("gate"):
            if select.select([self.connection], [], [], 0.02)[0] and not self.connection.recv(1):
                return False
        return True


if __name__ == "__main__":
    os.chdir(sys.argv[1])
    cert, key, port = sys.argv[2:] or ("cert.pem", "key.pem", "0")
    if len(sys.argv) == 2:
        subprocess.run(("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout key.pem "
                        "-out cert.pem -days 2 -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1").split(),
                       check=True, capture_output=True)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", int(port)), Handler)
    server.handle_error = lambda *args: None  # refused handshakes are what some tests are about
    # Handshakes run in the requests' own threads, so a stuck one holds up no other.
    server.socket = context.wrap_socket(server.socket, server_side=True, do_handshake_on_connect=False)
    server.count = itertools.count(1)
    threading.Thread(target=server.serve_forever, args=(0.05,), daemon=True).start()
    write_whole("port", str(server.server_address[1]).encode())
    sys.stdin.read()
