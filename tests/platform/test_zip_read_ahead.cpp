// SPDX-License-Identifier: GPL-3.0-or-later
// Files read and deflated ahead on other threads: the archive's bytes are
// exactly those of the archive written reading every file in its turn, for
// every kind of file and every way the writer departs from the list it gave,
// and the memory held stays within its bound.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

#include "ZipTestSupport.h"
#include "platform/Paths.h"
#include "platform/ZipArchiveComponent.h"
#include "platform/ZipArchiveState.h"
#include "platform/ZipDeflateAhead.h"

using namespace ziptest;

namespace {

struct Step {
    QString file;    // relative to the source folder
    int level;
};

class ReadAhead : public ::testing::Test {
protected:
    void SetUp() override {
        platform::InstallPathLayer();
        src = testenv::tempDir(QStringLiteral("src"));
        out = testenv::tempDir(QStringLiteral("out"));
        put("empty.txt", QByteArray());
        put("one.txt", QByteArray("x"));
        put("text.txt", textBytes(300000));
        put("random.bin", randomBytes(700000, 7));
        put("big.bin", textBytes(30 * 1000 * 1000));
        put("mixed.bin", textBytes(200000) + randomBytes(200000, 8) + textBytes(5000));
        for (int i = 0; i < 20; ++i)
            put(QStringLiteral("small%1.txt").arg(i), textBytes(100 + i * 97));
        ASSERT_EQ(::mkfifo(QFile::encodeName(src + "/fifo").constData(), 0600), 0);
    }
    void TearDown() override { platform::ZipArchiveState::setReadAhead(0, size_t(128) << 20); }

    void put(const QString& name, const QByteArray& data) {
        testenv::writeFile(src + QLatin1Char('/') + name, data);
    }
    QString w(const QString& name) const { return win(src + QLatin1Char('/') + name); }

    // Writes an archive: the hint lists `hinted`, the writer adds `added`.
    // Returns the archive bytes and the error number each add raised.
    std::pair<QByteArray, QList<int>> write(const QString& name, const QList<Step>& hinted, const QList<Step>& added,
                                            const std::function<void(int)>& beforeAdd = {}) {
        const QString path = out + QLatin1Char('/') + name;
        QList<int> errors;
        {
            platform::ZipArchiveComponent zip;
            zip.Create(win(path));
            zip.SetComment(QStringLiteral("comment"));
            QStringList files;
            for (const Step& s : hinted)
                files << w(s.file);
            if (!hinted.isEmpty())
                zip.Files().Prefetch(files, hinted.first().level);
            for (int i = 0; i < added.size(); ++i) {
                if (beforeAdd)
                    beforeAdd(i);
                int e = 0;
                try {
                    zip.Files().AddFileByName(w(added[i].file), added[i].level, true, true);
                } catch (const vb::VbError& err) {
                    e = err.number();
                }
                errors << e;
            }
            zip.Close();
        }
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return {f.readAll(), errors};
    }

    QString src, out;
};

QList<Step> steps(const QStringList& names, int level) {
    QList<Step> s;
    for (const QString& n : names)
        s.append({n, level});
    return s;
}

}  // namespace

TEST_F(ReadAhead, TheArchiveIsTheSameAsReadingEachFileInItsTurn) {
    const QStringList all = {"empty.txt", "one.txt", "text.txt", "random.bin", "big.bin", "mixed.bin",
                             "small0.txt", "small1.txt", "small2.txt", "small3.txt", "small4.txt",
                             "small5.txt", "small6.txt", "small7.txt", "small8.txt", "small9.txt",
                             "small10.txt", "small11.txt", "small12.txt", "small13.txt", "small14.txt",
                             "small15.txt", "small16.txt", "small17.txt", "small18.txt", "small19.txt"};
    struct Case {
        const char* what;
        QList<Step> hinted;
        QList<Step> added;
    };
    QList<Step> someSkipped = steps(all, 6);
    someSkipped.removeAt(12);
    someSkipped.removeAt(3);
    QList<Step> withMissing = steps(all, 6);
    withMissing.insert(2, {"gone.txt", 6});
    withMissing.insert(5, {"fifo", 6});
    QList<Step> reordered = steps(all, 6);
    std::swap(reordered[4], reordered[9]);
    const QList<Case> cases = {
        {"level 6, every file", steps(all, 6), steps(all, 6)},
        {"level 0 stores", steps(all, 0), steps(all, 0)},
        {"level 9", steps(all, 9), steps(all, 9)},
        {"files passed over", steps(all, 6), someSkipped},
        {"a missing file and a FIFO", withMissing, withMissing},
        {"added out of order", steps(all, 6), reordered},
        {"another level than hinted", steps(all, 6), steps(all, 1)},
        {"the same file twice", steps({"text.txt", "text.txt", "one.txt"}, 6),
         steps({"text.txt", "text.txt", "one.txt"}, 6)},
    };
    for (const auto& [threads, bound] : {std::pair{4, size_t(128) << 20}, std::pair{3, size_t(4) << 20},
                                         std::pair{1, size_t(1) << 20}}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + ", threads " + std::to_string(threads) + ", bound " +
                         std::to_string(bound));
            platform::ZipArchiveState::setReadAhead(0, bound);
            const auto plain = write(QStringLiteral("plain.zip"), c.hinted, c.added);
            platform::ZipArchiveState::setReadAhead(threads, bound);
            const auto ahead = write(QStringLiteral("ahead.zip"), c.hinted, c.added);
            EXPECT_EQ(ahead.second, plain.second);
            EXPECT_EQ(ahead.first.size(), plain.first.size());
            EXPECT_TRUE(ahead.first == plain.first) << "the archives differ";
        }
    }
    // The errors are those of a file read in its turn: 53 for the missing
    // file, 75 for the FIFO; and the archive reads back whole.
    platform::ZipArchiveState::setReadAhead(4, size_t(128) << 20);
    const auto r = write(QStringLiteral("check.zip"), withMissing, withMissing);
    EXPECT_EQ(r.second.at(2), vb::errFileNotFound);
    EXPECT_EQ(r.second.at(5), vb::errPathFileAccess);
    EXPECT_EQ(unzipTest(out + QStringLiteral("/check.zip")).rc, 0);
}

TEST_F(ReadAhead, AFileChangedBeforeItsTurnIsStoredAsItWasRead) {
    // The worker reads the file ahead; a later change does not mix old and
    // new bytes: the entry is whole and its checksum right. Kept as it is
    // (level 0), a file larger than the read-ahead holds is read while it is
    // written, and one that grows or shrinks meanwhile is stored as read.
    for (const int level : {6, 0}) {
        SCOPED_TRACE(level);
        put("mixed.bin", textBytes(200000) + randomBytes(200000, 8) + textBytes(5000));
        put("big.bin", textBytes(30 * 1000 * 1000));
        platform::ZipArchiveState::setReadAhead(2, size_t(1) << 20);
        const QList<Step> list = steps({"text.txt", "random.bin", "mixed.bin", "big.bin", "one.txt"}, level);
        const auto r = write(QStringLiteral("changed.zip"), list, list, [&](int i) {
            if (i == 1)
                put("mixed.bin", QByteArray("rewritten"));
            if (i == 2)
                put("big.bin", textBytes(level == 0 ? 40 * 1000 * 1000 : 1000));
        });
        EXPECT_EQ(r.second, (QList<int>(5, 0)));
        EXPECT_EQ(unzipTest(out + QStringLiteral("/changed.zip")).rc, 0);
    }
}

TEST_F(ReadAhead, TheMemoryHeldStaysWithinTheBound) {
    for (int i = 0; i < 40; ++i)
        put(QStringLiteral("r%1.bin").arg(i), randomBytes(300000 + i * 1000, 100 + i));
    QStringList names;
    for (int i = 0; i < 40; ++i)
        names << QStringLiteral("r%1.bin").arg(i);
    names << QStringLiteral("big.bin");   // kept as it is, larger than the bound
    const size_t bound = size_t(2) << 20;
    for (const int level : {6, 0}) {
        SCOPED_TRACE(level);
        platform::ZipArchiveState::setReadAhead(6, bound);
        platform::DeflateAhead::ResetPeakHeldEver();
        // The writer is slow: the workers run ahead until the bound stops them.
        const auto r = write(QStringLiteral("bounded.zip"), steps(names, level), steps(names, level),
                             [](int) { ::usleep(2000); });
        EXPECT_EQ(r.second, QList<int>(41, 0));
        EXPECT_GT(platform::DeflateAhead::PeakHeldEver(), size_t(0));
        EXPECT_LE(platform::DeflateAhead::PeakHeldEver(), bound);
        EXPECT_EQ(unzipTest(out + QStringLiteral("/bounded.zip")).rc, 0);
    }
}

TEST_F(ReadAhead, TheWritersFileIsReadToItsEndWhenItsWorkerWaitedForRoom) {
    // Stored files of one and of a few pieces, more of them than the
    // read-ahead holds: the workers fill it and wait for room, some with a
    // file's first pieces read, while the writer takes file after file. Each
    // file the writer takes must still be read to its end, however little
    // room each of its pieces gives back.
    QStringList names;
    for (int i = 0; i < 90; ++i) {
        const QString name = QStringLiteral("p%1.bin").arg(i);
        put(name, randomBytes(i % 3 == 2 ? 2'600'000 + i : 150'000 + i * 1000, 200 + i));
        names << name;
    }
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        platform::ZipArchiveState::setReadAhead(7, size_t(64) << 20);
        const auto r = write(QStringLiteral("waited.zip"), steps(names, 0), steps(names, 0));
        EXPECT_EQ(r.second, QList<int>(names.size(), 0));
    }
    EXPECT_EQ(unzipTest(out + QStringLiteral("/waited.zip")).rc, 0);
}
