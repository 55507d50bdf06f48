#!/usr/bin/env python3
"""Loopback server for the end-to-end benchmark: serves the pages in a folder, and
/slow/<name> answers the same page after 100 ms. 127.0.0.1 only."""
import http.server
import os
import sys
import time


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def do_GET(self):
        path = self.path.split("?", 1)[0]
        if path.startswith("/slow/"):
            time.sleep(0.1)
            path = path[len("/slow"):]
        name = os.path.basename(path)
        try:
            with open(os.path.join(self.server.pages, name), "rb") as page:
                body = page.read()
        except OSError:
            self.send_error(404)
            return
        self.send_response(200)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def main():
    port, pages = int(sys.argv[1]), sys.argv[2]
    server = http.server.ThreadingHTTPServer(("127.0.0.1", port), Handler)
    server.pages = pages
    server.daemon_threads = True
    server.serve_forever()


if __name__ == "__main__":
    main()
