// SPDX-License-Identifier: GPL-3.0-or-later
// Benchmark driver: encrypts or decrypts one file with the archive cipher and
// prints the seconds it took (the script times the whole process).
//   bench_blowfish encrypt|decrypt <in> <out> <key>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

#include "crypto/clsBlowfish.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s encrypt|decrypt <in> <out> <key>\n", argv[0]);
        return 2;
    }
    const QString mode = QString::fromLocal8Bit(argv[1]);
    const QString in = QString::fromLocal8Bit(argv[2]);
    const QString out = QString::fromLocal8Bit(argv[3]);
    const QString key = QString::fromLocal8Bit(argv[4]);
    clsBlowfish bf;
    int events = 0;
    QObject::connect(&bf, &clsBlowfish::Progress, [&](qint32) { ++events; });
    QElapsedTimer t;
    t.start();
    const bool ok = mode == QLatin1String("encrypt") ? bf.EncryptFile(in, out, true, key)
                                                     : bf.DecryptFile(in, out, true, key);
    const double seconds = t.nsecsElapsed() / 1e9;
    if (!ok) {
        std::fprintf(stderr, "%s failed\n", argv[1]);
        return 1;
    }
    std::printf("%.3f\n", seconds);
    std::fprintf(stderr, "%d progress events\n", events);
    return 0;
}
