// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the ".cry" decoder: any input, as a file (raw and as
// hexadecimal text) and as a byte array, must be refused or decoded without a
// crash or a hang, and a decoded file must fit the container's size rules.
//   CXX=clang++ cmake -S . -B build-fuzz -G Ninja && cmake --build build-fuzz --target fuzz_cry_container
//   build-fuzz/tests/fuzz_cry_container -max_total_time=60
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

#include "crypto/clsBlowfish.h"
#include "vb/ErrorHandling.h"

namespace {
QTemporaryDir& WorkDir() {
    static QTemporaryDir dir;
    return dir;
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    vb::SetErrorSink([](const vb::ErrorReport&) {});  // refusals are expected; keep the output quiet
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString in = WorkDir().filePath(QStringLiteral("in.cry"));
    const QString out = WorkDir().filePath(QStringLiteral("out.zip"));
    // The seed corpus holds containers of this key, so mutations of valid
    // containers are reached too.
    const QString key = QStringLiteral("T6:w_fuzzKd/4%");
    {
        QFile f(in);
        if (!f.open(QIODevice::WriteOnly) || f.write(input) != input.size())
            std::abort();
    }
    QByteArray bytes = input;
    const bool bytesOk = clsBlowfish().DecryptByte(bytes, key);
    if (bytesOk && (input.size() - bytes.size() < 12 || input.size() - bytes.size() > 19))
        std::abort();
    for (bool inHex : {false, true}) {
        QFile::remove(out);
        clsBlowfish bf;
        const bool ok = bf.DecryptFile(in, out, true, key, inHex);
        const qint64 n = inHex ? (input.size() + 1) / 2 : input.size();
        if (ok) {
            const qint64 length = QFileInfo(out).size();
            if (n - length < 12 || n - length > 19 || n % 8 != 0)
                std::abort();
        } else if (QFile::exists(out)) {
            std::abort();  // a refused decryption writes nothing
        }
        // The file decoder takes what the byte decoder takes, and gives the
        // same bytes.
        if (!inHex) {
            QFile f(out);
            if (ok != bytesOk || (ok && (!f.open(QIODevice::ReadOnly) || f.readAll() != bytes)))
                std::abort();
        }
    }
    return 0;
}
