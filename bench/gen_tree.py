#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Deterministic test trees for the benchmarks and the fault tests.

    gen_tree.py mixed DIR [--seed N] [--scale F]
        about 2,000 files and 200 MB (times F): compressible prose and log
        text, incompressible data, low-entropy binaries, four files of 20 to
        50 MB, folders nested to depth 6, names with blanks and non-ASCII
        letters, a few empty files.
    gen_tree.py many DIR [--seed N] [--scale F]
        50,000 small text files (times F) of 0 to 2 KB in about 500 folders.
    gen_tree.py touch DIR [--seed N] [--percent P]
        changes P % (default 1) of the files of DIR: new content (the size
        changes for half of them) and a modification time one day later.

The same arguments give the same names, bytes and modification times on
every machine and every Python 3 from 3.9 on. Prints a one-line summary.
"""
import argparse
import os
import random
import sys

BASE_MTIME = 1704067200  # 2024-01-01 00:00:00 UTC
MB = 1024 * 1024

# Name parts: blanks and non-ASCII letters on purpose, nothing that a Windows
# file name cannot hold, no name ending in a blank or a dot.
FOLDER_WORDS = [
    "Documents", "Fotos Sommer", "Übersicht", "Café Noir", "Rechnungen 2023", "naïve art",
    "Ørsted data", "Ñandú", "Projekte", "Ångström", "Grüße", "Élève notes", "Zürich trip",
    "src", "build output", "Mail archive", "Music", "Ça va", "Smørrebrød", "Łódź", "Ελληνικά",
    "Проекты", "old stuff", "backup tests", "Mañana", "Straße", "Crème brûlée", "misc",
]
FILE_WORDS = [
    "report", "Notiz", "brief", "résumé", "Übung", "draft", "año", "fjörd", "invoice",
    "Größe", "data", "list", "naïve", "Ærø", "letter", "draft final", "page", "Ξ test", "план",
]
TEXT_WORDS = (
    "the of and to in is that for it as was with be by on not he this are or his from at "
    "which but have an they you were her she there been one all we their has would when "
    "backup archive folder volume file copy synchronise destination source profile "
    "Größe Straße Übung café naïve façade señor Ærø fjörd smørrebrød über déjà vu "
    "Monday Tuesday January February 2023 2024 12 37 451 9000 0.25"
).split()

KINDS_SMALL = [  # (weight, kind, extensions)
    (45, "prose", ["txt", "md", "html", "xml"]),
    (15, "log", ["log", "csv"]),
    (25, "random", ["jpg", "zip", "png", "mp3"]),
    (15, "lowent", ["bin", "dat", "db"]),
]


def text_pool(rnd, size, kind):
    """About `size` bytes of text: prose paragraphs or log lines."""
    out = []
    n = 0
    line_no = 0
    while n < size:
        if kind == "prose":
            words = rnd.choices(TEXT_WORDS, k=rnd.randint(8, 40))
            words[0] = words[0].capitalize()
            line = " ".join(words) + (".\n" if rnd.random() < 0.8 else ".\n\n")
        else:
            line_no += 1
            line = "2024-%02d-%02d %02d:%02d:%02d;%d;%s;%s;%.3f\n" % (
                rnd.randint(1, 12), rnd.randint(1, 28), rnd.randint(0, 23), rnd.randint(0, 59),
                rnd.randint(0, 59), line_no, rnd.choice(TEXT_WORDS), rnd.choice(TEXT_WORDS),
                rnd.random() * 1000)
        b = line.encode("utf-8")
        out.append(b)
        n += len(b)
    return b"".join(out)


LOWENT_TABLE = bytes(((i & 0x0F) * 3) & 0xFF for i in range(256))


class Content:
    """Deterministic file contents from one seed."""

    def __init__(self, seed):
        rnd = random.Random(seed * 7919 + 1)
        self.pools = {"prose": text_pool(rnd, 4 * MB, "prose"), "log": text_pool(rnd, 2 * MB, "log")}

    def make(self, kind, size, seed):
        rnd = random.Random(seed)
        if size == 0:
            return b""
        if kind in self.pools:
            pool = self.pools[kind]
            parts = []
            left = size
            while left > 0:
                start = rnd.randrange(len(pool))
                piece = pool[start:start + min(left, len(pool) - start)]
                parts.append(piece)
                left -= len(piece)
            return b"".join(parts)
        data = rnd.randbytes(size)
        if kind == "lowent":
            data = data.translate(LOWENT_TABLE)
        return data


def unique_name(taken, name):
    """`name` or `name (2)` ... unique within a folder, compared without case."""
    stem, dot, ext = name.rpartition(".")
    if not dot:
        stem, ext = name, ""
    candidate = name
    n = 2
    while candidate.casefold() in taken:
        candidate = "%s (%d)%s%s" % (stem, n, "." if ext else "", ext)
        n += 1
    taken.add(candidate.casefold())
    return candidate


def make_folders(rnd, root, count, max_depth, words):
    """`count` folders below root (root itself included as depth 0), one chain
    reaching max_depth. Returns the list of relative paths."""
    folders = [""]
    depth = {"": 0}
    names = {"": set()}

    def add(parent):
        name = unique_name(names[parent], rnd.choice(words) + (" %d" % rnd.randint(1, 99) if rnd.random() < 0.4 else ""))
        rel = os.path.join(parent, name) if parent else name
        folders.append(rel)
        depth[rel] = depth[parent] + 1
        names[rel] = set()
        return rel

    parent = ""
    for _ in range(max_depth):  # the deep chain
        parent = add(parent)
    while len(folders) < count:
        candidates = [f for f in folders if depth[f] < max_depth]
        # Prefer shallow parents a little so that the tree is bushy, not a line.
        parent = min(rnd.sample(candidates, min(3, len(candidates))), key=lambda f: depth[f])
        add(parent)
    for rel in folders:
        os.makedirs(os.path.join(root, rel), exist_ok=True)
    return folders, names


def write_file(path, data, mtime):
    with open(path, "wb") as f:
        f.write(data)
    os.utime(path, (mtime, mtime))


def set_folder_times(root, folders):
    for rel in sorted(folders, key=lambda r: -r.count(os.sep)):
        p = os.path.join(root, rel)
        os.utime(p, (BASE_MTIME, BASE_MTIME))


def gen_mixed(root, seed, scale):
    rnd = random.Random(seed)
    content = Content(seed)
    n_files = max(8, round(2000 * scale))
    folders, names = make_folders(rnd, root, max(7, round(180 * scale ** 0.5)), 6, FOLDER_WORDS)
    # Four large files: two incompressible, one text, one low-entropy.
    big = [(20, "random", "iso"), (27, "log", "log"), (36, "lowent", "img"), (48, "random", "mkv")]
    big = [(max(1, round(mb * MB * scale)), kind, ext) for mb, kind, ext in big]
    target_small = round(200 * MB * scale) - sum(b[0] for b in big)
    n_small = n_files - len(big)
    sizes = []
    for i in range(n_small):
        sizes.append(0 if rnd.random() < 0.01 else min(int(rnd.lognormvariate(9.3, 1.5)), 4 * MB))
    factor = target_small / max(1, sum(sizes))
    sizes = [min(4 * MB, int(s * factor)) for s in sizes]
    weights = [k[0] for k in KINDS_SMALL]
    specs = [(s,) + tuple(rnd.choices(KINDS_SMALL, weights)[0][1:]) for s in sizes]
    specs[0:0] = big
    total = 0
    for i, (size, kind, exts) in enumerate(specs):
        ext = exts if isinstance(exts, str) else rnd.choice(exts)
        folder = folders[-1] if i == 0 else rnd.choice(folders)  # one big file at the deepest level
        word = rnd.choice(FILE_WORDS)
        name = unique_name(names[folder], "%s %04d.%s" % (word, i, ext) if rnd.random() < 0.6 else "%s_%d.%s" % (word, i, ext))
        mtime = BASE_MTIME + rnd.randrange(365 * 86400)
        write_file(os.path.join(root, folder, name), content.make(kind, size, seed * 1000003 + i), mtime)
        total += size
    set_folder_times(root, folders)
    return len(specs), total


def gen_many(root, seed, scale):
    rnd = random.Random(seed)
    content = Content(seed)
    n_files = max(10, round(50000 * scale))
    folders, names = make_folders(rnd, root, max(3, round(500 * scale)), 3, FOLDER_WORDS)
    total = 0
    for i in range(n_files):
        folder = folders[i % len(folders)]
        size = rnd.choice([0, rnd.randint(1, 64), rnd.randint(64, 600), rnd.randint(600, 2048)])
        kind = "log" if i % 5 == 0 else "prose"
        name = unique_name(names[folder], "%s %05d.txt" % (rnd.choice(FILE_WORDS), i))
        write_file(os.path.join(root, folder, name), content.make(kind, size, seed * 1000003 + i),
                   BASE_MTIME + rnd.randrange(365 * 86400))
        total += size
    set_folder_times(root, folders)
    return n_files, total


def all_files(root):
    out = []
    for dirpath, dirnames, filenames in os.walk(root):
        dirnames.sort()
        for f in sorted(filenames):
            out.append(os.path.join(dirpath, f))
    return out


def touch(root, seed, percent):
    rnd = random.Random(seed)
    files = all_files(root)
    n = max(1, round(len(files) * percent / 100))
    chosen = rnd.sample(files, n)
    latest = max(os.stat(f).st_mtime for f in files)
    for i, path in enumerate(sorted(chosen)):
        size = os.stat(path).st_size
        if i % 2:
            size += rnd.randint(1, 4096)
        data = random.Random(seed * 31 + i).randbytes(size)
        folder_mtime = os.stat(os.path.dirname(path)).st_mtime
        write_file(path, data, int(latest) + 86400 + i)
        os.utime(os.path.dirname(path), (folder_mtime, folder_mtime))
    return n, len(files)


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("what", choices=["mixed", "many", "touch"])
    p.add_argument("dir")
    p.add_argument("--seed", type=int, default=None)
    p.add_argument("--scale", type=float, default=1.0)
    p.add_argument("--percent", type=float, default=1.0)
    a = p.parse_args()
    if a.what == "touch":
        n, of = touch(a.dir, 3 if a.seed is None else a.seed, a.percent)
        print("touched %d of %d files" % (n, of))
        return 0
    os.makedirs(a.dir, exist_ok=True)
    if os.listdir(a.dir):
        print("gen_tree: %s is not empty" % a.dir, file=sys.stderr)
        return 1
    if a.what == "mixed":
        n, total = gen_mixed(a.dir, 1 if a.seed is None else a.seed, a.scale)
    else:
        n, total = gen_many(a.dir, 2 if a.seed is None else a.seed, a.scale)
    print("%s: %d files, %.1f MB" % (a.what, n, total / MB))
    return 0


if __name__ == "__main__":
    sys.exit(main())
