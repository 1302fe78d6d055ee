#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes the benchmark trees: "mixed" (a few thousand files, about 200 MB:
# text, source code, random and half-random binary data, a few big files)
# and "tiny" (50,000 files of a few hundred bytes). Deterministic.
import os, random, sys

def text(rng, n):
    words = ["backup", "archive", "volume", "profile", "destination", "the", "of", "and", "file",
             "folder", "report", "invoice", "2004", "Office", "data", "copy", "medium", "log"]
    out, size = [], 0
    while size < n:
        line = " ".join(rng.choice(words) for _ in range(rng.randint(4, 14))) + "\n"
        out.append(line)
        size += len(line)
    return "".join(out).encode()[:n]

def source(rng, n):
    out, size, i = [], 0, 0
    while size < n:
        line = "    int value_%d = compute(%d, %d); // step %d\n" % (i, rng.randint(0, 999), i * 7, i)
        out.append(line)
        size += len(line)
        i += 1
    return "".join(out).encode()[:n]

def half_random(rng, n):
    block = bytes(rng.getrandbits(8) for _ in range(256))
    out = bytearray()
    while len(out) < n:
        out += block if rng.random() < 0.5 else os.urandom(256)
    return bytes(out[:n])

def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)

def mixed(root):
    rng = random.Random(42)
    total = 0
    for i in range(3000):
        d = os.path.join(root, "dir%02d" % (i % 40), "sub%d" % (i % 7))
        kind = i % 10
        if kind < 4:
            n = rng.randint(1000, 120000); data = text(rng, n); ext = ".txt"
        elif kind < 6:
            n = rng.randint(500, 60000); data = source(rng, n); ext = ".cpp"
        elif kind < 8:
            n = rng.randint(1000, 80000); data = os.urandom(n); ext = ".jpg"
        else:
            n = rng.randint(1000, 60000); data = half_random(rng, n); ext = ".bin"
        write(os.path.join(d, "file%04d%s" % (i, ext)), data)
        total += n
    for j, (kind, n) in enumerate([("text", 24 << 20), ("random", 16 << 20), ("source", 12 << 20),
                                   ("half", 10 << 20)]):
        data = {"text": text, "source": source, "half": half_random}.get(kind, lambda r, m: os.urandom(m))(rng, n)
        write(os.path.join(root, "big", "big%d.%s" % (j, kind)), data)
        total += n
    return total

def tiny(root):
    rng = random.Random(7)
    for i in range(50000):
        write(os.path.join(root, "d%03d" % (i % 250), "t%05d.txt" % i), text(rng, rng.randint(20, 600)))

if __name__ == "__main__":
    kind, root = sys.argv[1], sys.argv[2]
    print({"mixed": mixed, "tiny": tiny}[kind](root) or "")
