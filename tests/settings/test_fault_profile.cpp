// SPDX-License-Identifier: GPL-3.0-or-later
// Profile files that are not profile files: the loader keeps the entries it
// can read, passes over the rest, logs a read that fails, and never crashes,
// hangs or keeps the file open.
#include <QElapsedTimer>

#include "SettingsTest.h"
#include "settings/ProfileFiles.h"
#include "vb/FileNumbers.h"

namespace {

using testenv::randomBytes;

QByteArray manyEntries(int n) {
    QByteArray out;
    for (int i = 0; i < n; ++i)
        out += "C:\\Data\\Folder " + QByteArray::number(i) + "\\*.*\r\n-1 \r\n";
    return out;
}

}  // namespace

TEST_F(SettingsTest, GarbageProfileFilesLoadWhatCanBeReadAndNothingElse) {
    struct Case {
        const char* name;
        QByteArray bytes;
        QStringList entries;  // the list afterwards
        bool logged;          // an error-log line of the loader
    } cases[] = {
        {"random bytes", randomBytes(128 * 1024, 5).replace(':', '.').replace('\\', '/').replace('*', '+'), {}, false},
        {"NUL bytes", QByteArray(64 * 1024, '\0'), {}, true},
        {"one line of 4 MB", QByteArray(4 * 1024 * 1024, 'a'), {}, true},
        // Longer than any path: passed over with a log line, and quickly.
        {"an entry of 1 MB", "C:\\" + QByteArray(1024 * 1024, 'x') + "\r\n-1 \r\nC:\\A\\*.*\r\n-1 \r\n",
         {"[x] C:\\A\\*.*"}, true},
        {"an entry of 16 MB", "C:\\" + QByteArray(16 * 1024 * 1024, 'x') + "\r\n-1 \r\n", {}, true},
        {"an entry as long as a path can be", "C:\\" + QByteArray(int(kLongestPath) - 3, 'x') + "\r\n-1 \r\n",
         {"[x] C:\\" + QString(int(kLongestPath) - 3, 'x')}, false},
        {"NUL inside an entry", QByteArray("C:\\a\0b\\*.*\r\n-1 \r\n", 17), {QStringLiteral("[x] C:\\a") + QChar(0) + "b\\*.*"}, false},
        {"bytes that are no UTF-8", "C:\\Caf\xe9\\*.*\r\n-1 \r\n", {QStringLiteral("[x] C:\\Caf\u00e9\\*.*")}, false},
        {"flags that are no numbers", "C:\\A\\*.*\r\n\xff\xfe\r\nC:\\B\\*.*\r\n1e400\r\nC:\\C\\*.*\r\n&HFFFF\r\n",
         {"[x] C:\\C\\*.*"}, false},
        {"a marker without its flag at the end", "C:\\A\\*.*\r\n-1 \r\n** automatically add new subdirectories to C:\\A",
         {"[x] C:\\A\\*.*"}, true},
        {"an entry without its flag at the end", "C:\\A\\*.*\r\n-1 \r\nC:\\B\\*.*", {"[x] C:\\A\\*.*"}, true},
        {"a UTF-16 file", QByteArray("\xff\xfe" "C\0:\0\\\0a\0\r\0\n\0-\0" "1\0\r\0\n\0", 20), {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(logHost());
        testenv::writeFile(pflHost("Garbage"), c.bytes);
        QElapsedTimer t;
        t.start();
        loadProfile("Garbage");
        EXPECT_LT(t.elapsed(), 20000);
        EXPECT_EQ(listEntries(), c.entries);
        EXPECT_EQ(vb::FreeFile(), 1);  // the file was closed
        EXPECT_EQ(errorsLabelled("loadProfile of Modul Vaultora_Sub"), c.logged ? 1 : 0);
    }
}

TEST_F(SettingsTest, ALargeProfileLoadsInReasonableTime) {
    testenv::writeFile(pflHost("Large"), manyEntries(3000));
    QElapsedTimer t;
    t.start();
    loadProfile("Large");
    EXPECT_EQ(f->List1->ListCount(), 3000);
    EXPECT_LT(t.elapsed(), 20000);
}

TEST_F(SettingsTest, AFolderInPlaceOfTheProfileFileGivesAnEmptyList) {
    f->List1->AddItem("C:\\Old\\*.*");
    QDir().mkpath(pflHost("Folder"));
    loadProfile("Folder");
    EXPECT_EQ(f->List1->ListCount(), 0);
    EXPECT_EQ(vb::FreeFile(), 1);
    // Saving over it fails with a log line and leaves the folder alone.
    f->List1->AddItem("C:\\New\\*.*");
    saveProfile("Folder");
    EXPECT_TRUE(QFileInfo(pflHost("Folder")).isDir());
    EXPECT_EQ(errorsLabelled("saveProfile of Modul Vaultora_Sub"), 1);
    QDir(pflHost("Folder")).removeRecursively();
}
