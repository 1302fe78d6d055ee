// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The destinations' window fixture with an empty error log at the start of
// each test, and readers of that log.
#include <QFile>

#include "destinations/FormTest.h"
#include "support/TestEnv.h"

class FormFixture : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        QFile::remove(ErrorLogFile());
    }
    frmMain_BackUp& f() { return *form; }
    static QString ErrorLogFile() { return testenv::commonDir() + QStringLiteral("/error.log"); }
    static QString ErrorLog() { return QString::fromUtf8(testenv::readFile(ErrorLogFile())); }
};
