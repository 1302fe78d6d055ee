// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include "support/TestEnv.h"
#include "platform/Drives.h"
#include "platform/MountTable.h"

// A mount table of the test's own making, put in place of the host's for
// the lifetime of the object (with the drive overrides cleared at both ends).
class FakeMounts {
public:
    struct Mount {
        QString mountPoint;
        QString fsType;
        QString source;
        QString majorMinor = QStringLiteral("0:99");
    };

    explicit FakeMounts(const QList<Mount>& mounts) {
        file_ = testenv::tempDir(QStringLiteral("mountinfo")) + QStringLiteral("/mountinfo");
        QByteArray text = "1 0 254:0 / / rw,relatime - ext4 /dev/vda rw\n";
        int id = 2;
        for (const Mount& m : mounts) {
            text += QByteArray::number(id++) + " 1 " + m.majorMinor.toUtf8() + " / " + escape(m.mountPoint) +
                    " rw,relatime - " + m.fsType.toUtf8() + " " + escape(m.source) + " rw\n";
        }
        testenv::writeFile(file_, text);
        platform::ClearDriveOverrides();
        platform::SetMountInfoPathForTest(file_);
    }
    ~FakeMounts() {
        platform::SetMountInfoPathForTest({});
        platform::ClearDriveOverrides();
    }
    FakeMounts(const FakeMounts&) = delete;
    FakeMounts& operator=(const FakeMounts&) = delete;

private:
    static QByteArray escape(const QString& s) {
        QByteArray out;
        for (char c : QFile::encodeName(s)) {
            if (c == ' ')
                out += "\\040";
            else if (c == '\\')
                out += "\\134";
            else
                out += c;
        }
        return out;
    }
    QString file_;
};
