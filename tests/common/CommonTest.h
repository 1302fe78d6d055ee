// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include "support/TestEnv.h"
#include "common/NRV_ErrorLog.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"

// Every test of the common modules starts with the path layer and the error
// log installed and without an error.log.
class CommonTest : public ::testing::Test {
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
    static QByteArray logBytes() { return testenv::readFile(logHost()); }
    // The log's lines without their CR LF ends.
    static QStringList logLines() {
        QString text = QString::fromUtf8(logBytes());
        if (text.endsWith("\r\n"))
            text.chop(2);
        return text.isEmpty() ? QStringList() : text.split("\r\n");
    }
    // A fresh folder below the test root, and its Windows form.
    static QString hostDir(const QString& name) { return testenv::tempDir(name); }
    static QString win(const QString& hostPath) { return platform::ToWindows(hostPath); }
};
