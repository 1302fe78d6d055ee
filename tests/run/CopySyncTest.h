// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include "support/TestEnv.h"
#include "common/NRV_ErrorLog.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"

// Tests of splitting, copying, synchronising and the programs around a run:
// the path layer and the error log installed, no error.log at the start.
class CopySyncTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::InstallPathLayer();
        InstallErrorLog();
        SetErrorIndicatorHook({});
        QFile::remove(logHost());
    }
    void TearDown() override {
        SetErrorIndicatorHook({});
        platform::Dialogs::reset();
    }

    static QString logHost() { return testenv::commonDir() + "/error.log"; }
    // The error log's lines without their CR LF ends.
    static QStringList logLines() {
        QString text = QString::fromUtf8(testenv::readFile(logHost()));
        if (text.endsWith("\r\n"))
            text.chop(2);
        return text.isEmpty() ? QStringList() : text.split("\r\n");
    }
    static bool logMentions(const QString& text) {
        for (const QString& l : logLines())
            if (l.contains(text))
                return true;
        return false;
    }
    static QString win(const QString& hostPath) { return platform::ToWindows(hostPath); }

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
