// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the ZIP reader and the archive component on top of
// it: any file must be refused with a VbError or read without a crash or a
// hang; data read must match the sizes the directory gives; extraction never
// writes outside its folder; and an archive that opened takes one more file
// and is then an archive that holds it, whole.
//   bench/fuzz.sh zip      (or build fuzz_zip_reader in a clang build)
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

#include "platform/Paths.h"
#include "platform/ZipArchiveComponent.h"
#include "platform/ZipArchiveReader.h"
#include "vb/ErrorHandling.h"
#include "vb/VbError.h"
#include "support/FuzzTarget.h"

namespace {
QString g_root;
QString g_archive;
QString g_added;


constexpr const char* kAdded = "a file added to a fuzzed archive\n";
constexpr qint64 kReadLimit = qint64(4) << 20;  // per entry: enough to reach every check, no bomb

// Everything below `folder`, as paths relative to it.
QStringList Contents(const QString& folder) {
    QStringList out;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(folder).relativeFilePath(it.next());
    out.sort();
    return out;
}

void ReadAll() {
    platform::ZipArchiveReader r;
    if (!r.open(g_archive)) {
        Check(r.failure().number != 0);
        return;
    }
    int n = 0;
    for (const platform::ZipEntryRecord& e : r.entries()) {
        if (++n > 64)
            break;
        qint64 got = 0;
        const bool ok = r.readData(e, [&](const char*, size_t len) {
            got += qint64(len);
            return got <= kReadLimit;
        });
        if (ok)
            Check(quint64(got) == e.uncompressedSize);  // checked against the directory's size
        else if (got <= kReadLimit)
            Check(r.failure().number != 0);  // a refusal says why
    }
}

void ThroughTheComponent() {
    const QString sandbox = g_root + QStringLiteral("/sandbox");
    QDir(sandbox).removeRecursively();
    QDir().mkpath(sandbox + QStringLiteral("/out"));
    qint32 count = -1;
    try {
        platform::ZipArchiveComponent zip;
        zip.Open(platform::ToWindows(g_archive));
        count = zip.Files().Count();
        Check(count >= 0);
        for (qint32 i = 0; i < count && i < 16; ++i) {
            const platform::ZipArchiveEntry e = zip.Files().Item(i);
            if (e.UncompressedSize() > kReadLimit)
                continue;
            try {
                e.Extract(platform::ToWindows(sandbox + QStringLiteral("/out")));
            } catch (const vb::VbError&) {
            }
        }
        // Nothing lands beside the extraction folder.
        for (const QString& p : Contents(sandbox))
            Check(p == QLatin1String("out") || p.startsWith(QLatin1String("out/")));
        zip.Files().AddFileByName(platform::ToWindows(g_added), 6, false, true);
        zip.Close();
    } catch (const vb::VbError&) {
        return;  // refused: fine, as long as nothing crashed
    }
    // It took the file: the result is an archive that holds it, readable.
    platform::ZipArchiveReader r;
    if (!r.open(g_archive))
        std::fprintf(stderr, "the archive after adding: %d %s\n", r.failure().number, qPrintable(r.failure().detail));
    Check(r.open(g_archive));
    int found = 0;
    for (const platform::ZipEntryRecord& e : r.entries()) {
        if (e.name != QLatin1String("added.txt"))
            continue;
        ++found;
        QByteArray back;
        Check(r.readData(e, [&](const char* p, size_t len) {
            back.append(p, qsizetype(len));
            return true;
        }));
        Check(back == QByteArray(kAdded));
    }
    Check(found == 1);
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    g_root = fuzz::StartSandbox(argc, argv);
    g_archive = g_root + QStringLiteral("/in.zip");
    g_added = g_root + QStringLiteral("/added.txt");
    QFile f(g_added);
    Check(f.open(QIODevice::WriteOnly));
    f.write(kAdded);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    {
        QFile f(g_archive);
        Check(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        Check(f.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
    }
    ReadAll();
    ThroughTheComponent();
    return 0;
}
