#!/usr/bin/env python3
"""A local HTTP server that stands in for image hosts in the network tests.

Usage: http_stand_in.py --port-file FILE [--lifetime SECONDS]

Listens on 127.0.0.1 on a free port, writes the port number to FILE (written
whole, then renamed into place) and exits by itself after --lifetime seconds
(default 120), so a test that dies cannot leave it running. Every response is
HTTP/1.0, so each connection carries one request.

Routes (GET and HEAD):
  /image.jpg        200 image/jpeg, IMAGE_SIZE bytes of a fixed pattern
  /charset.jpg      200 "image/jpeg; charset=x", the same bytes
  /picture.png      200 image/png, PNG_BYTES
  /page.html        200 text/html
  /echo             200 text/plain: the request line and headers as received
  /missing...       404 (any path that starts so)
  /busy             503
  /silent           reads the request, then never answers
  /trickle          200 image/jpeg announcing 100000 bytes, one byte every 0.5 s
  /stall            200 image/jpeg announcing 1 MiB, sends 8192 bytes, then nothing
  /large            200 image/jpeg announcing 16 MiB, 8192 bytes every 20 ms
  /endless          200 image/jpeg without a length, bytes until the client leaves
  /endless.html     the same as text/html
  /short            200 image/jpeg announcing 10000 bytes, sends 5000 and closes
  /wrong-length     200 image/jpeg announcing 4294967396 bytes (100 in 32 bits),
                    sends 100 and closes
  /connections      200 text/plain: connections accepted so far, this one included
  /sent?path=P      200 text/plain: bytes of body sent on the last response for P
  /quit             200, then the server exits
Routes for the plug-in's end-to-end tests (plugin/tests):
  /numbered.jpg     200 image/jpeg "image-N", N counting the GETs of this path
  /head-image/html  HEAD says image/jpeg; GET serves an HTML page
  /head-image/busy  HEAD says image/jpeg; GET answers 503
  /requests         200 text/plain: "METHOD path" per request so far, one a line
                    (the control routes above are left out)
Anything else is 404.
"""
import argparse
import os
import socketserver
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

IMAGE_SIZE = 20000
IMAGE_BYTES = bytes((i * 7 + 3) % 256 for i in range(IMAGE_SIZE))
PNG_BYTES = b"\x89PNG\r\n\x1a\n" + bytes(range(256)) * 4
BLOCK = 8192

lock = threading.Lock()
connections = 0
sent = {}
requests = []
numbered = 0


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def get_request(self):
        global connections
        request = super().get_request()
        with lock:
            connections += 1
        return request


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def head(self, status, ctype, length=None, extra=()):
        self.send_response(status)
        if ctype:
            self.send_header("Content-Type", ctype)
        if length is not None:
            self.send_header("Content-Length", str(length))
        for name, value in extra:
            self.send_header(name, value)
        self.end_headers()

    def body(self, path, data):
        """Writes data unless this is HEAD; counts what got out."""
        if self.command == "HEAD":
            return True
        try:
            self.wfile.write(data)
            self.wfile.flush()
        except OSError:
            return False
        with lock:
            sent[path] = sent.get(path, 0) + len(data)
        return True

    def fixed(self, status, ctype, data):
        self.head(status, ctype, len(data))
        self.body(self.path, data)

    def stream(self, path, announced, total, chunk, pause, ctype="image/jpeg"):
        self.head(200, ctype, announced)
        with lock:
            sent[path] = 0
        if self.command == "HEAD":
            return
        written = 0
        while total is None or written < total:
            n = chunk if total is None else min(chunk, total - written)
            if not self.body(path, IMAGE_BYTES[:n] if n <= IMAGE_SIZE else bytes(n)):
                return
            written += n
            if pause:
                time.sleep(pause)

    def serve(self):
        global numbered
        url = urllib.parse.urlsplit(self.path)
        path = url.path
        if path not in ("/requests", "/connections", "/sent", "/quit"):
            with lock:
                requests.append(self.command + " " + self.path)
        if path == "/image.jpg":
            self.fixed(200, "image/jpeg", IMAGE_BYTES)
        elif path == "/charset.jpg":
            self.fixed(200, "image/jpeg; charset=x", IMAGE_BYTES)
        elif path == "/picture.png":
            self.fixed(200, "image/png", PNG_BYTES)
        elif path == "/page.html":
            self.fixed(200, "text/html", b"<html><body><img src='/image.jpg'></body></html>")
        elif path == "/echo":
            text = self.requestline + "\r\n" + str(self.headers)
            self.fixed(200, "text/plain", text.encode("latin-1"))
        elif path.startswith("/missing"):
            self.fixed(404, "text/html", b"not here")
        elif path == "/busy":
            self.fixed(503, "text/html", b"busy")
        elif path == "/silent":
            time.sleep(3600)
        elif path == "/trickle":
            self.stream(path, 100000, 100000, 1, 0.5)
        elif path == "/stall":
            self.stream(path, 1 << 20, BLOCK, BLOCK, 0)
            time.sleep(3600)
        elif path == "/large":
            self.stream(path, 16 << 20, 16 << 20, BLOCK, 0.02)
        elif path == "/endless":
            self.stream(path, None, None, 65536, 0)
        elif path == "/endless.html":
            self.stream(path, None, None, 65536, 0, "text/html")
        elif path == "/short":
            self.stream(path, 10000, 5000, 5000, 0)
        elif path == "/wrong-length":
            self.stream(path, 4294967396, 100, 100, 0)
        elif path == "/connections":
            with lock:
                count = connections
            self.fixed(200, "text/plain", str(count).encode())
        elif path == "/sent":
            which = urllib.parse.parse_qs(url.query).get("path", [""])[0]
            with lock:
                count = sent.get(which, 0)
            self.fixed(200, "text/plain", str(count).encode())
        elif path == "/quit":
            self.fixed(200, "text/plain", b"bye")
            threading.Thread(target=lambda: (time.sleep(0.2), os._exit(0)), daemon=True).start()
        elif path == "/numbered.jpg":
            if self.command == "GET":
                with lock:
                    numbered += 1
                    n = numbered
            else:
                n = 0
            self.fixed(200, "image/jpeg", b"image-%d" % n)
        elif path == "/head-image/html":
            if self.command == "HEAD":
                self.head(200, "image/jpeg", IMAGE_SIZE)
            else:
                self.fixed(200, "text/html", b"<html><body>moved</body></html>")
        elif path == "/head-image/busy":
            if self.command == "HEAD":
                self.head(200, "image/jpeg", IMAGE_SIZE)
            else:
                self.fixed(503, "text/html", b"busy")
        elif path == "/requests":
            with lock:
                text = "".join(line + "\n" for line in requests)
            self.fixed(200, "text/plain", text.encode("latin-1"))
        else:
            self.fixed(404, "text/html", b"unknown")

    do_GET = serve
    do_HEAD = serve


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--lifetime", type=float, default=120)
    args = parser.parse_args()
    # Whatever happens to the test, the server ends.
    threading.Timer(args.lifetime, os._exit, [0]).start()
    server = Server(("127.0.0.1", 0), Handler)
    temp = args.port_file + ".tmp"
    with open(temp, "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(temp, args.port_file)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
