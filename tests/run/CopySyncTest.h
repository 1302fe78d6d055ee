// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include "common/CommonTest.h"
#include "support/TestEnv.h"

// Tests of splitting, copying, synchronising and the programs around a run:
// the path layer and the error log installed, no error.log at the start.
class CopySyncTest : public CommonTest {
protected:
    static bool logMentions(const QString& text) {
        for (const QString& l : logLines())
            if (l.contains(text))
                return true;
        return false;
    }

    // Every entry of a folder (hidden ones too), sorted.
    static QStringList entries(const QString& hostDir) {
        return QDir(hostDir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                       QDir::Name);
    }
    // Bytes that differ from position to position, so a piece out of place shows.
    static QByteArray pattern(qint64 n, int seed = 0) {
        QByteArray b(n, Qt::Uninitialized);
        quint32 x = 2463534242u + quint32(seed);
        for (qint64 i = 0; i < n; ++i) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            b[i] = char(x);
        }
        return b;
    }
};
