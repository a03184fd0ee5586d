#!/usr/bin/env python3
"""Stands in for the four image-search engines, the image hosts and a gallery
site in the plug-in's end-to-end tests, reached as a proxy (WinInet sends the
absolute address) or directly for its control routes.

Usage: engine_stand_in.py --port-file FILE [--lifetime SECONDS]

Listens on 127.0.0.1 on a free port, writes the port to FILE (whole, then
renamed into place) and exits by itself after --lifetime seconds.

The results are image records 1..count, per_page to a result page. Record i
is the image http://pics.example/r<i>.jpg, announced 1024x768 unless the setup
says otherwise; its body is "image-<i>;" repeated up to `size` bytes (one
value throughout, so a test tells the results apart by their bytes).

Engines (as their hosts; page positions as each engine counts them):
  images.google.com        /images?q=..&start=S       records S+1 ..  (0-based, by results)
  images.ask.com           /pictures?q=..&page=P      page P, 1-based (by pages)
  images.search.yahoo.com  /search/images?..&b=B      records B ..    (1-based, by results)
  search.lycos.com         /?tab=multi&query=..&offset=O  records O+1 ..
Gallery: http://gallery.example/g.html holds an A around an IMG and a lone
IMG; its images answer "gallery-<name>".

Control routes (on 127.0.0.1 itself):
  /setup?count=N&per_page=K&size=B&narrow=I&zero=J&html=0|1
        new records; record I announced 640 wide, record J without a size;
        html=1 answers every image with an HTML page. Clears the requests.
  /requests   "METHOD host path" per request so far, one a line
  /quit       the server exits
"""
import argparse
import os
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

lock = threading.Lock()
setup = {"count": 20, "per_page": 5, "size": 1000, "narrow": 0, "zero": 0, "html": 0}
requests = []


def record_html(engine, i):
    image = "http://pics.example/r%d.jpg" % i
    width, height = (640 if i == setup["narrow"] else 1024), 768
    sized = i != setup["zero"]
    if engine == "google":
        size = "&amp;w=%d&amp;h=%d" % (width, height) if sized else ""
        return '<a href="/imgres?imgurl=%s%s">x</a>' % (image, size)
    if engine == "ask":
        return '<a href="http://images.ask.com/fr?q=x&amp;imagesrc=%s">x</a>' % image
    if engine == "yahoo":
        size = "&amp;w=%d&amp;h=%d" % (width, height) if sized else ""
        return ('<a href="http://images.search.yahoo.com/search/images/view?imgurl=pics.example/r%d.jpg'
                '&amp;rurl=http://pics.example/%s">x</a>' % (i, size))
    size = "&amp;image_width=%d&amp;image_height=%d" % (width, height) if sized else ""
    return '<a href="image.php?image_url=%s%s">x</a>' % (image, size)


def result_page(engine, query):
    q = urllib.parse.parse_qs(query)
    per = setup["per_page"]
    if engine == "google":
        first = int(q.get("start", ["0"])[0]) + 1
    elif engine == "ask":
        first = (int(q.get("page", ["1"])[0]) - 1) * per + 1
    elif engine == "yahoo":
        first = int(q.get("b", ["1"])[0])
    else:
        first = int(q.get("offset", ["0"])[0]) + 1
    links = [record_html(engine, i) for i in range(first, min(first + per, setup["count"] + 1)) if i >= 1]
    return ("<html><body>" + "\n".join(links) + "</body></html>").encode()


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
        if host in ENGINES:
            return self.reply(200, "text/html", result_page(ENGINES[host], query))
        if host == "pics.example" and path.startswith("/r") and path.endswith(".jpg"):
            if setup["html"]:
                return self.reply(200, "text/html", b"<html>not an image</html>")
            stamp = ("image-%s;" % path[2:-4]).encode()
            body = (stamp * (setup["size"] // len(stamp) + 1))[: setup["size"]]
            return self.reply(200, "image/jpeg", body)
        if host == "gallery.example":
            if path == "/g.html":
                return self.reply(200, "text/html",
                                  b'<html><body><a href="big1.jpg"><img src="thumb1.jpg"></a>'
                                  b'<p><img src="/pics/lone.jpg"></body></html>')
            if path.endswith(".jpg"):
                return self.reply(200, "image/jpeg", ("gallery-" + path.rsplit("/", 1)[-1]).encode())
        self.reply(404, "text/plain", b"none")

    def control(self, path, query):
        if path == "/setup":
            with lock:
                setup.update({"count": 20, "per_page": 5, "size": 1000, "narrow": 0, "zero": 0, "html": 0})
                for k, v in urllib.parse.parse_qs(query).items():
                    setup[k] = int(v[0])
                requests.clear()
            return self.reply(200, "text/plain", b"ok")
        if path == "/requests":
            with lock:
                body = "".join(r + "\n" for r in requests).encode()
            return self.reply(200, "text/plain", body)
        if path == "/quit":
            self.reply(200, "text/plain", b"bye")
            threading.Thread(target=self.server.shutdown, daemon=True).start()
            return
        self.reply(404, "text/plain", b"none")


class Server(ThreadingHTTPServer):
    daemon_threads = True


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
    timer = threading.Timer(args.lifetime, server.shutdown)
    timer.daemon = True
    timer.start()
    server.serve_forever()


if __name__ == "__main__":
    main()
