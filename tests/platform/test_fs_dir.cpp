// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QFile>
#include <QSet>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/ErrorOf.h"
#include "support/TestEnv.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/WindowsPattern.h"
#include "vb/VbError.h"

using namespace platform;

namespace {

using testenv::errorOf;

QStringList listAll(const QString& pattern, int attributes) {
    QStringList out;
    for (QString n = Dir(pattern, attributes); !n.isEmpty(); n = Dir())
        out << n;
    return out;
}

QSet<QString> asSet(const QStringList& l) { return QSet<QString>(l.begin(), l.end()); }

TEST(WindowsPattern, MatchesAsTheDirectorySearchDoes) {
    const struct {
        const char* pattern;
        const char* name;
        bool match;
    } cases[] = {
        {"*.*", "abc", true},          // also names without a dot
        {"*.*", "a.b.c", true},
        {"*.*", ".profile", true},
        {"*", "x", true},
        {"*.txt", "a.TXT", true},      // without regard to case
        {"*.TXT", "report.txt", true},
        {"*.txt", "a.b.txt", true},
        {"*.txt", "a.txt.bak", false},
        {"*.txt", "atxt", false},
        {"*.", "abc", true},           // names without a dot
        {"*.", "a.b", false},
        {"a?.txt", "ab.txt", true},
        {"a?.txt", "a.txt", true},     // "?" before a dot may match nothing
        {"a?.txt", "abc.txt", false},
        {"file?", "file", true},       // ... and at the end
        {"file?", "file12", false},
        {"a?b", "a.b", false},         // "?" does not take a dot
        {"a?b", "axb", true},
        {"??", "abc", false},
        {"*_BackUp_*", "x_backup_1.zip", true},
        {"*_BackUp_*", "backup.zip", false},
        {"a*b*c", "aXXbYYc", true},
        {"a*b*c", "aXXcYYb", false},
        {"*.d?c", "x.doc", true},
        {"*.d?c", "x.dc", false},
        {"Prüfung.TXT", "prüfung.txt", true},
        {"*.lng", "english.lng", true},
        {"*.pfl", "Standard.pfl", true},
        {"*.pfl", "Standard.pfl~", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WindowsPattern(QString::fromUtf8(c.pattern)).matches(QString::fromUtf8(c.name)), c.match)
            << c.pattern << " ~ " << c.name;
}

TEST(Dir, GivesNamesInTheFileSystemsOrder) {
    const QString dir = testenv::tempDir("order");
    for (int i = 0; i < 40; ++i)
        testenv::writeFile(dir + QString("/f%1.dat").arg((i * 17) % 40), "x");
    QStringList raw;
    DIR* d = ::opendir(QFile::encodeName(dir).constData());
    ASSERT_NE(d, nullptr);
    while (dirent* e = ::readdir(d))
        if (std::strcmp(e->d_name, ".") && std::strcmp(e->d_name, ".."))
            raw << QFile::decodeName(e->d_name);
    ::closedir(d);

    const QString w = ToWindows(dir);
    EXPECT_EQ(listAll(w + "\\*.*", vbNormal), raw);
    EXPECT_EQ(listAll(w + "\\", vbNormal), raw);   // a trailing "\" lists the folder

    // One name per call, "" at the end, and error 5 when asked again.
    Dir(w + "\\*.dat");
    for (int i = 1; i < raw.size(); ++i)
        EXPECT_FALSE(Dir().isEmpty());
    EXPECT_EQ(Dir(), "");
    EXPECT_EQ(errorOf([] { Dir(); }), vb::errInvalidCall);
}

TEST(Dir, AttributeSets) {
    const QString dir = testenv::tempDir("attrs");
    testenv::writeFile(dir + "/plain.txt", "p");
    testenv::writeFile(dir + "/ro.txt", "r");
    ::chmod(QFile::encodeName(dir + "/ro.txt").constData(), 0444);
    testenv::writeFile(dir + "/.hidden.txt", "h");
    testenv::writeFile(dir + "/sub/x", "x");
    testenv::writeFile(dir + "/.hsub/x", "x");
    ::symlink("plain.txt", QFile::encodeName(dir + "/link.txt").constData());
    ::symlink("nowhere", QFile::encodeName(dir + "/dead.txt").constData());
    ::mkfifo(QFile::encodeName(dir + "/pipe").constData(), 0600);   // never listed: reading it would hang

    const QSet<QString> files{"plain.txt", "ro.txt", "link.txt"};
    const struct {
        int attributes;
        QSet<QString> names;
    } cases[] = {
        {vbNormal, files},
        {vbReadOnly, files},
        {vbSystem, files},
        {vbArchive, files},
        {vbHidden, files + QSet<QString>{".hidden.txt"}},
        {vbReadOnly | vbHidden | vbSystem, files + QSet<QString>{".hidden.txt"}},
        {vbDirectory, files + QSet<QString>{"sub", ".", ".."}},
        {vbDirectory | vbHidden, files + QSet<QString>{".hidden.txt", "sub", ".hsub", ".", ".."}},
    };
    const QString w = ToWindows(dir);
    for (const auto& c : cases)
        EXPECT_EQ(asSet(listAll(w + "\\*.*", c.attributes)), c.names) << c.attributes;

    // The same rules in the records.
    QSet<QString> recorded;
    for (const FindRecord& r : FindEntries(w + "\\*", vbDirectory | vbHidden)) {
        recorded << r.name;
        const bool folder = r.name == "sub" || r.name == ".hsub" || r.name == "." || r.name == "..";
        const bool hidden = r.name == ".hidden.txt" || r.name == ".hsub";
        EXPECT_EQ(bool(r.attributes & vbDirectory), folder) << r.name.toStdString();
        EXPECT_EQ(bool(r.attributes & vbHidden), hidden) << r.name.toStdString();
        EXPECT_EQ(bool(r.attributes & vbReadOnly), r.name == "ro.txt") << r.name.toStdString();
        if (r.name == "plain.txt") {
            EXPECT_FALSE(r.attributes & (vbReadOnly | vbHidden | vbDirectory));
            EXPECT_EQ(r.size, 1);
        }
    }
    EXPECT_EQ(recorded, cases[7].names);
    ::chmod(QFile::encodeName(dir + "/ro.txt").constData(), 0644);
}

TEST(Dir, SingleNamesMissingFoldersAndBadPaths) {
    const QString dir = testenv::tempDir("single");
    testenv::writeFile(dir + "/Report.Doc", "r");
    testenv::writeFile(dir + "/Folder/x", "x");
    const QString w = ToWindows(dir);

    EXPECT_EQ(Dir(w + "\\REPORT.DOC"), "Report.Doc");      // the name as it is on disk
    EXPECT_EQ(Dir(), "");
    EXPECT_EQ(Dir(w + "\\folder"), "");                    // folders only when asked for
    EXPECT_EQ(Dir(w + "\\folder", vbDirectory), "Folder");
    EXPECT_EQ(Dir(w + "\\none.doc"), "");
    EXPECT_EQ(Dir(w + "\\no-folder\\*.*"), "");
    EXPECT_EQ(Dir(""), "");
    EXPECT_EQ(Dir("\\\\nobody\\share\\*.*"), "");
    EXPECT_EQ(errorOf([&] { Dir("Q:\\*.*"); }), vb::errDeviceUnavailable);
    EXPECT_EQ(errorOf([&] { Dir(w + "\\*\\x"); }), vb::errBadFileNameOrNumber);

    const std::vector<FindRecord> one = FindEntries(w + "\\report.doc", vbNormal);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].name, "Report.Doc");
    EXPECT_EQ(one[0].written.timeSpec(), Qt::UTC);
    EXPECT_TRUE(FindEntries(w + "\\nothing*.x", vbNormal).empty());
}

}  // namespace
