// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/RunPrograms.h"

#include "common/Globals.h"
#include "common/NRV_File_Dir.h"
#include "common/NRV_ShellAndWait.h"
#include "common/NRV_Time.h"
#include "platform/Process.h"
#include "platform/Registry.h"
#include "run/RunDisplay.h"
#include "settings/SettingsKeys.h"
#include "ui/frmMain_BackUp.h"
#include "vb/Clock.h"
#include "vb/Conversions.h"
#include "vb/DoEvents.h"
#include "vb/ErrorHandling.h"
#include "vb/Format.h"
#include "vb/Strings.h"

namespace {

// The run's own label: a program that cannot be started is reported as an
// error of the run.
const QString kRunLabel = QStringLiteral("cmdBackUpNow");

bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

// Windows takes an unquoted program path up to its first blank. The platform's
// program start honours a quoted path, so the program part is handed over in
// quotes and the start never looks further.
QString firstBlankCommand(const QString& commandLine) {
    qsizetype start = 0;
    while (start < commandLine.size() && isBlank(commandLine[start]))
        ++start;
    const QString s = commandLine.mid(start);
    if (s.isEmpty() || s.startsWith(QLatin1Char('"')))
        return s;
    qsizetype cut = 0;
    while (cut < s.size() && !isBlank(s[cut]))
        ++cut;
    const QString program = s.left(cut);
    if (program.contains(QLatin1Char('"')))
        return s;
    return QLatin1Char('"') + program + QLatin1Char('"') + s.mid(cut);
}

enum class WaitMode { None, UntilEnd, Seconds };

void runProgram(ui::VbCheckBox* runIt, ui::VbTextBox* pathBox, ui::VbTextBox* argumentsBox, WaitMode mode,
                ui::VbTextBox* secondsBox) {
    vb::Handler h(kRunLabel);
    h.Try([&] {
        h.Erl = 10;
        QString path = vb::Trim(pathBox->Text());
        // The file is looked at whatever the box says.
        const bool exists = FileExists(path);
        if (!(runIt->Value() == 1 && exists))
            return;
        fMainForm->RtbNews1->setText(pathBox->Text() + QLatin1Char(' ') + LangText(220));
        h.Erl = 11;
        const qint64 pid = platform::Shell(firstBlankCommand(pathBox->Text() + QLatin1Char(' ') + argumentsBox->Text()),
                                           platform::vbNormalFocus);
        h.Erl = 12;
        switch (mode) {
        case WaitMode::None:
            break;
        case WaitMode::UntilEnd:
            fWait(qint32(pid));
            break;
        case WaitMode::Seconds:
            Wait(vb::CInt(vb::Val(secondsBox->Text())));
            break;
        }
    });
}

}  // namespace

void RunProgramBefore() {
    frmMain_BackUp* f = fMainForm;
    if (!f)
        return;
    const WaitMode mode = f->optWaitBefore(0)->Value()   ? WaitMode::None
                          : f->optWaitBefore(1)->Value() ? WaitMode::UntilEnd
                                                         : WaitMode::Seconds;
    runProgram(f->chkRunBefore, f->txtPathBefore, f->txtCommandlineBefore, mode, f->txtWaitSecondsBefore);
}

void RunProgramAfter() {
    frmMain_BackUp* f = fMainForm;
    if (!f)
        return;
    const WaitMode mode = f->optWaitAfter(5)->Value()   ? WaitMode::None
                          : f->optWaitAfter(4)->Value() ? WaitMode::UntilEnd
                                                        : WaitMode::Seconds;
    runProgram(f->chkRunAfter, f->txtPathAfter, f->txtCommandlineAfter, mode, f->txtWaitSecondsAfter);
}

QString RegistryExportFile() {
    const QString extension = fMainForm && fMainForm->optRegistryTXT->Value() ? QStringLiteral("txt")
                                                                               : QStringLiteral("reg");
    const QString temp = fMainForm ? fMainForm->txtPathTemp->Text() : QString();
    return temp + QLatin1Char('\\') + vb::Format(vb::Date(), QStringLiteral("yyyymmdd")) +
           QStringLiteral("registry.") + extension;
}

void ExportRegistry() {
    frmMain_BackUp* f = fMainForm;
    if (!f)
        return;
    run_display::LogLine(LangText(304));
    f->RtbNews1->Refresh();
    const QString file = RegistryExportFile();
    {
        // The editor not found or failing is the run's error; the run goes on
        // and the archive gets what exists.
        vb::Handler h(kRunLabel);
        h.Next(20, [&] {
            if (!RunRegistryEditor(QStringLiteral("regedit /e ") + file))
                vb::Raise(vb::errPathFileAccess, QStringLiteral("The registry export was not written: ") + file);
        });
    }
    vb::DoEvents();
    Wait(15);
    vb::DoEvents();
    f->Zip_Now(file);
    DeleteFiles(file, 0);
}

bool RunRegistryEditor(const QString& commandLine) {
    QString s = vb::Trim(commandLine);
    auto takeWord = [&s]() {
        qsizetype cut = 0;
        while (cut < s.size() && !isBlank(s[cut]))
            ++cut;
        const QString word = s.left(cut);
        s = vb::LTrim(s.mid(cut));
        return word;
    };
    QString program = takeWord();
    if (program.startsWith(QLatin1Char('"')) && program.endsWith(QLatin1Char('"')) && program.size() >= 2)
        program = program.mid(1, program.size() - 2);
    const QString base = program.mid(program.lastIndexOf(QLatin1Char('\\')) + 1).toLower();
    if (base != QLatin1String("regedit") && base != QLatin1String("regedit.exe"))
        return false;
    if (takeWord().toLower() != QLatin1String("/e"))
        return false;
    QString file, key;
    if (s.startsWith(QLatin1Char('"'))) {
        const qsizetype close = s.indexOf(QLatin1Char('"'), 1);
        file = close < 0 ? s.mid(1) : s.mid(1, close - 1);
        key = close < 0 ? QString() : vb::Trim(s.mid(close + 1));
        if (key.size() >= 2 && key.startsWith(QLatin1Char('"')) && key.endsWith(QLatin1Char('"')))
            key = key.mid(1, key.size() - 2);
    } else {
        file = s;
    }
    if (file.isEmpty())
        return false;
    // The passwords of the settings store stay out of every export: the
    // archive may go unencrypted to a server or by mail.
    if (file.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive))
        return platform::ExportRegistryText(key, file, settings::kPasswordKeys);
    return platform::ExportRegedit4(key, file, settings::kPasswordKeys);
}
