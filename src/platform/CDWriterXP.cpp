// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/CDWriterXP.h"

#include <QRegularExpression>

namespace platform {
namespace {
CDWriterFactory& Factory() {
    static CDWriterFactory factory;
    return factory;
}
}  // namespace

QList<PseudoDrive> PseudoDrivesFrom(const QString& setting) {
    static const QRegularExpression capacity(QStringLiteral("@(\\d+)([KMG]?)$"),
                                             QRegularExpression::CaseInsensitiveOption);
    QList<PseudoDrive> out;
    for (QString item : setting.split(QLatin1Char(';'))) {
        item = item.trimmed();
        PseudoDrive d;
        const QRegularExpressionMatch m = capacity.match(item);
        if (m.hasMatch()) {
            const QString unit = m.captured(2).toUpper();
            const qint64 scale = unit == QLatin1String("K")   ? 1024
                                 : unit == QLatin1String("M") ? 1024 * 1024
                                 : unit == QLatin1String("G") ? 1024 * 1024 * 1024
                                                              : 1;
            const qint64 bytes = m.captured(1).left(12).toLongLong() * scale;
            d.capacity = bytes;
            item.chop(m.capturedLength(0));
        }
        if (!item.startsWith(QLatin1String("stdio:")) || item.size() <= 6)
            continue;
        d.address = item;
        d.path = item.mid(6);
        out << d;
    }
    return out;
}

void SetCDWriterFactory(CDWriterFactory factory) { Factory() = std::move(factory); }

std::unique_ptr<CDWriterXP> CreateCDWriterXP() {
    if (Factory())
        return Factory()();
    return CreateIsoburnWriter();
}

}  // namespace platform
