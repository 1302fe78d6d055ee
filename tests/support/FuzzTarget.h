// SPDX-License-Identifier: GPL-3.0-or-later
// What the libFuzzer targets share: a broken promise that stops the run (so
// that the fuzzer keeps the input), and the sandbox they start in.
#pragma once
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

#include "platform/Paths.h"
#include "vb/ErrorHandling.h"

// A broken promise: say which one, then stop so that the fuzzer keeps the input.
#define Check(ok) \
    do { \
        if (!(ok)) { \
            std::fprintf(stderr, "check failed at line %d: %s\n", __LINE__, #ok); \
            std::abort(); \
        } \
    } while (false)

namespace fuzz {

// A throw-away home and portable program folder (<root>/app/Vaultora beside
// <root>/app/Common/language), the offscreen platform, the path layer, and an
// error sink that keeps the expected refusals quiet. Gives the root folder.
inline QString StartSandbox(int* argc, char*** argv) {
    static QTemporaryDir root;
    const QString r = root.path();
    const QString program = r + QStringLiteral("/app/Vaultora");
    QDir().mkpath(program);
    QDir().mkpath(r + QStringLiteral("/app/Common/language"));
    QDir().mkpath(r + QStringLiteral("/home"));
    qputenv("VAULTORA_PROGRAM_DIR", QFile::encodeName(program));
    qputenv("HOME", QFile::encodeName(r + QStringLiteral("/home")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(r + QStringLiteral("/home/.config")));
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(*argc, *argv);
    platform::InstallPathLayer();
    vb::SetErrorSink([](const vb::ErrorReport&) {});
    return r;
}

}  // namespace fuzz
