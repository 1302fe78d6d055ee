// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDate>
#include <QDateTime>
#include <QString>
#include <functional>
#include <type_traits>
#include "vb/FileNumbers.h"

// The error log "error.log" in "<program folder>\..\Common": a header block
// written when the file is made, one line per caught error and trace lines of
// values. Logging never raises an error of its own.

// One value of a trace line, printed the way Print # prints it: text as it
// is; a number with a blank before it (a minus sign when negative) and a
// blank after it; True or False; an empty value as nothing; a date in the
// short date form.
class LogValue {
public:
    LogValue() = default;
    LogValue(const QString& s) : v_(s) {}
    LogValue(const char* s) : v_(QString::fromUtf8(s)) {}
    LogValue(bool b) : v_(b) {}
    template <class T,
              std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool> &&
                                   !std::is_same_v<T, char>,
                               int> = 0>
    LogValue(T n) : v_(static_cast<qint64>(n)) {}
    LogValue(float d) : v_(static_cast<double>(d)) {}
    LogValue(double d) : v_(d) {}
    LogValue(const QDate& d) : v_(QDateTime(d, QTime(0, 0))) {}
    LogValue(const QDateTime& d) : v_(d) {}

    // The value's print form.
    QString PrintForm() const { return vb::PrintForm(v_); }

private:
    vb::FileValue v_;
};

// Append one error line: date and time, product field "<appName> : 300
// v.<version>", label, statement number, error number and description, two
// blanks between the fields. Creates the Common folder when it is missing,
// then lights the main window's error indicator (also when the line could not
// be written). showMessage has no effect: the log never shows a box.
void WriteErrorLog(bool showMessage, const QString& appName, const QString& label, qint32 lineNumber,
                   qint32 errNumber, const QString& errDescription);

// Append one trace line of up to ten values, printed one after another.
void WriteLog(const LogValue& v1 = {}, const LogValue& v2 = {}, const LogValue& v3 = {},
              const LogValue& v4 = {}, const LogValue& v5 = {}, const LogValue& v6 = {},
              const LogValue& v7 = {}, const LogValue& v8 = {}, const LogValue& v9 = {},
              const LogValue& v10 = {});

// Write the seven header lines when "error.log" does not exist yet. Start-up
// calls it once, after GetPCInfos.
void CreateErrorLogHeader();

// The notice for functions that are not offered yet.
void InNextVersion();

// Windows path of the log file and of its folder.
QString ErrorLogPath();
QString CommonFolder();

// Locale facts of the user's locale for the header.
qint16 SysLanguageID();
QString SysLanguageName();
QString Country();
QString LanguageName();
QString NativeCountryName();
QString GetLocaleString(qint32 lcType);

// Route every error that a vb::Handler catches into WriteErrorLog (appName:
// the handler's own, else ProgramName).
void InstallErrorLog();

// The main window lights its indicator (ErrorIndicator background &H8080FF,
// lblError visible) through this hook; an empty hook does nothing, so errors
// logged before the main window exists only go to the file.
void SetErrorIndicatorHook(std::function<void()> hook);

// InNextVersion takes the main window out of the always-on-top state while
// its box is open (hook(false)) and afterwards puts it on top again when the
// window's on-top option is ticked (hook(true)); the main window installs it.
void SetTopMostHook(std::function<void(bool onTop)> hook);
