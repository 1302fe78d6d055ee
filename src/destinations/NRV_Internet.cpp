// SPDX-License-Identifier: GPL-3.0-or-later
#include "destinations/NRV_Internet.h"

#include <QScopeGuard>
#include <optional>

#include "common/Globals.h"
#include "common/MakerSite.h"
#include "common/NRV_File_Dir.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "settings/SettingsKeys.h"
#include "ui/frmMain_BackUp.h"
#include "vb/Conversions.h"
#include "vb/ErrorHandling.h"
#include "vb/FileNumbers.h"
#include "vb/Strings.h"

namespace {

const QString kNewsPage = QStringLiteral("/nrvnews.rtf");
const QString kVersionList = QStringLiteral("/versions.txt");
const QString kDownloadPage = QStringLiteral("/products/downloads_e.htm");

// A document of the server; nullopt when it could not be fetched (which the
// check reports as no connection, without an error-log line).
std::optional<QString> Fetch(platform::InetControl& inet, const QString& url) {
    inet.URL = url;
    try {
        return inet.OpenURL();
    } catch (const vb::VbError&) {
        return std::nullopt;
    }
}

frmMain_BackUp& form() {
    if (!fMainForm)
        vb::Raise(vb::errObjectNotSet);
    return *fMainForm;
}

}  // namespace

QString NewsServerBase() {
    QString base = settings::ReadUser(QStringLiteral("NewsServer"), MakerWebSite).trimmed();
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base.isEmpty() ? MakerWebSite : base;
}

platform::InetControl& HttpControl() {
    frmMain_BackUp& f = form();
    if (!f.Inet1) {
        f.Inet1 = new platform::InetControl(QStringLiteral("Inet1"), &f);
        f.Inet1->Protocol = platform::InetControl::icHTTP;
    }
    return *f.Inet1;
}

VersionVerdict CompareVersions(const QString& listed, int major, int minor, int revision) {
    const int p1 = vb::InStr(listed, QStringLiteral("."));
    const int p2 = p1 > 0 ? vb::InStr(p1 + 1, listed, QStringLiteral(".")) : 0;
    const qint16 listedMajor = vb::CInt(vb::Left(listed, p1 > 0 ? p1 - 1 : listed.size()));
    const qint16 listedMinor = vb::CInt(p1 > 0 ? vb::Mid(listed, p1 + 1, p2 > 0 ? p2 - p1 - 1 : listed.size())
                                               : QString());
    const qint16 listedRevision = vb::CInt(p2 > 0 ? vb::Mid(listed, p2 + 1) : QString());
    const int running[3] = {major, minor, revision};
    const int published[3] = {listedMajor, listedMinor, listedRevision};
    const int texts[3] = {47, 46, 45};
    for (int k = 0; k < 3; ++k) {
        if (running[k] > published[k])
            return {};
        if (running[k] < published[k])
            return {false, texts[k]};
    }
    return {};
}

void ChkNewVersion() {
    // A second request while the first one waits for the server (the
    // command clicked again) does nothing.
    static bool checking = false;
    if (checking)
        return;
    checking = true;
    const auto done = qScopeGuard([] { checking = false; });
    vb::Handler h(QStringLiteral("ChkNewVersion of Modul NRV_Internet"));
    int fileNo = 0;
    // True once the user was told the outcome; otherwise the no-connection
    // message ends the check.
    const bool answered = h.Guard(false, [&] {
        frmMain_BackUp& f = form();
        platform::InetControl& inet = HttpControl();
        const QString base = NewsServerBase();
        h.Erl = 1;
        const std::optional<QString> news = Fetch(inet, base + kNewsPage);
        if (!news)
            return false;
        f.RtbNews1->setTextRTF(*news);

        h.Erl = 2;
        const QString tempFolder = platform::ProgramFolder() + QStringLiteral("\\..\\temp");
        CreateDirectoryStruct(tempFolder);
        h.Erl = 3;
        const QString listFile = tempFolder + QStringLiteral("\\versions.txt");
        fileNo = vb::FreeFile();
        vb::Open(listFile, vb::OpenMode::Output, fileNo);
        const std::optional<QString> list = Fetch(inet, base + kVersionList);
        if (!list)
            return false;
        vb::Print(fileNo, *list);
        vb::Close(fileNo);
        fileNo = 0;

        h.Erl = 4;
        fileNo = vb::FreeFile();
        vb::Open(listFile, vb::OpenMode::Input, fileNo);
        if (vb::Lof(fileNo) < 5)
            return false;
        h.Erl = 5;
        QString listed;
        bool found = false;
        while (!found && !vb::Eof(fileNo)) {
            QString code, version;
            vb::Input(fileNo, code, version);
            if (code == ProductCode) {
                listed = version;
                found = true;
            } else if (vb::Trim(code).isEmpty()) {
                return false;
            }
        }
        if (!found)
            return false;

        h.Erl = 7;
        const VersionVerdict v =
            CompareVersions(listed, VAULTORA_VERSION_MAJOR, VAULTORA_VERSION_MINOR, VAULTORA_VERSION_PATCH);
        vb::Close(fileNo);
        fileNo = 0;
        if (v.current) {
            h.Erl = 8;
            platform::MsgBox(LangText(42) + QStringLiteral(" (") + VersionText + QStringLiteral(") of ") +
                                 ProgramName + QStringLiteral("."),
                             4160, LangText(23));
            return true;
        }
        h.Erl = 9;
        const QString outdated = (v.outdatedText == 47   ? LangText(47)
                                  : v.outdatedText == 46 ? LangText(46)
                                                         : LangText(45)) +
                                 QStringLiteral(" (v. ") + listed + QStringLiteral(")");
        const int answer = platform::MsgBox(ProgramName + QLatin1Char(' ') + outdated + QLatin1Char(' ') +
                                                LangText(43) + QStringLiteral("\r\n") + LangText(44),
                                            4164, LangText(23));
        if (answer == platform::vbYes)
            platform::ShellOpen(base + kDownloadPage);
        return true;
    });
    if (fileNo)
        vb::Quiet([&] { vb::Close(fileNo); });
    if (!answered)
        vb::Quiet([] {
            platform::MsgBox(LangText(48) + QStringLiteral("\r\n") + LangText(49), 4112, LangText(16));
        });
}
