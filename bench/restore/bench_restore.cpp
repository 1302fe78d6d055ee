// SPDX-License-Identifier: GPL-3.0-or-later
// Times the restore window's search and restore on archives made by
// bench/restore/run.sh, through the window's own handlers:
//   bench_restore search <archive folder> <pattern>
//   bench_restore restore <archive folder> <pattern> <target folder>
// Host paths. Prints the wall time in seconds on stdout; on stderr the
// counters, how often events ran during the work (and the longest time
// without them), and for a restore the bytes this process read meanwhile.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "../BenchSession.h"
#include "platform/Drives.h"
#include "restore/frmRestore.h"

namespace {

// Bytes this process has read so far ("rchar" of /proc/self/io).
qint64 BytesRead() {
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    return -1;
}

// Counts the turns of the event loop while work runs on the GUI thread.
struct EventProbe {
    QTimer timer;
    QElapsedTimer since;
    qint64 turns = 0, longestGapMs = 0;
    EventProbe() {
        timer.setInterval(0);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            ++turns;
            longestGapMs = std::max(longestGapMs, since.restart());
        });
    }
    void start() {
        since.start();
        timer.start();
    }
    void stop() {
        longestGapMs = std::max(longestGapMs, since.elapsed());
        timer.stop();
    }
};

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool restore = args.size() == 5 && args[1] == QLatin1String("restore");
    if (!(args.size() == 4 && args[1] == QLatin1String("search")) && !restore) {
        std::fprintf(stderr, "usage: bench_restore search <folder> <pattern> | restore <folder> <pattern> <target>\n");
        return 2;
    }
    if (!bench::StartSession())
        return 2;
    frmMain_BackUp form;
    form.txtPathBackUp->setText(platform::ToWindows(args[2]));
    form.txtPathTemp->setText(platform::ToWindows(QDir::tempPath()));
    frmRestore w(&form);
    w.Load();
    w.txtFileSearch->setText(args[3]);
    w.chkCaseSensitive->setValue(0);
    platform::Dialogs::scriptAnswers({});

    EventProbe probe;
    QElapsedTimer t;
    probe.start();
    t.start();
    w.cmdSearch_Click();
    const double searchSecs = double(t.elapsed()) / 1000.0;
    probe.stop();
    std::fprintf(stderr, "searched %s files in %s archives, found %s in %s; events ran %lld times (%.0f/s), "
                         "longest gap %lld ms\n",
                 qPrintable(w.lblSearchedFiles->Caption()), qPrintable(w.lblSearchedArchives->Caption()),
                 qPrintable(w.lblFoundFiles->Caption()), qPrintable(w.lblFoundArchives->Caption()),
                 static_cast<long long>(probe.turns), double(probe.turns) / std::max(searchSecs, 0.001),
                 static_cast<long long>(probe.longestGapMs));
    if (!restore) {
        std::printf("%.3f\n", searchSecs);
        return w.FG3->Rows() > 1 ? 0 : 1;
    }

    platform::SetDriveOverride('R', args[4]);
    w.Drive1->Refresh();
    w.Drive1->setDrive(QStringLiteral("r:"));
    w.FG3->setRow(1);
    platform::Dialogs::scriptAnswers({platform::vbYes});
    const qint64 before = BytesRead();
    t.restart();
    w.cmdRestore_Click();
    const double restoreSecs = double(t.elapsed()) / 1000.0;
    const qint64 read = BytesRead() - before;
    const QString last = platform::Dialogs::shown().isEmpty() ? QString() : platform::Dialogs::shown().last().prompt;
    std::fprintf(stderr, "restored row 1 (%s bytes): %s; read %.1f MB meanwhile\n",
                 qPrintable(w.FG3->TextMatrix(1, 3)), qPrintable(last), double(read) / 1048576.0);
    std::printf("%.3f\n", restoreSecs);
    return last == LangText(186) ? 0 : 1;
}
