# SPDX-License-Identifier: GPL-3.0-or-later
"""A small HTTP server for the news tests, on 127.0.0.1 and a free port.

It serves the files of --root (read anew for every request), answers 404 for
a missing file, and "/slow/..." only after --delay seconds. Prints
"PORT <n>" first and ends after --lifetime seconds at the latest.
"""
import argparse
import http.server
import os
import time

from peer_common import announce


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--root", required=True)
    ap.add_argument("--delay", type=float, default=0)
    ap.add_argument("--lifetime", type=float, default=300)
    args = ap.parse_args()
    root = os.path.realpath(args.root)

    class Handler(http.server.BaseHTTPRequestHandler):
        def log_message(self, *a):
            pass

        def do_GET(self):
            path = self.path.split("?", 1)[0]
            if path.startswith("/slow/"):
                time.sleep(args.delay)
                path = path[len("/slow"):]
            full = os.path.realpath(os.path.join(root, path.lstrip("/")))
            if not full.startswith(root + os.sep) or not os.path.isfile(full):
                body = b"<html>not found</html>"
                self.send_response(404)
            else:
                with open(full, "rb") as f:
                    body = f.read()
                self.send_response(200)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    announce(server.server_address[1], args.lifetime)
    server.serve_forever()


if __name__ == "__main__":
    main()
