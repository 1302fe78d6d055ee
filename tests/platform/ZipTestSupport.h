// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers of the ZIP component tests: Windows paths for test folders, and the
// two independent readers (Info-ZIP's unzip and Python's zipfile).
#include <gtest/gtest.h>

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>
#include <sys/statvfs.h>

#include "support/TestEnv.h"
#include "vb/VbError.h"

namespace ziptest {

// Every host path is reachable as Z:\... (Z: is the root of the file system).
inline QString win(const QString& hostPath) { return "Z:" + QString(hostPath).replace('/', '\\'); }

struct ProcResult {
    int rc = -1;
    QByteArray out;
    QByteArray err;
};

inline ProcResult run(const QString& program, const QStringList& args, int timeoutMs = 600000) {
    QProcess p;
    p.start(program, args);
    ProcResult r;
    if (!p.waitForStarted(10000))
        return r;
    p.closeWriteChannel();
    p.waitForFinished(timeoutMs);
    r.rc = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

// An archive written by Python's zipfile, as other programs write them:
// `script` runs after "import sys, zipfile" with the archive's host path in
// sys.argv[1] and `args` after it.
inline ProcResult pythonZip(const QString& hostZip, const QString& script, const QStringList& args = {}) {
    return run("/usr/bin/python3", QStringList{"-c", "import sys, zipfile\n" + script, hostZip} + args);
}

// Info-ZIP's test of every entry: exit code 0 when all is well (1 with the
// warning "zipfile is empty" for an archive without entries).
inline ProcResult unzipTest(const QString& hostZip) { return run("unzip", {"-tqq", hostZip}); }

// Python's zipfile: testzip() and what it reads of every entry (the SHA-256
// of the data for entries below 64 MiB).
inline QJsonObject pythonRead(const QString& hostZip) {
    static const char* script = R"PY(
import hashlib, json, sys, zipfile
out = {}
with zipfile.ZipFile(sys.argv[1]) as z:
    out["testzip"] = z.testzip()
    out["comment"] = z.comment.decode("utf-8", "replace")
    entries = []
    for i in z.infolist():
        h = hashlib.sha256()
        if i.file_size < (64 << 20):  # testzip read the big ones already
            with z.open(i) as f:
                while True:
                    b = f.read(1 << 20)
                    if not b:
                        break
                    h.update(b)
        mtime = None
        ex = i.extra
        k = 0
        while k + 4 <= len(ex):
            hid = int.from_bytes(ex[k:k+2], "little"); ln = int.from_bytes(ex[k+2:k+4], "little")
            if hid == 0x5455 and ln >= 5 and ex[k+4] & 1:
                mtime = int.from_bytes(ex[k+5:k+9], "little", signed=True)
            k += 4 + ln
        entries.append({"name": i.filename, "flags": i.flag_bits, "size": i.file_size,
                        "csize": i.compress_size, "method": i.compress_type,
                        "date": list(i.date_time), "mtime": mtime, "sha": h.hexdigest(),
                        "mode": i.external_attr >> 16})
    out["entries"] = entries
print(json.dumps(out))
)PY";
    const ProcResult r = run("/usr/bin/python3", {"-c", script, hostZip});
    if (r.rc != 0) {
        ADD_FAILURE() << "python zipfile refused " << hostZip.toStdString() << ": " << r.err.toStdString();
        return {};
    }
    return QJsonDocument::fromJson(r.out).object();
}

inline QString sha256(const QByteArray& data) {
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
}

using testenv::randomBytes;

inline QByteArray textBytes(qsizetype n) {
    QByteArray b;
    int line = 0;
    while (b.size() < n)
        b += "Line " + QByteArray::number(line++) + " of a compressible backup test file.\n";
    b.truncate(n);
    return b;
}

// Expect `f` to raise a VbError with the number; returns its description.
inline QString expectVbError(int number, const std::function<void()>& f) {
    try {
        f();
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.number(), number) << e.description().toStdString();
        return e.description();
    } catch (...) {
        ADD_FAILURE() << "not a VbError";
        return {};
    }
    ADD_FAILURE() << "no error raised, expected " << number;
    return {};
}

inline qint64 freeBytes(const QString& hostPath) {
    struct statvfs s {};
    if (statvfs(QFile::encodeName(hostPath).constData(), &s) != 0)
        return 0;
    return qint64(s.f_bavail) * qint64(s.f_frsize);
}

}  // namespace ziptest
