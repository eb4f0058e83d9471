#!/usr/bin/env python3
"""A small HTTP server on 127.0.0.1 for the tests.

Serves the files of --root, prints "PORT <n>" once it listens, then one line
"GET <path>" per request it receives, so a test can see what reached it.
Every file may be cached for an hour, so that offline mode can find it later,
except those whose name holds "stale": they must be checked again at once, and
those whose name holds "private": only the visitor's own browser may keep them.
Files whose name holds "attachment" are sent as downloads; the path
/login asks for HTTP authentication. --tls serves HTTPS instead. Asked as a proxy ("GET http://any.host/x"),
it serves its own files whatever the host, so that a browser can reach it under
any name.
It stops by itself after --lifetime seconds, should a test forget it.
"""
import argparse
import http.server
import os
import ssl
import sys
import threading

PRINTING = threading.Lock()


class Handler(http.server.SimpleHTTPRequestHandler):
    def end_headers(self):
        stale = "stale" in self.path
        private = "private, " if "private" in self.path else ""
        self.send_header("Cache-Control", "max-age=0" if stale else private + "max-age=3600")
        if "attachment" in self.path:
            self.send_header("Content-Disposition", 'attachment; filename="file.bin"')
        super().end_headers()

    def do_GET(self):
        # One write a line: print() from several threads at once writes a
        # line and its end separately, and two requests could share a line.
        with PRINTING:
            sys.stdout.write(f"GET {self.path}\n")
            sys.stdout.flush()
        if "://" in self.path:
            self.path = "/" + self.path.split("://", 1)[1].partition("/")[2]
        if self.path != "/login":
            return super().do_GET()
        self.send_response(401)
        self.send_header("WWW-Authenticate", 'Basic realm="kiosk"')
        self.send_header("Content-Length", "0")
        self.end_headers()

    def log_message(self, *args):
        pass


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--lifetime", type=float, default=600)
    parser.add_argument("--tls", nargs=2, metavar=("CERT", "KEY"), help="serve HTTPS with this certificate")
    args = parser.parse_args()
    os.chdir(args.root)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    server.daemon_threads = True
    if args.tls:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(*args.tls)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    print(f"PORT {server.server_address[1]}", flush=True)
    threading.Timer(args.lifetime, server.shutdown).start()
    server.serve_forever()


if __name__ == "__main__":
    main()
