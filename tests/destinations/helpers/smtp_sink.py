# SPDX-License-Identifier: GPL-3.0-or-later
# An SMTP server on 127.0.0.1 for the tests: prints its port, then writes
# each message it receives to <folder>/<n>.eml (the data as received, dots
# undone) with the envelope in <n>.env beside it.
# It holds clients to the command syntax of RFC 5321, as strict servers do:
# "HELO <domain>" with a bare domain (or an address literal), "MAIL FROM:<path>"
# and "RCPT TO:<path>" without a blank after the colon; anything else gets 501.
# An optional second argument makes it a server that fails: "refuse-rcpt"
# answers 550 to every recipient, "refuse-data" 554 after the data, and
# "silent-data" takes the data and never answers, and "drop-in-data" answers
# DATA, reads a first part of the message and closes the connection.
import asyncio
import os
import re
import sys

from aiosmtpd.smtp import SMTP, syntax

folder = sys.argv[1]
mode = sys.argv[2] if len(sys.argv) > 2 else "accept"


class Sink:
    def __init__(self):
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if mode == "refuse-rcpt":
            return "550 5.1.1 no such user here"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        if mode == "refuse-data":
            return "554 5.6.0 message refused"
        if mode == "silent-data":
            await asyncio.sleep(3600)
        self.count += 1
        path = os.path.join(folder, "%d" % self.count)
        with open(path + ".env", "w") as f:
            f.write("\n".join([session.host_name or "", envelope.mail_from] + envelope.rcpt_tos) + "\n")
        with open(path + ".part", "wb") as f:
            f.write(envelope.content)
        os.rename(path + ".part", path + ".eml")
        return "250 OK"


DOMAIN = re.compile(r"^(?:[A-Za-z0-9](?:[A-Za-z0-9-]*[A-Za-z0-9])?(?:\.[A-Za-z0-9](?:[A-Za-z0-9-]*[A-Za-z0-9])?)*"
                    r"|\[[^\[\]\s]+\])$")
MAIL = re.compile(r"^FROM:<[^<>\s]*>(?: [^\s].*)?$", re.IGNORECASE)
RCPT = re.compile(r"^TO:<[^<>\s]+>(?: [^\s].*)?$", re.IGNORECASE)


class StrictSMTP(SMTP):
    async def refused(self, pattern, arg, usage):
        if pattern.match(arg or ""):
            return False
        await self.push("501 5.5.4 Syntax: " + usage)
        return True

    @syntax("HELO domain")
    async def smtp_HELO(self, hostname):
        if not await self.refused(DOMAIN, hostname, "HELO domain"):
            await super().smtp_HELO(hostname)

    @syntax("MAIL FROM:<address>")
    async def smtp_MAIL(self, arg):
        if not await self.refused(MAIL, arg, "MAIL FROM:<address>"):
            await super().smtp_MAIL(arg)

    @syntax("RCPT TO:<address>")
    async def smtp_RCPT(self, arg):
        if not await self.refused(RCPT, arg, "RCPT TO:<address>"):
            await super().smtp_RCPT(arg)

    async def smtp_DATA(self, arg):
        if mode != "drop-in-data":
            await super().smtp_DATA(arg)
            return
        await self.push("354 End data with <CR><LF>.<CR><LF>")
        await self._reader.read(65536)
        self.transport.close()


async def main():
    loop = asyncio.get_running_loop()
    sink = Sink()
    server = await loop.create_server(lambda: StrictSMTP(sink, hostname="sink.test"), "127.0.0.1", 0)
    print(server.sockets[0].getsockname()[1], flush=True)
    await server.serve_forever()


asyncio.run(main())
