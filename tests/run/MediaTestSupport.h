// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <memory>
#include <ostream>
#include <utime.h>
#include <vector>

#include "common/Globals.h"
#include "common/NRV_Language.h"
#include "platform/Dialogs.h"
#include "platform/Drives.h"
#include "platform/Paths.h"
#include "support/TestEnv.h"
#include "ui/frmMain_BackUp.h"
#include "vb/Clock.h"
#include "vb/ErrorHandling.h"

// Readable test messages for texts.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

// A main window with the English texts loaded, scripted dialogs, the C
// locale and the errors that procedures log collected in `errors`.
class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::InstallPathLayer();
        QLocale::setDefault(QLocale::c());
        ASSERT_TRUE(set_language(QStringLiteral("english.lng")));
        vb::SetErrorSink([this](const vb::ErrorReport& r) { errors.push_back(r); });
        platform::Dialogs::scriptAnswers({});
        bBackupStarted = false;
        form = std::make_unique<frmMain_BackUp>();
        errors.clear();
    }
    void TearDown() override {
        form.reset();
        vb::SetErrorSink({});
        platform::Dialogs::reset();
        platform::ClearDriveOverrides();
        vb::ResetClock();
        bBackupStarted = false;
    }

    QStringList errorLabels() const {
        QStringList out;
        for (const auto& e : errors)
            out << e.label;
        return out;
    }

    // A file below `hostDir` with the last-write time `utc`.
    static QString makeFile(const QString& hostDir, const QString& name,
                            const QDateTime& utc = QDateTime::currentDateTimeUtc(),
                            const QByteArray& data = "x") {
        const QString p = hostDir + QLatin1Char('/') + name;
        testenv::writeFile(p, data);
        struct utimbuf t {};
        t.actime = t.modtime = utc.toSecsSinceEpoch();
        ::utime(QFile::encodeName(p).constData(), &t);
        return p;
    }
    static QString win(const QString& hostPath) { return platform::ToWindows(hostPath); }

    std::unique_ptr<frmMain_BackUp> form;
    std::vector<vb::ErrorReport> errors;
};
