// SPDX-License-Identifier: GPL-3.0-or-later
// Copy and synchronisation runs over sources that cannot be read: a file
// without read permission and a FIFO. The run goes on with the other files,
// never waits on the FIFO, and ends normally.
#include <QElapsedTimer>
#include <sys/stat.h>

#include "FaultSupport.h"
#include "ZipRunFixture.h"

using namespace ziprun;

namespace {

class CopySyncFaults : public ZipRunTest {};

}  // namespace

TEST_F(CopySyncFaults, UnreadableSourcesArePassedOverAndTheRunGoesOn) {
    struct Case {
        const char* name;
        int mode;   // optBuMode: 1 copy, 2 synchronisation
        bool fifo;  // the odd file is a FIFO, else a file without read permission
    } const cases[] = {
        {"copy, no read permission", 1, false},
        {"copy, a FIFO", 1, true},
        {"synchronisation, no read permission", 2, false},
        {"synchronisation, a FIFO", 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        // The odd file has a folder of its own, so that what happens to it
        // cannot keep the other folders' files back.
        const QString a = WriteSource(QStringLiteral("a.txt"), QByteArray("alpha\n"));
        const QString b = WriteSource(QStringLiteral("two/b.txt"), QByteArray("beta\n"));
        QDir().mkpath(src + QStringLiteral("/odd"));
        const QString odd = src + QStringLiteral("/odd/x.txt");
        if (c.fifo) {
            ASSERT_EQ(::mkfifo(QFile::encodeName(odd).constData(), 0644), 0);
        } else {
            testenv::writeFile(odd, QByteArray("secret"));
            ::chmod(QFile::encodeName(odd).constData(), 0);
        }
        f().optBuMode(c.mode)->setValue(true);
        f().chkInclSubDirStruct->setValue(1);
        f().chkHiddenFolders->setValue(1);
        const QString target = testenv::tempDir(QStringLiteral("target"));
        if (c.mode == 1) {
            for (const QString& folder : {src, src + QStringLiteral("/two"), src + QStringLiteral("/odd")})
                AddSource(Win(folder) + QStringLiteral("\\*.*"));
        } else {
            f().txtSourceSync->setText(Win(src));
            f().txtDestinySync->setText(Win(target));
            f().chkSyncSubDirs->setValue(1);
        }
        // Where a source file lands: copy mode keeps the path below the drive.
        auto landed = [&](const QString& host) {
            return c.mode == 1 ? dest + host : target + host.mid(src.size());
        };
        faults::FifoWatchdog watchdog(odd, 20000);
        QElapsedTimer t;
        t.start();
        {
            faults::ReadLikeAUser user;
            Run();
        }
        EXPECT_FALSE(watchdog.fired()) << "the run waited for a writer of the FIFO";
        EXPECT_LT(t.elapsed(), 60000);
        EXPECT_TRUE(f().txtNews->Text().startsWith(LangText(121))) << f().txtNews->Text().toStdString();
        EXPECT_EQ(testenv::readFile(landed(a)), QByteArray("alpha\n"));
        EXPECT_EQ(testenv::readFile(landed(b)), QByteArray("beta\n"));
        EXPECT_FALSE(QFileInfo(landed(odd)).isFile());  // nothing of it, and nothing partial
        QFile::remove(odd);
    }
}
