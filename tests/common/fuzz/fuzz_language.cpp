// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the language-file loader: any file content must load
// or be refused without a crash or a hang, give its file number back, and
// leave a table whose texts follow the line rules (a 16-bit text number, no
// blanks at either end of a text).
//   bench/fuzz.sh language      (or build fuzz_language in a clang build)
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

#include "common/Globals.h"
#include "common/NRV_Language.h"
#include "platform/Paths.h"
#include "vb/ErrorHandling.h"
#include "vb/FileNumbers.h"
#include "support/FuzzTarget.h"

namespace {
QString g_file;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    const QString root = fuzz::StartSandbox(argc, argv);
    ProgramName = QStringLiteral("Vaultora");
    g_file = root + QStringLiteral("/app/Common/language/fuzz.lng");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    {
        QFile f(g_file);
        Check(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        Check(f.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
    }
    LangText.Clear();
    const bool ok = set_language(QStringLiteral("fuzz.lng"));
    Check(vb::FreeFile() == 1);  // the file number was given back on every path
    Check(LangText.UBound() <= 32767);  // a 16-bit number ("1E4" and "&H7F" read as numbers too)
    if (ok) {
        for (const QString& text : LangText.texts())
            Check(!text.startsWith(QLatin1Char(' ')) && !text.endsWith(QLatin1Char(' ')));
    }
    return 0;
}
