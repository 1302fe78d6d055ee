# SPDX-License-Identifier: GPL-3.0-or-later
"""What the test servers share: the port line and the time limit."""
import os
import sys
import threading


def announce(port, lifetime):
    """Prints "PORT <n>" for the test and ends the process after `lifetime`
    seconds at the latest, so that a test that dies leaves no server behind."""
    sys.stdout.write("PORT %d\n" % port)
    sys.stdout.flush()
    timer = threading.Timer(lifetime, lambda: os._exit(0))
    timer.daemon = True
    timer.start()
