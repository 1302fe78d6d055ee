// SPDX-License-Identifier: GPL-3.0-or-later
#include "destinations/modUUcode.h"

#include <QFile>
#include <QFileInfo>

#include "common/NRV_File_Dir.h"
#include "platform/Paths.h"
#include "vb/VbError.h"

namespace {

char uuChar(int v) { return v == 0 ? '`' : char(32 + v); }

constexpr int kLineBytes = 45;
constexpr qsizetype kFlushAt = 64 * 1024;

}  // namespace

QByteArray UUEncodeLine(QByteArray& bytes) {
    while (bytes.size() % 3 != 0)
        bytes.append('\0');
    QByteArray out;
    out.reserve(bytes.size() / 3 * 4);
    for (qsizetype i = 0; i < bytes.size(); i += 3) {
        const int b1 = quint8(bytes[i]), b2 = quint8(bytes[i + 1]), b3 = quint8(bytes[i + 2]);
        out.append(uuChar(b1 >> 2));
        out.append(uuChar(((b1 & 3) << 4) | (b2 >> 4)));
        out.append(uuChar(((b2 & 15) << 2) | (b3 >> 6)));
        out.append(uuChar(b3 & 63));
    }
    return out;
}

int UUEncodeFile(const QString& sourcePath, const QString& targetPath, bool append) {
    QFile source(platform::ToHost(sourcePath));
    if (!QFileInfo(source.fileName()).isFile() || !source.open(QIODevice::ReadOnly))
        return vb::errFileNotFound;
    QFile target(platform::ToHost(targetPath));
    const bool existed = target.exists();
    if (target.fileName().isEmpty() ||
        !target.open(append ? QIODevice::WriteOnly | QIODevice::Append : QIODevice::WriteOnly | QIODevice::Truncate))
        return vb::errPathFileAccess;
    if (!existed)
        target.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    QByteArray out;
    bool ok = true;
    auto flush = [&](bool always) {
        if (ok && (always || out.size() >= kFlushAt)) {
            ok = target.write(out) == out.size();
            out.clear();
        }
    };
    if (append)
        out += "\r\n";
    out += "begin 600 " + sParseFile(sourcePath).toUtf8() + "\r\n";

    const qint64 length = source.size();
    qint64 left = length;
    while (ok && left >= kLineBytes) {
        QByteArray chunk = source.read(kLineBytes);
        if (chunk.size() != kLineBytes) {
            ok = false;
            break;
        }
        out += 'M' + UUEncodeLine(chunk) + "\r\n";
        left -= kLineBytes;
        flush(false);
    }
    if (ok) {
        QByteArray rest = source.read(left);
        ok = rest.size() == left;
        out += char(32 + int(left)) + UUEncodeLine(rest) + "\r\n";
        out += "`\r\nend\r\n";
        flush(true);
    }
    ok = ok && target.flush();
    target.close();
    source.close();
    return ok ? 0 : vb::errDeviceIO;
}
