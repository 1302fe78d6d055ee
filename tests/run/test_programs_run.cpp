// SPDX-License-Identifier: GPL-3.0-or-later
// The programs before and after a run, and the registry export, inside ZIP runs.
#include <QTimer>

#include "ZipRunFixture.h"
#include "platform/Registry.h"
#include "run/RunPrograms.h"
#include "settings/SettingsKeys.h"
#include "vb/Format.h"

using namespace ziprun;

namespace {

class ProgramsRun : public ZipRunTest {
protected:
    QString Script(const QString& name, const QString& body) {
        const QString path = testenv::tempDir("scripts") + "/" + name;
        testenv::writeFile(path, ("#!/bin/sh\n" + body).toUtf8());
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }
    QStringList ArchiveNames(const ZipListing& z) const {
        QStringList names;
        for (const ZipEntry& e : z.entries)
            names << e.name.mid(e.name.lastIndexOf('/') + 1);
        names.sort();
        return names;
    }
};

}  // namespace

TEST_F(ProgramsRun, TheProgramBeforeIsWaitedForAndTheProgramAfterRuns) {
    // The program before writes a file into the source folder: the run
    // waits for it, so the file is in the archive.
    const QString before = Script("dump.sh", "sleep 0.5\necho dumped > \"$1/dump.sql\"\n");
    const QString marker = testenv::tempDir("marker") + "/after.txt";
    const QString after = Script("after.sh", "echo \"$@\" > \"$1\"\n");
    WriteSource("a.txt", "a");
    AddSource(Win(src) + "\\*.*");
    f().chkRunBefore->setValue(1);
    f().txtPathBefore->setText(Win(before));
    f().txtCommandlineBefore->setText(src);
    f().optWaitBefore(1)->setValue(true);
    f().chkRunAfter->setValue(1);
    f().txtPathAfter->setText(Win(after));
    f().txtCommandlineAfter->setText(marker + " done");
    f().optWaitAfter(4)->setValue(true);
    Run();

    const ZipListing z = ReadWithPython(dest + "/" + TodaysName(1));
    ASSERT_TRUE(z.readable);
    EXPECT_EQ(ArchiveNames(z), (QStringList{"a.txt", "dump.sql"}));
    EXPECT_EQ(testenv::readFile(marker), marker.toUtf8() + " done\n");
    EXPECT_TRUE(ErrorLog().isEmpty()) << ErrorLog().toStdString();
}

TEST_F(ProgramsRun, TheRegistryExportLandsInTheArchiveWithoutPasswordsAndLeavesTheTempFolder) {
    platform::RegWrite("HKEY_CURRENT_USER\\Software\\Exported Test\\Colour", "blue");
    // The passwords of the settings store: named in the export, never with
    // their values.
    settings::WriteProfile("txtEncryptPassword", "archive-secret-1");
    settings::WriteUser("txtFTPpassword", "ftp-secret-2");
    settings::WriteUser("txtPass", "pop-secret-3");
    WriteSource("a.txt", "a");
    AddSource(Win(src) + "\\*.*");
    f().chkInclRegistry->setValue(1);
    // The export waits a fixed 15 seconds: the clock is moved on while it waits.
    vb::SetClockForTest(QDateTime::currentDateTime(), true);
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [] { vb::AdvanceClockForTest(1000); });
    tick.start(5);

    struct Case {
        bool text;
        QByteArray begins;
        QByteArray holds;
    } cases[] = {
        {false, "REGEDIT4\r\n", "[HKEY_CURRENT_USER\\Software\\Exported Test]\r\n\"Colour\"=\"blue\"\r\n"},
        {true, "", "Colour"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        for (const QString& old : FilesIn(dest))
            QFile::remove(dest + "/" + old);
        (c.text ? f().optRegistryTXT : f().optRegistryREG)->setValue(true);
        const QString name = vb::Format(vb::Date(), "yyyymmdd") + (c.text ? "registry.txt" : "registry.reg");
        EXPECT_EQ(RegistryExportFile(), Win(temp) + "\\" + name);
        Run();
        const ZipListing z = ReadWithPython(dest + "/" + TodaysName(1));
        ASSERT_TRUE(z.readable);
        EXPECT_EQ(ArchiveNames(z), (QStringList{name, "a.txt"}));
        const ZipEntry* e = z.find("/" + name);
        ASSERT_NE(e, nullptr);
        EXPECT_TRUE(e->data.startsWith(c.begins));
        EXPECT_TRUE(e->data.contains(c.holds)) << e->data.left(400).toStdString();
        for (const char* secret : {"archive-secret-1", "ftp-secret-2", "pop-secret-3"})
            EXPECT_FALSE(e->data.contains(secret)) << secret;
        for (const char* key : {"txtEncryptPassword", "txtFTPpassword", "txtPass"})
            EXPECT_TRUE(e->data.contains(c.text ? QByteArray(key) : "\"" + QByteArray(key) + "\"=\"\"\r\n")) << key;
        EXPECT_FALSE(QFileInfo::exists(temp + "/" + name));
    }
    tick.stop();
}

TEST_F(ProgramsRun, TheRegistryEditorStandIn) {
    platform::RegWrite("HKEY_CURRENT_USER\\Software\\Editor Test\\V", "1");
    const QString dir = testenv::tempDir("editor");
    struct Case {
        QString command;
        QString file;      // host file expected, "" when nothing is written
        bool result;
    } cases[] = {
        {"regedit /e " + Win(dir) + "\\a b.reg", dir + "/a b.reg", true},   // unquoted: the rest is the file
        {"REGEDIT.EXE /E \"" + Win(dir) + "\\k.reg\" \"HKEY_CURRENT_USER\\Software\\Editor Test\"", dir + "/k.reg", true},
        {"regedit /s " + Win(dir) + "\\x.reg", "", false},
        {"notepad /e " + Win(dir) + "\\y.reg", "", false},
        {"regedit /e", "", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RunRegistryEditor(c.command), c.result) << c.command.toStdString();
        if (!c.file.isEmpty()) {
            EXPECT_TRUE(testenv::readFile(c.file).contains("\"V\"=\"1\"")) << c.command.toStdString();
        }
    }
    EXPECT_FALSE(testenv::readFile(dir + "/k.reg").contains("VB and VBA Program Settings")) << "only the key asked for";
    EXPECT_EQ(QDir(dir).entryList(QDir::Files).size(), 2);
}
