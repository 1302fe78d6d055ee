# SPDX-License-Identifier: GPL-3.0-or-later
"""A small FTP server for the transfer tests, on 127.0.0.1 and a free port.

It serves --root to one user, prints "PORT <n>" on its first line of output
and runs until it is killed (or --lifetime seconds passed, so that a test that
dies never leaves it behind).

--readonly DIR      the user may list and read DIR (relative to the root,
                    made when missing) but not write there
--no-retrieve DIR   the user may do everything in DIR but download (made
                    when missing)
--throttle N        data connections move at most N bytes a second
--stall-after N     an upload stops being read after N bytes (the server
                    stays silent: a stalled peer)
--drop-after N      an upload's data connection is closed by the server after
                    N bytes, which it keeps and calls complete (226)
--full-after N      an upload is refused with 452 after N bytes
--refuse-stor       every upload is refused (553)
--refuse-rnfr       every rename is refused (550)
--keep-existing     a rename onto an existing file is refused (550), as on
                    servers that never overwrite by a rename
--refuse-retr GLOB  downloads of the names matching GLOB are refused (550)
--no-mlsd           the server knows no MLSD (500), as older servers
--no-size           the server knows no SIZE (500)
"""
import argparse
import fnmatch
import logging
import os

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler, DTPHandler
from pyftpdlib.servers import FTPServer

from peer_common import announce


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--root", required=True)
    ap.add_argument("--user", default="tester")
    ap.add_argument("--password", default="secret")
    ap.add_argument("--readonly", action="append", default=[])
    ap.add_argument("--no-retrieve", action="append", default=[])
    ap.add_argument("--throttle", type=int, default=0)
    ap.add_argument("--stall-after", type=int, default=0)
    ap.add_argument("--drop-after", type=int, default=0)
    ap.add_argument("--full-after", type=int, default=0)
    ap.add_argument("--refuse-stor", action="store_true")
    ap.add_argument("--refuse-rnfr", action="store_true")
    ap.add_argument("--keep-existing", action="store_true")
    ap.add_argument("--refuse-retr", action="append", default=[])
    ap.add_argument("--no-mlsd", action="store_true")
    ap.add_argument("--no-size", action="store_true")
    ap.add_argument("--lifetime", type=float, default=300)
    args = ap.parse_args()

    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")
    for d in args.readonly:
        os.makedirs(os.path.join(args.root, d), exist_ok=True)
        authorizer.override_perm(args.user, os.path.join(args.root, d), perm="elr", recursive=True)

    for d in args.no_retrieve:
        os.makedirs(os.path.join(args.root, d), exist_ok=True)
        authorizer.override_perm(args.user, os.path.join(args.root, d), perm="eladfmwMT", recursive=True)

    if args.throttle:
        class Dtp(ThrottledDTPHandler):
            read_limit = args.throttle
            write_limit = args.throttle
    else:
        Dtp = DTPHandler

    if args.stall_after:
        limit = args.stall_after

        class StallingDtp(Dtp):
            seen = 0

            def handle_read(self):
                if self.seen >= limit:
                    self.del_channel()   # never read again
                    return
                before = self.tot_bytes_received
                super().handle_read()
                self.seen += self.tot_bytes_received - before

            handle_read_event = handle_read
        Dtp = StallingDtp

    cut = args.drop_after or args.full_after
    if cut:
        full = bool(args.full_after)

        class CuttingDtp(Dtp):
            def handle_read(self):
                super().handle_read()
                if not self.receive or self._closed or self.tot_bytes_received < cut:
                    return
                # Keep exactly the first `cut` bytes.
                self.file_obj.flush()
                self.file_obj.truncate(cut)
                if full:
                    self._resp = ("452 Insufficient storage space.", logging.info)
                    self.close()
                else:
                    self.handle_close()   # "226 Transfer complete."

            handle_read_event = handle_read
        Dtp = CuttingDtp

    class Handler(FTPHandler):
        def ftp_STOR(self, file, mode='w'):
            if args.refuse_stor:
                self.respond("553 Storing is refused here.")
                return
            return super().ftp_STOR(file, mode)

        def ftp_RNFR(self, path):
            if args.refuse_rnfr:
                self.respond("550 Renaming is refused here.")
                return
            return super().ftp_RNFR(path)

        def ftp_RNTO(self, path):
            if args.keep_existing and self.fs.lexists(path):
                self._rnfr = None
                self.respond("550 Cannot create a file when that file already exists.")
                return
            return super().ftp_RNTO(path)

        def ftp_RETR(self, file):
            name = os.path.basename(file)
            if any(fnmatch.fnmatchcase(name, g) for g in args.refuse_retr):
                self.respond("550 Not allowed to read this file.")
                return
            return super().ftp_RETR(file)

    unknown = ({"MLSD"} if args.no_mlsd else set()) | ({"SIZE"} if args.no_size else set())
    Handler.proto_cmds = {k: v for k, v in FTPHandler.proto_cmds.items() if k not in unknown}
    Handler.authorizer = authorizer
    Handler.dtp_handler = Dtp
    Handler.passive_ports = None
    Handler.banner = "test server ready"
    Handler.auth_failed_timeout = 0.1

    logging.basicConfig(level=logging.WARNING)

    server = FTPServer(("127.0.0.1", 0), Handler)
    announce(server.socket.getsockname()[1], args.lifetime)
    server.serve_forever()


if __name__ == "__main__":
    main()
