# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the benchmark scripts: the driver's session (driver_session), the
# two deterministic trees (make_mixed, make_tiny) and the timing helpers
# (seconds, best). Source it from the top of the work tree.

# driver_session TARGET OUT: builds the driver TARGET and the Common folder,
# sets $dir (BENCH_DIR, or bench/out/OUT) and $driver, and gives the runs a
# home of their own below $dir.
driver_session() {
  dir="$(realpath -m "${BENCH_DIR:-bench/out/$2}")"
  mkdir -p "$dir"
  [ -f build/build.ninja ] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build --target "$1" app_common -j4 >/dev/null
  driver="$(realpath "build/tests/$1")"
  export VAULTORA_PROGRAM_DIR="$(realpath build/app/Vaultora)"
  export HOME="$dir/home" XDG_CONFIG_HOME="$dir/home/.config"
  mkdir -p "$HOME"
}
make_mixed() {  # about 200 MB: text, random and already packed data in 40 folders
  python3 - "$1" <<'PY'
import os, random, sys
root = sys.argv[1]
rnd = random.Random(7)
words = [bytes(rnd.choice(b"abcdefghijklmnopqrstuvwxyz") for _ in range(rnd.randint(2, 9))) for _ in range(4000)]
total, n = 0, 0
while total < 200 * 1024 * 1024:
    folder = os.path.join(root, "dir%02d" % (n % 40), "sub%d" % (n % 3))
    os.makedirs(folder, exist_ok=True)
    kind = n % 4
    size = int(rnd.lognormvariate(10.5, 1.3))
    size = min(size, 8 * 1024 * 1024)
    if kind in (0, 1):
        data = b" ".join(rnd.choice(words) for _ in range(size // 6 + 1))[:size]
    elif kind == 2:
        data = rnd.randbytes(size)
    else:
        data = bytes(rnd.randrange(16) for _ in range(size))
    with open(os.path.join(folder, "f%05d.%s" % (n, ["txt", "log", "bin", "dat"][kind])), "wb") as f:
        f.write(data)
    total += size
    n += 1
print(n, "files", total // 1048576, "MB")
PY
}
make_tiny() {  # 50,000 files of 10 to 400 bytes in 100 folders
  python3 - "$1" <<'PY'
import os, random, sys
root = sys.argv[1]
rnd = random.Random(9)
for n in range(50000):
    folder = os.path.join(root, "d%03d" % (n % 100))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "t%05d.txt" % n), "wb") as f:
        f.write(("line %d of a small file\n" % n).encode() * rnd.randint(1, 16))
print(50000, "files")
PY
}

seconds() { local t0 t1; t0=$(date +%s%N); "$@" >/dev/null 2>&1; t1=$(date +%s%N); awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", (b - a) / 1e9 }'; }
best() { tr ' ' '\n' | grep -v '^$' | sort -g | head -1; }
