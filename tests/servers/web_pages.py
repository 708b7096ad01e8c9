#!/usr/bin/env python3
"""Pages for the end-to-end web test, on 127.0.0.1 at a port the system chooses.

    web_pages.py PORT_FILE

Writes the port to PORT_FILE once it listens. /title has a title; /page/N answers as N
modulo 3 says: 0 not found, 1 modified in 2020, 2 modified in 1999.
"""
import sys
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

DATE_2020 = "Sun, 13 Sep 2020 12:26:40 GMT"
DATE_1999 = "Tue, 30 Nov 1999 22:13:20 GMT"


class Pages(BaseHTTPRequestHandler):
    def do_GET(self):
        headers = {"Content-Type": "text/html; charset=utf-8"}
        if self.path == "/title":
            status, body = 200, "<html><head><title>Fetched &amp; shown</title></head></html>"
        elif self.path.startswith("/page/") and self.path[6:].isdigit():
            kind = int(self.path[6:]) % 3
            status, body = (404, "gone") if kind == 0 else (200, "page")
            if kind:
                headers["Last-Modified"] = DATE_2020 if kind == 1 else DATE_1999
        else:
            status, body = 404, "no such page"
        data = body.encode("utf-8")
        self.send_response(status)
        for name, value in headers.items():
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def log_message(self, *args):
        pass


def main():
    server = ThreadingHTTPServer(("127.0.0.1", 0), Pages)
    with open(sys.argv[1], "w") as port_file:
        port_file.write(str(server.server_address[1]))
    server.serve_forever()


if __name__ == "__main__":
    main()
