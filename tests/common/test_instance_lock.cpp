// SPDX-License-Identifier: GPL-3.0-or-later
// The one-instance lock: only a live holder refuses a start; whatever a dead
// one left in the lock file (nothing, garbage, its process number, a link)
// is taken over.
#include <QDir>
#include <QFileInfo>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/AppInstance.h"
#include "common/CommonTest.h"

namespace {

class InstanceLock : public CommonTest {
protected:
    void SetUp() override {
        CommonTest::SetUp();
        ReleaseInstanceLock();
        path = InstanceLockPath();
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile::remove(path);
    }
    void TearDown() override {
        ReleaseInstanceLock();
        CommonTest::TearDown();
    }
    QByteArray name() const { return QFile::encodeName(path); }
    QString path;
};

}  // namespace

TEST_F(InstanceLock, OnlyALiveHolderRefusesAStart) {
    enum Left { Nothing, Empty, Garbage, DeadPid, DeadHolder, LiveHolder, DanglingLink };
    struct Case {
        const char* name;
        Left left;
        bool refused;
    } const cases[] = {
        {"no lock file", Nothing, false},
        {"an empty lock file (a power cut while it was made)", Empty, false},
        {"garbage in the lock file", Garbage, false},
        {"the process number of an instance that died", DeadPid, false},
        {"a holder that was killed", DeadHolder, false},
        {"a live holder", LiveHolder, true},
        {"a dangling link in the lock's place", DanglingLink, false},
    };
    const QString elsewhere = testenv::tempDir("elsewhere") + "/target";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReleaseInstanceLock();
        QFile::remove(path);
        int live = -1;
        switch (c.left) {
        case Nothing:
            break;
        case Empty:
            testenv::writeFile(path, QByteArray());
            break;
        case Garbage:
            testenv::writeFile(path, QByteArray("\xff\x00garbage\n\n", 11));
            break;
        case DeadPid:
            testenv::writeFile(path, "999999\nvaultora\nsomehost\n");
            break;
        case DeadHolder: {
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                const int fd = ::open(name().constData(), O_RDWR | O_CREAT, 0600);
                ::flock(fd, LOCK_EX);
                ::raise(SIGKILL);
            }
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            ASSERT_TRUE(QFile::exists(path));
            break;
        }
        case LiveHolder:
            // Another open of the file holds it, as another process would.
            live = ::open(name().constData(), O_RDWR | O_CREAT, 0600);
            ASSERT_EQ(::flock(live, LOCK_EX | LOCK_NB), 0);
            break;
        case DanglingLink:
            ASSERT_EQ(::symlink(QFile::encodeName(elsewhere).constData(), name().constData()), 0);
            break;
        }
        EXPECT_EQ(PrevInstance(), c.refused);
        EXPECT_FALSE(QFileInfo::exists(elsewhere));   // nothing made through the link
        if (!c.refused) {
            EXPECT_FALSE(PrevInstance());   // the holder itself is not refused
            struct stat st {};
            ASSERT_EQ(::lstat(name().constData(), &st), 0);
            EXPECT_TRUE(S_ISREG(st.st_mode));
            EXPECT_EQ(st.st_mode & 0777, 0600u);
            EXPECT_EQ(testenv::readFile(path), QByteArray::number(qint64(::getpid())) + "\n");
            // Now held: another open of the file cannot take it.
            const int other = ::open(name().constData(), O_RDWR);
            EXPECT_NE(::flock(other, LOCK_EX | LOCK_NB), 0);
            ::close(other);
            ReleaseInstanceLock();
            EXPECT_FALSE(QFileInfo::exists(path));
        }
        if (live >= 0)
            ::close(live);
    }
}
