// SPDX-License-Identifier: GPL-3.0-or-later
// Entry data written past minizip: the archive is the same bytes as when
// minizip is handed every byte, whether the files are read ahead or in
// their turn, stored or deflated, in a new archive or appended to one.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "ZipTestSupport.h"
#include "platform/Paths.h"
#include "platform/ZipArchiveComponent.h"
#include "platform/ZipArchiveState.h"
#include "platform/ZipEntryBytes.h"

using namespace ziptest;

namespace {

class EntryBytes : public ::testing::Test {
protected:
    void SetUp() override {
        platform::InstallPathLayer();
        src = testenv::tempDir(QStringLiteral("src"));
        out = testenv::tempDir(QStringLiteral("out"));
        // Sizes about the places where the writes change their way: the
        // smallest block written through, minizip's buffer, our 1 MiB buffer.
        const struct {
            const char* name;
            QByteArray data;
        } files[] = {
            {"empty", QByteArray()},
            {"one", QByteArray("x")},
            {"below32k", randomBytes(32 * 1024 - 1, 1)},
            {"at32k", textBytes(32 * 1024)},
            {"past64k", randomBytes(64 * 1024 + 1, 2)},
            {"past1m", textBytes((1 << 20) + 3)},
            {"mixed", textBytes(700000) + randomBytes(2500000, 3) + textBytes(123)},
            {"tail", randomBytes(10, 4)},
        };
        for (const auto& f : files) {
            testenv::writeFile(src + "/" + f.name, f.data);
            names << QString::fromLatin1(f.name);
        }
    }
    void TearDown() override {
        platform::ZipEntryBytes::SetAllowed(true);
        platform::ZipArchiveState::setReadAhead(0, size_t(128) << 20);
    }

    // An archive of every file at `level`; with `append`, the second half is
    // added after the archive was closed and opened again, and one file is
    // added twice (the older entry dropped at the close).
    QByteArray write(const QString& name, int level, bool append) {
        const QString path = out + "/" + name;
        QFile::remove(path);
        QStringList paths;
        for (const QString& n : names)
            paths << win(src + "/" + n);
        const qsizetype half = append ? paths.size() / 2 : paths.size();
        {
            platform::ZipArchiveComponent zip;
            zip.Create(win(path));
            zip.Files().Prefetch(paths.mid(0, half), level);
            for (qsizetype i = 0; i < half; ++i)
                zip.Files().AddFileByName(paths[i], level, true, true);
            zip.Close();
        }
        if (append) {
            platform::ZipArchiveComponent zip;
            zip.Open(win(path));
            zip.Files().Prefetch(paths.mid(half), level);
            for (qsizetype i = half; i < paths.size(); ++i)
                zip.Files().AddFileByName(paths[i], level, true, true);
            zip.Files().AddFileByName(paths[1], level, true, true);
            zip.Close();
        }
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }

    QString src, out;
    QStringList names;
};

}  // namespace

TEST_F(EntryBytes, TheArchiveIsTheSameAsWhenMinizipWritesTheData) {
    // This build's minizip is the one whose count is kept: otherwise the
    // writes past it are never made and the cases below compare nothing.
    ASSERT_TRUE(platform::ZipEntryBytes::Available());
    for (const int threads : {0, 3}) {
        for (const int level : {0, 6}) {
            for (const bool append : {false, true}) {
                SCOPED_TRACE(QStringLiteral("threads %1, level %2%3")
                                 .arg(threads)
                                 .arg(level)
                                 .arg(append ? ", appended" : "")
                                 .toStdString());
                platform::ZipArchiveState::setReadAhead(threads, size_t(8) << 20);
                platform::ZipEntryBytes::SetAllowed(false);
                const QByteArray viaMinizip = write("minizip.zip", level, append);
                platform::ZipEntryBytes::SetAllowed(true);
                const QByteArray past = write("past.zip", level, append);
                ASSERT_FALSE(viaMinizip.isEmpty());
                EXPECT_TRUE(past == viaMinizip) << "sizes " << past.size() << " and " << viaMinizip.size();
                const ProcResult t = unzipTest(out + "/past.zip");
                EXPECT_EQ(t.rc, 0) << t.out.toStdString() << t.err.toStdString();
            }
        }
    }
    const QJsonObject read = pythonRead(out + "/past.zip");
    EXPECT_TRUE(read["testzip"].isNull());
    EXPECT_EQ(read["entries"].toArray().size(), names.size());
}

TEST_F(EntryBytes, ADirectoryMovedOutOfMemoryIsWrittenTheSame) {
    // Enough entries for minizip's directory records to fill many of its
    // blocks and be moved out more than once, in the archive made and again
    // in the one appended to (whose records minizip reads back first).
    ASSERT_TRUE(platform::ZipDirectorySpill::Available());
    const QString many = src + "/many";
    QDir().mkpath(many);
    QStringList paths;
    for (int i = 0; i < 2600; ++i) {
        const QString name = QStringLiteral("%1/file %2.txt").arg(many).arg(i, 5, 10, QLatin1Char('0'));
        testenv::writeFile(name, QByteArray::number(i * 7919));
        paths << win(name);
    }
    auto archive = [&](const QString& name) {
        const QString path = out + "/" + name;
        QFile::remove(path);
        for (const qsizetype from : {qsizetype(0), paths.size() / 2}) {
            platform::ZipArchiveComponent zip;
            if (from == 0)
                zip.Create(win(path));
            else
                zip.Open(win(path));
            const QStringList part = paths.mid(from, paths.size() / 2);
            zip.Files().Prefetch(part, 6);
            for (const QString& p : part)
                zip.Files().AddFileByName(p, 6, true, true);
            zip.Close();
        }
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    };
    platform::ZipArchiveState::setReadAhead(3, size_t(8) << 20);
    platform::ZipEntryBytes::SetAllowed(false);
    const QByteArray inMemory = archive("memory.zip");
    platform::ZipEntryBytes::SetAllowed(true);
    const QByteArray moved = archive("moved.zip");
    ASSERT_FALSE(inMemory.isEmpty());
    EXPECT_TRUE(moved == inMemory) << "sizes " << moved.size() << " and " << inMemory.size();
    const QJsonObject read = pythonRead(out + "/moved.zip");
    EXPECT_TRUE(read["testzip"].isNull());
    EXPECT_EQ(read["entries"].toArray().size(), paths.size());
    // Nothing is left beside the archive.
    EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden).size(), 2);
}
