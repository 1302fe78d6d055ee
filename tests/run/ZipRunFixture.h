// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A main window set up for ZIP runs over a small fixture tree, and the
// independent readers that check what a run left at its destination.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QStringList>
#include <memory>

#include "support/ProgramSession.h"
#include "support/TestEnv.h"
#include "common/Globals.h"
#include "common/NRV_ErrorLog.h"
#include "common/NRV_GetSystemInfos.h"
#include "common/NRV_Language.h"
#include "common/RunOutcome.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "run/ArchiveNaming.h"
#include "run/ProgramEnd.h"
#include "settings/FilterMasks.h"
#include "settings/Statistics.h"
#include "ui/frmMain_BackUp.h"
#include "vb/Clock.h"

namespace ziprun {

inline QString Win(const QString& host) { return platform::ToWindows(host); }

inline QByteArray Incompressible(int bytes, quint32 seed) {
    QRandomGenerator g(seed);
    QByteArray b(bytes, Qt::Uninitialized);
    for (int i = 0; i < bytes; ++i)
        b[i] = char(g.generate() & 0xFF);
    return b;
}

// What Python's zipfile reads in an archive.
struct ZipEntry {
    QString name;
    qint64 size = 0;
    qint64 compressed = 0;
    QByteArray data;
};
struct ZipListing {
    bool readable = false;  // opened, and every entry's CRC checked out
    QString comment;
    QList<ZipEntry> entries;
    const ZipEntry* find(const QString& suffix) const {
        for (const ZipEntry& e : entries)
            if (e.name.endsWith(suffix))
                return &e;
        return nullptr;
    }
};

inline ZipListing ReadWithPython(const QString& hostPath) {
    static const char* script = R"(
import base64, json, sys, zipfile
out = {"ok": False, "entries": []}
try:
    with zipfile.ZipFile(sys.argv[1]) as z:
        bad = z.testzip()
        out["comment"] = z.comment.decode("utf-8", "replace")
        for i in z.infolist():
            out["entries"].append({"name": i.filename, "size": i.file_size,
                                   "csize": i.compress_size,
                                   "data": base64.b64encode(z.read(i)).decode()})
        out["ok"] = bad is None
except Exception as e:
    out["error"] = str(e)
print(json.dumps(out))
)";
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromLatin1(script), hostPath});
    p.waitForFinished(60000);
    const QJsonObject o = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    ZipListing l;
    l.readable = o.value(QStringLiteral("ok")).toBool();
    l.comment = o.value(QStringLiteral("comment")).toString();
    for (const QJsonValue& v : o.value(QStringLiteral("entries")).toArray()) {
        const QJsonObject e = v.toObject();
        l.entries.append({e.value(QStringLiteral("name")).toString(),
                          qint64(e.value(QStringLiteral("size")).toDouble()),
                          qint64(e.value(QStringLiteral("csize")).toDouble()),
                          QByteArray::fromBase64(e.value(QStringLiteral("data")).toString().toLatin1())});
    }
    return l;
}

inline bool UnzipTestPasses(const QString& hostPath) {
    QProcess p;
    p.start(QStringLiteral("unzip"), {QStringLiteral("-tqq"), hostPath});
    p.waitForFinished(60000);
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// The archive log as its lines, each without its quotes; empty when a line
// is not quoted or not ended by CR LF.
inline QStringList LogLines(const QString& hostPath) {
    const QByteArray all = testenv::readFile(hostPath);
    QStringList lines;
    for (const QByteArray& raw : all.split('\n')) {
        if (raw.isEmpty())
            continue;
        if (!raw.endsWith("\"\r") || !raw.startsWith('"'))
            return {QStringLiteral("<bad line>") + QString::fromUtf8(raw)};
        lines << QString::fromUtf8(raw.mid(1, raw.size() - 3));
    }
    return lines;
}

inline QStringList FilesIn(const QString& hostDir, const QString& filter = QStringLiteral("*")) {
    return QDir(hostDir).entryList({filter}, QDir::Files | QDir::Hidden, QDir::Name);
}

class ZipRunTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(testenv::StartProgramSession()); }

    void SetUp() override {
        SetEndHookForTest([] {});
        ResetRunOutcome();
        platform::Dialogs::scriptAnswers({});
        src = testenv::tempDir(QStringLiteral("src"));
        dest = testenv::tempDir(QStringLiteral("dest"));
        temp = testenv::tempDir(QStringLiteral("temp"));
        form = std::make_unique<frmMain_BackUp>();
        f().cmbProfiles->setText(QStringLiteral("P"));
        f().optBuMode(0)->setValue(true);
        f().optArchive(0)->setValue(true);
        f().optComplete->setValue(true);
        for (ui::VbCheckBox* c : {f().chkFTP, f().chkSendEmail, f().chkUseCDRecorder, f().chkMaxZIPsize,
                                  f().chkMaxFiles, f().chkSplit, f().chkAppendArchive, f().chkEncrypt,
                                  f().chkDeleteArchive, f().chkHiddenFolders, f().chkInclRegistry,
                                  f().chkRunBefore, f().chkRunAfter, f().chkShutdown, f().chkSound,
                                  f().chkExclOldFiles, f().chkExclYoungFiles, f().chkExclYoungDayFiles})
            c->setValue(0);
        for (ui::VbCheckBox* c : {f().chkMedia, f().chkWriteLog, f().chkOverwriteFile, f().chkResetArchiveBit})
            c->setValue(1);
        f().txtPathBackUp->setText(Win(dest));
        f().txtPathTemp->setText(Win(temp));
        f().txtSpareSpace->setText(QStringLiteral("0"));
        f().txtMaxZIPsize->setText(QStringLiteral("10"));
        f().txtMaxFiles->setText(QStringLiteral("1000"));
        f().Slider1->setValue(6);
        f().List1->Clear();
        // The parsed filter masks are the program's, not the window's: what
        // a profile loaded by an earlier test left there goes.
        BackupExclusions = {};
        BackupDirExclusions = {};
        BackupInclusions = {};
        Load_Statistics();
        QFile::remove(ErrorLogFile());
    }

    static QString ErrorLogFile() { return testenv::commonDir() + QStringLiteral("/error.log"); }
    static QString ErrorLog() { return QString::fromUtf8(testenv::readFile(ErrorLogFile())); }

    void TearDown() override {
        form.reset();
        vb::ResetClock();
        platform::Dialogs::reset();
        SetEndHookForTest({});
    }

    frmMain_BackUp& f() { return *form; }

    // A source entry: a folder "<dir>\*.*" or a file, ticked.
    void AddSource(const QString& winEntry) {
        f().List1->AddItem(winEntry);
        f().List1->setSelected(f().List1->ListCount() - 1, true);
    }

    QString WriteSource(const QString& relative, const QByteArray& data) {
        const QString host = src + QLatin1Char('/') + relative;
        testenv::writeFile(host, data);
        return host;
    }

    // The archive's name for today's date.
    QString TodaysName(int volume = 0) const {
        const QString base = archive_naming::BaseName(QStringLiteral("P"), archive_naming::Daily, vb::Date());
        return volume ? archive_naming::VolumeName(base, volume) : base;
    }

    void Run() { f().cmdBackUpNow(); }

    bool TempIsClean() const { return FilesIn(temp, QStringLiteral("*_BackUp_*")).isEmpty(); }

    QString src, dest, temp;
    std::unique_ptr<frmMain_BackUp> form;
};

}  // namespace ziprun
