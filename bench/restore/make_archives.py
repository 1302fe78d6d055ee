#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Data of the restore benchmark (seed-based, the same everywhere):
#   make_archives.py many DIR [archives=200] [entries=50]  plain ZIP archives of small text entries
#   make_archives.py big DIR [entries=100000]             one archive of that many tiny entries
#   make_archives.py huge DIR [entries=10000] [mib=1024]   one stored archive of about mib MiB
#                                                         whose entry "big/target.bin" holds 40 MiB
#   make_archives.py million DIR [entries=1000000]        one archive as a backup run writes it
#                                                         (names with their folders, UTF-8 flag,
#                                                         extended time stamp), empty entries
#   make_archives.py folder DIR [archives=2000] [entries=100]  that many such archives
import os, random, struct, sys, zipfile

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

def like_a_run(path, rng, entries, first=0):
    # Stored empty entries carry what a run's entries carry; the names are
    # those of names(), numbered from `first`.
    with zipfile.ZipFile(path, "w", zipfile.ZIP_STORED, allowZip64=True) as z:
        for i, n in enumerate(names(rng, first + entries)[first:]):
            secs = 1700000000 + rng.randrange(50_000_000)
            info = zipfile.ZipInfo("Users/me/" + n, date_time=(2023, 11, 14, 22, 13, 20))
            info.flag_bits |= 0x800
            info.create_system = 3
            info.create_version = 30
            info.external_attr = (0o100644 << 16) | 0x20
            info.extra = struct.pack("<HHBi", 0x5455, 5, 1, secs)
            z.writestr(info, b"")

def million(d, entries=1000000):
    like_a_run(os.path.join(d, "million.zip"), random.Random(4), int(entries))

def folder(d, archives=2000, entries=100):
    for a in range(int(archives)):
        like_a_run(os.path.join(d, f"vol{a:04d}.zip"), random.Random(5 + a), int(entries))

if __name__ == "__main__":
    kind, d, *rest = sys.argv[1:]
    os.makedirs(d, exist_ok=True)
    {"many": many, "big": big, "huge": huge, "million": million, "folder": folder}[kind](d, *rest)
