// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The restore window over archives that the program's own run made: a main
// window set up for ZIP runs, a restore window opened from it, and a drive
// R: on an empty folder to restore to.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <memory>

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include "platform/HostNames.h"

#include "platform/Dialogs.h"
#include "platform/Drives.h"
#include "restore/frmRestore.h"
#include "run/ZipRunFixture.h"

namespace restoretest {

using platform::Dialogs;

// Files by their names in the program's form (a "\\" inside a name as
// U+F05C, bytes that are not UTF-8 as U+DC80..U+DCFF), written and read
// under exactly those bytes.
inline void WriteHost(const QString& path, const QByteArray& data) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    QDir().mkpath(path.left(slash));
    const int fd = ::open(platform::HostBytes(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << path.toStdString();
    ASSERT_EQ(::write(fd, data.constData(), size_t(data.size())), data.size());
    ::close(fd);
}
inline QByteArray ReadHost(const QString& path) {
    const int fd = ::open(platform::HostBytes(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return QByteArray("<missing>");
    QByteArray out;
    char buf[65536];
    for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;)
        out.append(buf, n);
    ::close(fd);
    return out;
}
// The names in a folder, in the program's form, sorted.
inline QStringList NamesIn(const QString& dir) {
    QStringList out;
    if (DIR* d = ::opendir(platform::HostBytes(dir).constData())) {
        while (dirent* e = ::readdir(d))
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                out << platform::HostText(e->d_name);
        ::closedir(d);
    }
    out.sort();
    return out;
}

class RestoreTest : public ziprun::ZipRunTest {
protected:
    void SetUp() override {
        ZipRunTest::SetUp();
        target = testenv::tempDir(QStringLiteral("target"));
        platform::SetDriveOverride('R', target);
    }
    void TearDown() override {
        window.reset();
        platform::SetDriveOverride('R', QString());
        ZipRunTest::TearDown();
    }

    // Runs a backup of the files (relative path -> content) under its own
    // profile name and returns the new archive's file name in `dest`.
    QString MakeArchive(const QString& profile, const QMap<QString, QByteArray>& files,
                        const QString& password = QString()) {
        const QStringList before = ziprun::FilesIn(dest);
        const QString dir = testenv::tempDir(profile);
        for (auto it = files.begin(); it != files.end(); ++it)
            WriteHost(dir + QLatin1Char('/') + it.key(), it.value());
        f().cmbProfiles->setText(profile);
        f().List1->Clear();
        // One source entry per folder: the top one and each folder of a name.
        QStringList folders{dir};
        for (const QString& name : files.keys())
            if (name.contains(QLatin1Char('/')))
                folders << dir + QLatin1Char('/') + name.section(QLatin1Char('/'), 0, -2);
        folders.removeDuplicates();
        for (const QString& folder : folders)
            AddSource(ziprun::Win(folder) + QStringLiteral("\\*.*"));
        f().chkEncrypt->setValue(password.isEmpty() ? 0 : 1);
        f().txtEncryptPassword->setText(password);
        Run();
        f().chkEncrypt->setValue(0);
        f().txtEncryptPassword->setText(QString());
        sources[profile] = dir;
        for (const QString& n : ziprun::FilesIn(dest))
            if (!before.contains(n) && !n.endsWith(QLatin1String(".log")))
                return n;
        ADD_FAILURE() << "the run made no archive for " << profile.toStdString();
        return {};
    }

    // The host path a stored file of a profile's source lands on under R:.
    QString Restored(const QString& profile, const QString& relative) const {
        const QString win = ziprun::Win(sources.value(profile) + QLatin1Char('/') + relative);
        return target + QLatin1Char('/') + win.mid(3).replace(QLatin1Char('\\'), QLatin1Char('/'));
    }

    frmRestore& OpenWindow() {
        window = std::make_unique<frmRestore>(form.get());
        window->Load();
        window->Drive1->Refresh();
        window->Drive1->setDrive(QStringLiteral("r:"));
        return *window;
    }
    frmRestore& w() { return *window; }

    // The file names of the grid's rows, in order.
    QStringList Hits() {
        QStringList out;
        for (int r = 1; r < w().FG3->Rows(); ++r)
            out << w().FG3->TextMatrix(r, 1);
        return out;
    }
    QStringList Counters() {
        return {w().lblSearchedFiles->Caption(), w().lblSearchedArchives->Caption(), w().lblFoundFiles->Caption(),
                w().lblFoundArchives->Caption()};
    }
    // The prompts of the message boxes shown since the last script.
    static QStringList Prompts() {
        QStringList out;
        for (const Dialogs::Shown& s : Dialogs::shown())
            out << s.prompt;
        return out;
    }
    // Searches with the pattern; the boxes answered as scripted.
    void Search(const QString& pattern, int caseSensitive = 0, const QVariantList& answers = {}) {
        w().txtFileSearch->setText(pattern);
        w().chkCaseSensitive->setValue(caseSensitive);
        Dialogs::scriptAnswers(answers);
        w().cmdSearch_Click();
    }
    // Restores rows first .. last; the overwrite question answered Yes or No.
    void Restore(int first, int last, bool overwrite) {
        w().FG3->setRow(first);
        w().FG3->setRowSel(last);
        Dialogs::scriptAnswers({overwrite ? platform::vbYes : platform::vbNo});
        w().cmdRestore_Click();
    }
    static QString LastPrompt() { return Dialogs::shown().isEmpty() ? QString() : Dialogs::shown().last().prompt; }

    QString target;
    QMap<QString, QString> sources;
    std::unique_ptr<frmRestore> window;
};

}  // namespace restoretest
