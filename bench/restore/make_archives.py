#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Data of the restore benchmark (seed-based, the same everywhere):
#   make_archives.py many DIR [archives=200] [entries=50]  plain ZIP archives of small text entries
#   make_archives.py big DIR [entries=100000]             one archive of that many tiny entries
#   make_archives.py huge DIR [entries=10000] [mib=1024]   one stored archive of about mib MiB
#                                                         whose entry "big/target.bin" holds 40 MiB
import os, random, sys, zipfile

def names(rng, n):
    words = ["report", "invoice", "photo", "notes", "budget", "letter", "draft", "scan", "mail", "plan"]
    exts = ["txt", "doc", "xls", "jpg", "pdf", "log"]
    return [f"docs/{rng.choice(words)}{i:06d}/{rng.choice(words)}_{i}.{rng.choice(exts)}" for i in range(n)]

def many(d, archives=200, entries=50):
    rng = random.Random(1)
    for a in range(int(archives)):
        with zipfile.ZipFile(os.path.join(d, f"many{a:03d}.zip"), "w", zipfile.ZIP_DEFLATED) as z:
            for n in names(rng, int(entries)):
                z.writestr(n, f"{n}\n" * rng.randint(1, 20))

def big(d, entries=100000):
    rng = random.Random(2)
    with zipfile.ZipFile(os.path.join(d, "big.zip"), "w", zipfile.ZIP_STORED) as z:
        for n in names(rng, int(entries)):
            z.writestr(n, n)

def huge(d, entries=10000, mib=1024):
    entries, mib = int(entries), int(mib)
    rng = random.Random(3)
    target = rng.randbytes(40 << 20)
    rest = ((mib << 20) - len(target)) // (entries - 1)
    block = rng.randbytes(rest)
    with zipfile.ZipFile(os.path.join(d, "huge.zip"), "w", zipfile.ZIP_STORED, allowZip64=True) as z:
        for i, n in enumerate(names(rng, entries - 1)):
            z.writestr(n, block)
            if i == entries // 2:
                z.writestr("big/target.bin", target)
    with open(os.path.join(d, "target.bin"), "wb") as f:
        f.write(target)

if __name__ == "__main__":
    kind, d, *rest = sys.argv[1:]
    os.makedirs(d, exist_ok=True)
    {"many": many, "big": big, "huge": huge}[kind](d, *rest)
