# SPDX-License-Identifier: GPL-3.0-or-later
# An SMTP server on 127.0.0.1 for the tests: prints its port, then writes
# each message it receives to <folder>/<n>.eml (the data as received, dots
# undone) with the envelope in <n>.env beside it.
import asyncio
import os
import sys

from aiosmtpd.smtp import SMTP

folder = sys.argv[1]


class Sink:
    def __init__(self):
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        path = os.path.join(folder, "%d" % self.count)
        with open(path + ".env", "w") as f:
            f.write("\n".join([session.host_name or "", envelope.mail_from] + envelope.rcpt_tos) + "\n")
        with open(path + ".part", "wb") as f:
            f.write(envelope.content)
        os.rename(path + ".part", path + ".eml")
        return "250 OK"


async def main():
    loop = asyncio.get_running_loop()
    sink = Sink()
    server = await loop.create_server(lambda: SMTP(sink, hostname="sink.test"), "127.0.0.1", 0)
    print(server.sockets[0].getsockname()[1], flush=True)
    await server.serve_forever()


asyncio.run(main())
