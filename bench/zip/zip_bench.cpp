// SPDX-License-Identifier: GPL-3.0-or-later
// Stores every file below a folder in a new archive through the ZIP
// component, as a backup run does, and prints the seconds it took.
//   zip_bench <level> <archive> <folder>
#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>

#include "platform/ZipArchiveComponent.h"
#include "vb/VbError.h"

namespace {
QString win(const QString& host) { return "Z:" + QString(host).replace('/', '\\'); }
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: zip_bench <level> <archive> <folder>\n");
        return 2;
    }
    const int level = QString(argv[1]).toInt();
    const QString archive = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();
    const QString folder = QFileInfo(QString::fromLocal8Bit(argv[3])).absoluteFilePath();
    QElapsedTimer clock;
    clock.start();
    qint64 files = 0, bytes = 0, packed = 0;
    try {
        platform::ZipArchiveComponent zip;
        zip.Create(win(archive));
        zip.SetComment("benchmark");
        QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString f = it.next();
            zip.Files().AddFileByName(win(f), level, true, true);
            const auto e = zip.Files().Item(zip.Files().Count() - 1);
            ++files;
            bytes += e.UncompressedSize();
            packed += e.CompressedSize();
        }
        zip.Close();
    } catch (const vb::VbError& e) {
        std::fprintf(stderr, "error %d: %s\n", e.number(), qPrintable(e.description()));
        return 1;
    }
    std::printf("%.3f s  %lld files  %lld -> %lld bytes\n", double(clock.nsecsElapsed()) / 1e9,
                static_cast<long long>(files), static_cast<long long>(bytes), static_cast<long long>(packed));
    return 0;
}
