// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reads uuencode blocks with an independent decoder: Python's binascii.
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>

namespace uu {

// Every block "begin 600 <name>" .. "end" of `text` (lines ended by CR LF),
// decoded: the files by name.
inline QMap<QString, QByteArray> DecodedWithPython(const QByteArray& text) {
    static const char* script = R"(
import base64, binascii, json, sys
lines = sys.stdin.buffer.read().decode("latin-1").split("\r\n")
out, i = {}, 0
while i < len(lines):
    if lines[i].startswith("begin 600 "):
        name, body, i = lines[i][10:], [], i + 1
        while lines[i] != "end":
            if lines[i] != "`":
                body.append(binascii.a2b_uu(lines[i]))
            i += 1
        out[name] = base64.b64encode(b"".join(body)).decode()
    i += 1
print(json.dumps(out))
)";
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromLatin1(script)});
    p.write(text);
    p.closeWriteChannel();
    p.waitForFinished(60000);
    QMap<QString, QByteArray> files;
    const QJsonObject o = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    for (auto it = o.begin(); it != o.end(); ++it)
        files[it.key()] = QByteArray::fromBase64(it.value().toString().toLatin1());
    return files;
}

}  // namespace uu
