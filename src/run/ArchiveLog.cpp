// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/ArchiveLog.h"

#include <cmath>

#include "vb/FileNumbers.h"
#include "vb/Format.h"

namespace archive_log {
namespace {

QString Padded(const QString& text, int width) {
    return text.size() >= width ? text : text + QString(width - text.size(), QLatin1Char(' '));
}

}  // namespace

QString NameField(const QString& shortenedPath) {
    return Padded(shortenedPath.left(kNameWidth), kNameField);
}

int Saving(qint64 uncompressed, qint64 compressed) {
    if (uncompressed <= 0)
        return 0;
    const double saving = (1.0 - double(compressed) / double(uncompressed)) * 100.0;
    return int(std::nearbyint(saving));  // the default rounding mode is half to even
}

QString StoredLine(const QString& nameField, qint64 uncompressed, qint64 compressed) {
    return nameField + Padded(QString::number(uncompressed), kSizeField) + QStringLiteral("--> ") +
           Padded(QString::number(compressed), kSizeField) +
           vb::Format(Saving(uncompressed, compressed), QStringLiteral("0#")) + QStringLiteral(" %");
}

QString ErrorLine(int number, const QString& description) {
    return QString::number(number) + QLatin1Char(':') + description;
}

void Write(int fileNo, const QString& line) {
    vb::Print(fileNo, QLatin1Char('"') + line + QLatin1Char('"'));
}

}  // namespace archive_log
