#!/usr/bin/env python3
"""Stands in for the four image-search engines, the image hosts and a gallery
site in the plug-in's and the program's end-to-end tests, reached as a proxy
(WinInet sends the absolute address) or directly for its control routes.

Usage: engine_stand_in.py --port-file FILE [--lifetime SECONDS]

Listens on 127.0.0.1 on a free port, writes the port to FILE (whole, then
renamed into place) and exits by itself after --lifetime seconds.

The results are image records 1..count, per_page to a result page. Record i
is the image http://pics.example/r<i>.jpg (with names=1:
http://pics.example/th?id=OHR.Sea<i>.jpg&rf=1), announced 1024x768 unless the
setup says otherwise (the announced size never changes the picture).

Pictures: every image served is a 24-bit uncompressed BMP (14-byte file
header, 40-byte info header, bottom-up rows padded to 4 bytes) of px_w x px_h
pixels, all of one colour, followed by zero bytes up to `size` bytes when the
picture is smaller (bfSize is the whole file). The colour of number n
(1 <= n < 4096) spreads n's bits over the high nibbles of the channels, so
no two numbers share a colour, neighbouring numbers differ by 0x80 in some
channel and any two of 1..64 by at least 0x20:
    bit 3k   of n -> bit 7-k of red    (k = 0..3)
    bit 3k+1 of n -> bit 7-k of green
    bit 3k+2 of n -> bit 7-k of blue
    every channel's low nibble is 0x0F
so record 1 is (0x8F,0x0F,0x0F), 2 is (0x0F,0x8F,0x0F), 3 (0x8F,0x8F,0x0F),
4 (0x0F,0x0F,0x8F), 8 (0x4F,0x0F,0x0F). Numbers wrap modulo 4096.
Record i has number i. Gallery pictures: thumb1.jpg 101, big1.jpg 102,
lone.jpg 103. plugin/tests/stand_in_colours.h computes the same.

Engines (as their hosts; page positions as each engine counts them):
  images.google.com        /images?q=..&start=S       records S+1 ..  (0-based, by results)
  images.ask.com           /pictures?q=..&page=P      page P, 1-based (by pages)
  images.search.yahoo.com  /search/images?..&b=B      records B ..    (1-based, by results)
  search.lycos.com         /?tab=multi&query=..&offset=O  records O+1 ..
Each result link carries the image address percent-encoded twice (the
plug-in decodes the link, splits its parameters, then decodes each value), so
an address with a query of its own comes back whole.
Gallery: http://gallery.example/g.html holds an A around an IMG and a lone IMG.

Control routes (on 127.0.0.1 itself):
  /setup?k=v&...  every value back to its default, then the ones given; new
        records; clears the requests. Values (default):
          count (20)      number of records
          per_page (5)    records on a result page
          size (1000)     least length of an image file, in bytes
          px_w, px_h (32, 24)  picture size in pixels (1..4096 each)
          narrow (0)      this record is announced 640 wide
          zero (0)        this record is announced without a size
          html (0)        1: every image is answered with an HTML page
          names (0)       1: the image addresses carry a query (see above)
          silent (0)      1: image requests are accepted and never answered;
                          the connection stays open until /quit or the end of
                          the lifetime (engine pages still answer)
          engine_down (0) 1: requests to the four engine hosts get no answer:
                          the connection is reset (after 0.2 s)
  /set?k=v&...    changes the values given and nothing else (records and
                  requests stay), e.g. /set?engine_down=0
  /requests   "METHOD host path" per request so far, one a line
  /quit       the server exits
Unknown names or values that are not numbers: 400, nothing changes.
"""
import argparse
import os
import re
import socket
import struct
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

DEFAULTS = {"count": 20, "per_page": 5, "size": 1000, "px_w": 32, "px_h": 24, "narrow": 0, "zero": 0, "html": 0,
            "names": 0, "silent": 0, "engine_down": 0}
# Bounds that keep a hostile setup from asking for gigabytes.
LIMITS = {"count": 1 << 20, "per_page": 10000, "size": 64 << 20, "px_w": 4096, "px_h": 4096}
GALLERY = {"thumb1.jpg": 101, "big1.jpg": 102, "lone.jpg": 103}

lock = threading.Lock()
setup = dict(DEFAULTS)
requests = []
# Set when the server is to stop: held image requests then let go.
stopping = threading.Event()


def colour(n):
    n %= 4096
    rgb = [0x0F, 0x0F, 0x0F]
    for bit in range(12):
        if n >> bit & 1:
            rgb[bit % 3] |= 0x80 >> (bit // 3)
    return tuple(rgb)


def picture(n, width, height, least):
    r, g, b = colour(n)
    stride = (width * 3 + 3) & ~3
    row = bytes((b, g, r)) * width + bytes(stride - width * 3)
    pixels = row * height
    length = max(54 + len(pixels), least)
    head = struct.pack("<2sIHHI", b"BM", length, 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return (head + info + pixels).ljust(length, b"\0")


def image_address(i):
    if setup["names"]:
        return "http://pics.example/th?id=OHR.Sea%d.jpg&rf=1" % i
    return "http://pics.example/r%d.jpg" % i


def twice(text):
    return urllib.parse.quote(urllib.parse.quote(text, safe=":/"), safe=":/")


def record_html(engine, i):
    image = twice(image_address(i))
    width, height = (640 if i == setup["narrow"] else 1024), 768
    sized = i != setup["zero"]
    if engine == "google":
        size = "&amp;w=%d&amp;h=%d" % (width, height) if sized else ""
        return '<a href="/imgres?imgurl=%s%s">x</a>' % (image, size)
    if engine == "ask":
        return '<a href="http://images.ask.com/fr?q=x&amp;imagesrc=%s">x</a>' % image
    if engine == "yahoo":
        size = "&amp;w=%d&amp;h=%d" % (width, height) if sized else ""
        return ('<a href="http://images.search.yahoo.com/search/images/view?imgurl=%s'
                '&amp;rurl=http://pics.example/%s">x</a>' % (image[len("http://"):], size))
    size = "&amp;image_width=%d&amp;image_height=%d" % (width, height) if sized else ""
    return '<a href="image.php?image_url=%s%s">x</a>' % (image, size)


def number(text, default):
    return int(text) if text.isdigit() and len(text) < 10 else default


def result_page(engine, query):
    q = urllib.parse.parse_qs(query)
    per = setup["per_page"]
    if engine == "google":
        first = number(q.get("start", ["0"])[0], 0) + 1
    elif engine == "ask":
        first = (number(q.get("page", ["1"])[0], 1) - 1) * per + 1
    elif engine == "yahoo":
        first = number(q.get("b", ["1"])[0], 1)
    else:
        first = number(q.get("offset", ["0"])[0], 0) + 1
    links = [record_html(engine, i) for i in range(max(first, 1), min(first + per, setup["count"] + 1))]
    return ("<html><body>" + "\n".join(links) + "</body></html>").encode()


def record_of(path, query):
    """The record an image address names, or None."""
    m = re.fullmatch(r"/r(\d{1,7})\.jpg", path)
    if m:
        return int(m.group(1))
    if path == "/th":
        m = re.fullmatch(r"OHR\.Sea(\d{1,7})\.jpg", urllib.parse.parse_qs(query).get("id", [""])[0])
        if m:
            return int(m.group(1))
    return None


def parse_values(query):
    """The name=number pairs of a control query, or None if one is not known."""
    values = {}
    for k, v in urllib.parse.parse_qsl(query, keep_blank_values=True):
        if k not in DEFAULTS or not v.isdigit() or len(v) > 9:
            return None
        values[k] = min(int(v), LIMITS.get(k, 1 << 30))
    for k in ("px_w", "px_h"):
        if k in values:
            values[k] = max(values[k], 1)
    return values


ENGINES = {"images.google.com": "google", "images.ask.com": "ask", "images.search.yahoo.com": "yahoo",
           "search.lycos.com": "lycos"}


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def reply(self, status, ctype, body):
        self.send_response(status)
        self.send_header("Content-Type", ctype)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def drop(self):
        """Ends the connection without a status line."""
        self.close_connection = True
        try:
            self.connection.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass

    def reset(self):
        """Resets the connection (no orderly close, no answer). WinInet under
        Wine reports an orderly close without a status line as a success with
        status 0, but a reset as a connection failure. The pause lets the
        client finish sending and wait for the answer: a reset that comes
        sooner is now and then taken for an orderly close too."""
        self.close_connection = True
        time.sleep(0.2)
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        with lock:
            self.server.resets.add(self.connection)

    def do_HEAD(self):
        self.do_GET()

    def do_GET(self):
        target = self.path
        if target.startswith("http://"):
            parts = urllib.parse.urlsplit(target)
            host, path, query = parts.hostname or "", parts.path, parts.query
            full = parts.path + ("?" + parts.query if parts.query else "")
        else:
            host = "127.0.0.1"
            path, _, query = target.partition("?")
            full = target
        if host == "127.0.0.1":
            return self.control(path, query)
        with lock:
            requests.append("%s %s %s" % (self.command, host, full))
            now = dict(setup)
        if host in ENGINES:
            if now["engine_down"]:
                return self.reset()
            return self.reply(200, "text/html", result_page(ENGINES[host], query))
        n = None
        if host == "pics.example":
            n = record_of(path, query)
        elif host == "gallery.example":
            if path == "/g.html":
                return self.reply(200, "text/html",
                                  b'<html><body><a href="big1.jpg"><img src="thumb1.jpg"></a>'
                                  b'<p><img src="/pics/lone.jpg"></body></html>')
            n = GALLERY.get(path.rsplit("/", 1)[-1])
        if n is None:
            return self.reply(404, "text/plain", b"none")
        if now["silent"]:
            stopping.wait()
            return self.drop()
        if now["html"]:
            return self.reply(200, "text/html", b"<html>not an image</html>")
        self.reply(200, "image/bmp", picture(n, now["px_w"], now["px_h"], now["size"]))

    def control(self, path, query):
        if path in ("/setup", "/set"):
            values = parse_values(query)
            if values is None:
                return self.reply(400, "text/plain", b"unknown value")
            with lock:
                if path == "/setup":
                    setup.clear()
                    setup.update(DEFAULTS)
                    requests.clear()
                setup.update(values)
            return self.reply(200, "text/plain", b"ok")
        if path == "/requests":
            with lock:
                body = "".join(r + "\n" for r in requests).encode()
            return self.reply(200, "text/plain", body)
        if path == "/quit":
            self.reply(200, "text/plain", b"bye")
            stop(self.server)
            return
        self.reply(404, "text/plain", b"none")


def stop(server):
    stopping.set()
    threading.Thread(target=server.shutdown, daemon=True).start()


class Server(ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, *args):
        super().__init__(*args)
        self.resets = set()

    def shutdown_request(self, request):
        # The usual half-close would send a FIN ahead of the reset, and a
        # client that reads it first sees an orderly end instead.
        with lock:
            reset = request in self.resets
            self.resets.discard(request)
        if reset:
            self.close_request(request)
        else:
            super().shutdown_request(request)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--lifetime", type=float, default=120)
    args = parser.parse_args()
    server = Server(("127.0.0.1", 0), Handler)
    temp = args.port_file + ".tmp"
    with open(temp, "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(temp, args.port_file)
    timer = threading.Timer(args.lifetime, stop, (server,))
    timer.daemon = True
    timer.start()
    server.serve_forever()


if __name__ == "__main__":
    main()
