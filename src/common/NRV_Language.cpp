// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/NRV_Language.h"

#include "common/Globals.h"
#include "common/NRV_File_Dir.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "vb/Conversions.h"
#include "vb/DoEvents.h"
#include "vb/ErrorHandling.h"
#include "vb/FileNumbers.h"
#include "vb/Strings.h"

bool set_language(const QString& fileName) {
    vb::Handler h(QStringLiteral("set_language of Modul NRV_Language"));
    int fileNo = 0;
    bool result = false;
    const bool ok = h.Try([&] {
        QString path = platform::ProgramFolder() + QStringLiteral("\\..\\Common\\language\\") + fileName;
        if (!FileExists(path)) {
            platform::MsgBox(QStringLiteral("The language file ") + fileName + QStringLiteral(" is missing!") +
                                 vb::vbCrLf + QStringLiteral("Please install the n.r.v language package.") +
                                 vb::vbCrLf + QStringLiteral("The program will be terminated now."),
                             4096, ProgramName);
            vb::DoEvents();
            return;
        }
        fileNo = vb::FreeFile();
        vb::Open(path, vb::OpenMode::Input, fileNo);
        int highest = 0;
        while (!vb::Eof(fileNo)) {
            const QString line = vb::Trim(vb::LineInput(fileNo));
            if (line.isEmpty() || line.at(0) != QLatin1Char('T'))
                continue;
            const int tab = line.indexOf(QLatin1Char('\t'));
            if (tab < 0 || tab == line.size() - 1)
                continue;
            const int k = vb::CInt(vb::Mid(line, 2, 4));
            if (k > highest) {
                highest = k;
                LangText.Grow(k);
            }
            LangText.Set(k, vb::Trim(line.mid(tab + 1)));
        }
        vb::Close(fileNo);
        fileNo = 0;
        result = true;
    });
    if (!ok) {
        // Leave no file number behind.
        if (fileNo)
            vb::Quiet([&] { vb::Close(fileNo); });
        vb::DoEvents();
    }
    return result;
}
