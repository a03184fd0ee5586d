#!/usr/bin/env python3
"""A local stand-in for the back-end server, for the HTTP client's tests.

Usage: backend_stand_in.py --port-file FILE [--lifetime SECONDS]

Listens on 127.0.0.1 on a free port, writes the port to FILE (whole, then
renamed into place) and exits by itself after --lifetime seconds.

POST /Update/Update.php answers with the reply chosen by GET /mode?NAME:
  found      200, <r><u><msg>...</msg><link>http://...</link></u></r>
  link       200, a link only
  message    200, a message only
  empty      200, no body
  notxml     200, plain text
  error      500 with an HTML page
  silent     reads the request, never answers
Other routes:
  /blocks    200, five blocks of 10000 bytes, flushed apart
  /empty     200, no body
  /big       200, 1 MiB + 1 bytes
  /error     500 with a page
  /silent    never answers
  /received  200: "METHOD path\\n" + the headers and body of the last other request
  /quit      the server exits
"""
import argparse
import http.server
import os
import threading
import time

REPLIES = {
    "found": b"<reply><update><msg>Version 2.0 is out.</msg><link>http://127.0.0.1/download</link></update></reply>",
    "link": b"<reply><update><link>http://127.0.0.1/download</link></update></reply>",
    "message": b"<reply><update><msg>You have the newest version.</msg></update></reply>",
    "empty": b"",
    "notxml": b"Service temporarily unavailable",
}

state = {"mode": "found", "received": b""}


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def reply(self, code, body, kind="text/xml"):
        self.send_response(code)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def silent(self):
        time.sleep(120)

    def record(self, body):
        head = "".join(f"{k}: {v}\n" for k, v in self.headers.items())
        state["received"] = f"{self.command} {self.path}\n{head}\n".encode() + body

    def route(self, body):
        path = self.path
        if path.startswith("/mode?"):
            state["mode"] = path[len("/mode?"):]
            return self.reply(200, b"ok", "text/plain")
        if path == "/received":
            return self.reply(200, state["received"], "text/plain")
        if path == "/quit":
            self.reply(200, b"bye", "text/plain")
            threading.Thread(target=lambda: (time.sleep(0.2), os._exit(0)), daemon=True).start()
            return
        self.record(body)
        if path == "/Update/Update.php":
            mode = state["mode"]
            if mode == "silent":
                return self.silent()
            if mode == "error":
                return self.reply(500, b"<html><msg>Thank you</msg></html>", "text/html")
            return self.reply(200, REPLIES.get(mode, b""))
        if path == "/blocks":
            self.send_response(200)
            self.send_header("Content-Length", str(5 * 10000))
            self.end_headers()
            for i in range(5):
                self.wfile.write(bytes([ord("a") + i]) * 10000)
                self.wfile.flush()
                time.sleep(0.1)
            return
        if path == "/empty":
            return self.reply(200, b"", "text/plain")
        if path == "/big":
            return self.reply(200, b"x" * ((1 << 20) + 1), "text/plain")
        if path == "/error":
            return self.reply(500, b"<r><u><msg>Thank you</msg></u></r>", "text/html")
        if path == "/silent":
            return self.silent()
        return self.reply(404, b"no such page", "text/plain")

    def do_GET(self):
        self.route(b"")

    def do_POST(self):
        length = int(self.headers.get("Content-Length", "0") or "0")
        self.route(self.rfile.read(length) if length > 0 else b"")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--lifetime", type=float, default=120)
    args = parser.parse_args()
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    temp = args.port_file + ".tmp"
    with open(temp, "w") as out:
        out.write(str(server.server_address[1]))
    os.replace(temp, args.port_file)
    threading.Timer(args.lifetime, os._exit, [0]).start()
    server.serve_forever()


if __name__ == "__main__":
    main()
