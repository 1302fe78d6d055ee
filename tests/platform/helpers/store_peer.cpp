// SPDX-License-Identifier: GPL-3.0-or-later
// Test peer of the settings store, run as a second process on the same
// database (it finds it through the inherited HOME / XDG_CONFIG_HOME):
//   store_peer write <app> <count>   stores key k<i> = "<app>-<i>" in section "Keys"
//   store_peer get <app> <section> <key>   prints the value (or "<none>")
#include <QString>
#include <cstdio>
#include <cstring>

#include "platform/SettingsStore.h"
#include "vb/VbError.h"

int main(int argc, char** argv) {
    try {
        if (argc == 4 && std::strcmp(argv[1], "write") == 0) {
            const QString app = QString::fromLocal8Bit(argv[2]);
            const int count = QString::fromLocal8Bit(argv[3]).toInt();
            for (int i = 0; i < count; ++i)
                platform::SaveSetting(app, QStringLiteral("Keys"), QStringLiteral("k%1").arg(i),
                                      QStringLiteral("%1-%2").arg(app).arg(i));
            return 0;
        }
        if (argc == 5 && std::strcmp(argv[1], "get") == 0) {
            const QString v = platform::GetSetting(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                                                   QString::fromLocal8Bit(argv[4]), QStringLiteral("<none>"));
            std::fputs(v.toUtf8().constData(), stdout);
            return 0;
        }
    } catch (const vb::VbError& e) {
        std::fprintf(stderr, "store_peer: %s\n", e.what());
        return 1;
    }
    std::fprintf(stderr, "usage: store_peer write <app> <count> | get <app> <section> <key>\n");
    return 2;
}
