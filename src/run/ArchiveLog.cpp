// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/ArchiveLog.h"

#include <cmath>
#include <cstdlib>

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
    // Made for every stored file: in one piece, and the saving as the
    // pattern "0#" writes a whole number (at least two digits, the sign
    // before them).
    QString line;
    line.reserve(nameField.size() + 2 * kSizeField + 12);
    auto padded = [&](const QString& text, int width) {
        line += text;
        if (text.size() < width)
            line += QString(width - text.size(), QLatin1Char(' '));
    };
    line += nameField;
    padded(QString::number(uncompressed), kSizeField);
    line += QLatin1String("--> ");
    padded(QString::number(compressed), kSizeField);
    const int saving = Saving(uncompressed, compressed);
    if (saving < 0)
        line += QLatin1Char('-');
    line += QString::number(std::abs(saving)).rightJustified(2, QLatin1Char('0'));
    line += QLatin1String(" %");
    return line;
}

QString ErrorLine(int number, const QString& description) {
    return QString::number(number) + QLatin1Char(':') + description;
}

void Write(int fileNo, const QString& line) {
    vb::Print(fileNo, QLatin1Char('"') + line + QLatin1Char('"'));
}

}  // namespace archive_log
