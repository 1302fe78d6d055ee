// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the profile-file loader: any file content must load
// without a crash or a hang and give its file number back; the list it gives
// holds path entries only (the marker option is off), none twice (names
// exact, the drive letter in either case); and saving that list and loading it again gives the same
// entries with the same marks.
//   bench/fuzz.sh profile      (or build fuzz_profile in a clang build)
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

#include "common/Globals.h"
#include "platform/Paths.h"
#include "settings/ProfileFiles.h"
#include "settings/Speech.h"
#include "ui/frmMain_BackUp.h"
#include "vb/ErrorHandling.h"
#include "vb/FileNumbers.h"
#include "vb/Strings.h"
#include "support/FuzzTarget.h"

namespace {
frmMain_BackUp* g_form = nullptr;
QString g_file;


QStringList Entries() {
    QStringList out;
    for (int i = 0; i < g_form->List1->ListCount(); ++i)
        out << (g_form->List1->Selected(i) ? QStringLiteral("1") : QStringLiteral("0")) + g_form->List1->List(i);
    return out;
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    const QString program = fuzz::StartSandbox(argc, argv) + QStringLiteral("/app/Vaultora");
    SetSpeakFunction([](const QString&, int) {});
    ProgramName = QStringLiteral("Vaultora");
    g_form = new frmMain_BackUp;
    // With the marker option on, a ticked marker would scan whatever folder
    // the input names; the reader's own rules are what is fuzzed here.
    g_form->chkAddNewSub->setValue(0);
    g_form->chkSound->setValue(0);
    g_file = program + QStringLiteral("/fuzz.pfl");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    {
        QFile f(g_file);
        Check(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        Check(f.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
    }
    g_form->RtbNews1->setText(QString());  // each marker puts a line on top: keep it from growing
    loadProfile(QStringLiteral("fuzz"));
    Check(vb::FreeFile() == 1);  // the file number was given back on every path
    const QStringList loaded = Entries();
    QSet<QString> seen;
    for (const QString& e : loaded) {
        const QString text = e.mid(1);
        Check(text.size() >= 2 && (text.at(1) == QLatin1Char(':') || text.at(1) == QLatin1Char('\\')));
        const QString key = text.size() >= 2 && text[1] == QLatin1Char(':') && text[0].unicode() < 128 ? text.left(1).toUpper() + text.mid(1) : text;
        Check(!seen.contains(key));
        seen.insert(key);
    }
    saveProfile(QStringLiteral("fuzz"));
    loadProfile(QStringLiteral("fuzz"));
    Check(Entries() == loaded);
    return 0;
}
