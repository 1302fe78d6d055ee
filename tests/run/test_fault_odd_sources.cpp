// SPDX-License-Identifier: GPL-3.0-or-later
// Each backup mode over a source folder that holds, among ordinary files,
// the odd ones a user's disk has: a file that cannot be read, a FIFO, a name
// that is not UTF-8, a name with a backslash, a name with CR LF, a file that
// vanishes during the run and one that grows. Every ordinary file arrives;
// every odd one arrives with its exact name or is named in the error log;
// the run's outcome says whether something was left out.
#include <QDirIterator>
#include <QTimer>
#include <dirent.h>
#include <QProcess>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FaultSupport.h"
#include "ZipRunFixture.h"
#include "common/RunOutcome.h"
#include "platform/HostNames.h"
#include "settings/ProfileFiles.h"

using namespace ziprun;

namespace {

class OddSources : public ZipRunTest {
protected:
    // The raw names (bytes) of the entries of an archive, with their data.
    static QMap<QByteArray, QByteArray> ArchiveByRawName(const QString& archive) {
        static const char* script = R"(
import base64, json, sys, zipfile
out = {}
with zipfile.ZipFile(sys.argv[1]) as z:
    for i in z.infolist():
        raw = i.filename.encode("utf-8" if i.flag_bits & 0x800 else "cp437")
        out[base64.b64encode(raw).decode()] = base64.b64encode(z.read(i)).decode()
print(json.dumps(out))
)";
        QProcess p;
        p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromLatin1(script), archive});
        p.waitForFinished(60000);
        const QJsonObject o = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
        QMap<QByteArray, QByteArray> out;
        for (auto it = o.begin(); it != o.end(); ++it)
            out.insert(QByteArray::fromBase64(it.key().toLatin1()),
                       QByteArray::fromBase64(it.value().toString().toLatin1()));
        return out;
    }
    // The files below a folder by their raw relative names (read with the
    // system's own calls: Qt's listing cannot give back names that are not
    // UTF-8).
    static QMap<QByteArray, QByteArray> TreeByRawName(const QByteArray& root, const QByteArray& below = {}) {
        QMap<QByteArray, QByteArray> out;
        DIR* d = ::opendir((root + below).constData());
        if (!d)
            return out;
        while (dirent* e = ::readdir(d)) {
            const QByteArray name = e->d_name;
            if (name == "." || name == "..")
                continue;
            const QByteArray rel = below.isEmpty() ? name : below.mid(1) + '/' + name;
            const QByteArray full = root + '/' + rel;
            struct stat st {};
            if (::lstat(full.constData(), &st) != 0)
                continue;
            if (S_ISDIR(st.st_mode)) {
                const auto sub = TreeByRawName(root, '/' + rel);
                for (auto it = sub.begin(); it != sub.end(); ++it)
                    out.insert(it.key(), it.value());
            } else if (S_ISREG(st.st_mode)) {
                QByteArray data;
                const int fd = ::open(full.constData(), O_RDONLY);
                char buf[65536];
                for (ssize_t n; fd >= 0 && (n = ::read(fd, buf, sizeof buf)) > 0;)
                    data.append(buf, n);
                if (fd >= 0)
                    ::close(fd);
                out.insert(rel, data);
            }
        }
        ::closedir(d);
        return out;
    }
};

}  // namespace

TEST_F(OddSources, EveryFileArrivesOrIsNamedInTheErrorLog) {
    struct Odd {
        QByteArray name;
        enum Kind { Unreadable, Fifo, Plain, Vanishes, Grows } kind;
    } const odds[] = {
        {"unreadable.txt", Odd::Unreadable}, {"fifo", Odd::Fifo},
        {"bytes-\xff\xfe.txt", Odd::Plain},   {"back\\slash.txt", Odd::Plain},
        {"cr\r\nlf.txt", Odd::Plain},         {"vanishes.txt", Odd::Vanishes},
        {"grows.bin", Odd::Grows},
    };
    const QByteArray ordinaryData = "an ordinary file\n";
    const QByteArray growData = Incompressible(256 * 1024, 7);
    for (const int mode : {0, 1, 2}) {
        SCOPED_TRACE(mode == 0 ? "ZIP" : mode == 1 ? "copy" : "synchronisation");
        SetUp();
        const QString odd = src + QStringLiteral("/odd");
        QDir().mkpath(odd);
        WriteSource(QStringLiteral("first.txt"), ordinaryData);
        WriteSource(QStringLiteral("odd/ordinary1.txt"), ordinaryData);
        WriteSource(QStringLiteral("odd/ordinary2.txt"), ordinaryData);
        const QByteArray oddRaw = QFile::encodeName(odd);
        for (const Odd& o : odds) {
            const QByteArray path = oddRaw + '/' + o.name;
            if (o.kind == Odd::Fifo) {
                ASSERT_EQ(::mkfifo(path.constData(), 0644), 0);
                continue;
            }
            const QByteArray& data = o.kind == Odd::Grows ? growData : ordinaryData;
            const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
            ASSERT_GE(fd, 0) << path.toStdString();
            ASSERT_EQ(::write(fd, data.constData(), size_t(data.size())), data.size());
            ::close(fd);
            if (o.kind == Odd::Unreadable)
                ::chmod(path.constData(), 0);
        }
        f().optBuMode(mode)->setValue(true);
        f().chkInclSubDirStruct->setValue(1);
        f().chkHiddenFolders->setValue(1);
        const QString target = testenv::tempDir(QStringLiteral("target"));
        if (mode == 2) {
            f().txtSourceSync->setText(Win(src));
            f().txtDestinySync->setText(Win(target));
            f().chkSyncSubDirs->setValue(1);
        } else {
            AddSource(Win(src) + QStringLiteral("\\*.*"));
            AddSource(Win(odd) + QStringLiteral("\\*.*"));
        }
        // Once the run has listed the odd folder, one file goes and another
        // grows.
        bool done = false;
        const QString vanishing = Win(odd) + QStringLiteral("\\vanishes.txt");
        QTimer during;
        QObject::connect(&during, &QTimer::timeout, [&] {
            const bool listed = mode == 2 ? QFileInfo(target + QStringLiteral("/odd")).isDir()
                                          : FileList.contains(vanishing);
            if (done || !listed)
                return;
            done = true;
            ::unlink((oddRaw + "/vanishes.txt").constData());
            QFile grow(QFile::decodeName(oddRaw + "/grows.bin"));
            if (grow.open(QIODevice::Append))
                grow.write(Incompressible(64 * 1024, 8));
        });
        during.start(1);
        faults::FifoWatchdog watchdog(QFile::decodeName(oddRaw + "/fifo"), 20000);
        {
            faults::ReadLikeAUser user;
            Run();
        }
        during.stop();
        // (The walk of ZIP and copy mode lets events in too rarely for a
        // folder this small; synchronisation does between any two files.)
        if (mode == 2) {
            EXPECT_TRUE(done) << "the run ended before the odd folder's files changed";
        }
        EXPECT_FALSE(watchdog.fired()) << "the run waited for a writer of the FIFO";

        // What arrived, by raw name below the source folder.
        QMap<QByteArray, QByteArray> arrived;
        const QByteArray srcRaw = QFile::encodeName(src);
        if (mode == 0) {
            const QStringList archives = FilesIn(dest, QStringLiteral("*.zip"));
            ASSERT_EQ(archives.size(), 1);
            EXPECT_TRUE(UnzipTestPasses(dest + QLatin1Char('/') + archives[0]));
            const QByteArray below = srcRaw.mid(1) + '/';   // stored without the drive's "/"
            const auto entries = ArchiveByRawName(dest + QLatin1Char('/') + archives[0]);
            for (auto it = entries.begin(); it != entries.end(); ++it)
                if (it.key().startsWith(below))
                    arrived.insert(it.key().mid(below.size()), it.value());
        } else if (mode == 1) {
            const auto all = TreeByRawName(QFile::encodeName(dest));
            const QByteArray below = srcRaw.mid(1) + '/';
            for (auto it = all.begin(); it != all.end(); ++it)
                if (it.key().startsWith(below))
                    arrived.insert(it.key().mid(below.size()), it.value());
        } else {
            arrived = TreeByRawName(QFile::encodeName(target));
        }
        EXPECT_EQ(arrived.value("first.txt"), ordinaryData);
        EXPECT_EQ(arrived.value("odd/ordinary1.txt"), ordinaryData);
        EXPECT_EQ(arrived.value("odd/ordinary2.txt"), ordinaryData);

        const QString errors = ErrorLog();
        bool anyNamed = false;
        for (const Odd& o : odds) {
            SCOPED_TRACE(o.name.toStdString());
            const QByteArray rel = "odd/" + o.name;
            const bool came = arrived.contains(rel);
            if (came) {
                const QByteArray got = arrived.value(rel);
                if (o.kind == Odd::Grows)
                    EXPECT_TRUE(got.startsWith(growData));
                else
                    EXPECT_EQ(got, ordinaryData);
            }
            const bool named = errors.contains(platform::ToWindows(platform::HostText(oddRaw + '/' + o.name)));
            anyNamed = anyNamed || named;
            EXPECT_TRUE(came || named) << "neither backed up nor named in the error log\n" << errors.toStdString();
            if (o.kind == Odd::Unreadable || o.kind == Odd::Fifo) {
                EXPECT_TRUE(named);   // these can never arrive
            }
            if (o.kind == Odd::Plain) {
                EXPECT_TRUE(came);    // a name legal on this system arrives as it is
            }
        }
        EXPECT_EQ(CurrentRunOutcome(), anyNamed ? RunOutcome::Incomplete : RunOutcome::Complete)
            << errors.toStdString();
        ::chmod((oddRaw + "/unreadable.txt").constData(), 0644);
    }
}

TEST_F(OddSources, ASourceEntryThatIsNotThereIsNamed) {
    for (const int mode : {0, 1}) {
        SCOPED_TRACE(mode == 0 ? "ZIP" : "copy");
        SetUp();
        WriteSource(QStringLiteral("a.txt"), QByteArray("alpha\n"));
        f().optBuMode(mode)->setValue(true);
        AddSource(Win(src) + QStringLiteral("\\*.*"));
        AddSource(Win(src) + QStringLiteral("\\unplugged\\*.*"));
        AddSource(Win(src) + QStringLiteral("\\gone.txt"));
        Run();
        const QString errors = ErrorLog();
        EXPECT_TRUE(errors.contains(Win(src) + QStringLiteral("\\unplugged\\"))) << errors.toStdString();
        EXPECT_TRUE(errors.contains(Win(src) + QStringLiteral("\\gone.txt"))) << errors.toStdString();
        EXPECT_EQ(CurrentRunOutcome(), RunOutcome::Incomplete);
    }
}

// A source folder deeper than the system's longest path is there, but cannot
// be read: the error log says that its path is too long, not that it is
// missing.
TEST_F(OddSources, ASourceFolderWithAPathTooLongIsToldAsSuch) {
    // Made one name at a time from inside, as only such a folder can be.
    const QString name(200, QLatin1Char('d'));
    QString deep = src;
    const int top = ::open(QFile::encodeName(src).constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(top, 0);
    int at = top;
    while (QFile::encodeName(deep).size() <= 4200) {
        ASSERT_EQ(::mkdirat(at, QFile::encodeName(name).constData(), 0755), 0);
        const int next = ::openat(at, QFile::encodeName(name).constData(), O_RDONLY | O_DIRECTORY);
        ASSERT_GE(next, 0);
        if (at != top)
            ::close(at);
        at = next;
        deep += QLatin1Char('/') + name;
    }
    ::close(at);
    ::close(top);
    for (const int mode : {0, 1}) {
        SCOPED_TRACE(mode == 0 ? "ZIP" : "copy");
        QFile::remove(ErrorLogFile());
        ResetRunOutcome();
        f().optBuMode(mode)->setValue(true);
        f().List1->Clear();
        AddSource(Win(deep) + QStringLiteral("\\*.*"));
        Run();
        const QString errors = ErrorLog();
        EXPECT_TRUE(errors.contains(QStringLiteral("The source folder's path is longer than the system allows: ") +
                                    Win(deep) + QStringLiteral("\\")))
            << errors.left(600).toStdString();
        EXPECT_FALSE(errors.contains(QStringLiteral("The source folder is missing")));
        EXPECT_EQ(CurrentRunOutcome(), RunOutcome::Incomplete);
    }
    // rm goes down from inside, which the test root's removal cannot.
    QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), src + QLatin1Char('/') + name});
}
