// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/NRV_ErrorLog.h"

#include <QLocale>

#include "common/Globals.h"
#include "common/NRV_File_Dir.h"
#include "common/NRV_GetSystemInfos.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "vb/Clock.h"
#include "vb/ErrorHandling.h"
#include "vb/FileNumbers.h"
#include "vb/Strings.h"

namespace {
std::function<void()> g_indicatorHook;
std::function<void(bool)> g_topMostHook;

// Nesting of the log writers: making the Common folder can fail and log that
// failure, which must not try to make the folder again (and again ...).
int g_depth = 0;
struct Nesting {
    Nesting() { ++g_depth; }
    ~Nesting() { --g_depth; }
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;
};

// Lines were appended to a log that this process created, before the header
// was written (the organisation lookup at start-up logs its miss before
// CreateErrorLogHeader runs). The header then goes in front of them.
bool g_createdWithoutHeader = false;

bool LogFileExists() {
    bool exists = false;
    vb::Quiet([&] { exists = platform::GetFileAttributes(ErrorLogPath()) != platform::kInvalidFileAttributes; });
    return exists;
}

void AppendToLog(const QString& line) {
    if (g_depth == 1)
        vb::Quiet([] { CreateDirectoryStruct(CommonFolder()); });
    const bool existed = LogFileExists();
    int fileNo = 0;
    vb::Quiet([&] {
        fileNo = vb::FreeFile();
        vb::Open(ErrorLogPath(), vb::OpenMode::Append, fileNo);
    });
    vb::Quiet([&] { vb::Print(fileNo, line); });
    vb::Quiet([&] {
        if (fileNo)
            vb::Close(fileNo);
    });
    if (!existed && LogFileExists())
        g_createdWithoutHeader = true;
}

QString ListLine(std::initializer_list<LogValue> values) {
    QString line;
    for (const LogValue& v : values)
        line += v.PrintForm();
    return line;
}

// Windows language identifiers (primary language in the low 10 bits, the
// sub-language above) of the locales the program is likely to meet.
struct LangIdEntry {
    QLocale::Language language;
    QLocale::Territory territory;  // AnyTerritory: the language's default
    quint16 id;
};
const LangIdEntry kLangIds[] = {
    {QLocale::Arabic, QLocale::AnyTerritory, 0x0401},   {QLocale::Bulgarian, QLocale::AnyTerritory, 0x0402},
    {QLocale::Catalan, QLocale::AnyTerritory, 0x0403},  {QLocale::Chinese, QLocale::Taiwan, 0x0404},
    {QLocale::Chinese, QLocale::HongKong, 0x0C04},      {QLocale::Chinese, QLocale::Singapore, 0x1004},
    {QLocale::Chinese, QLocale::AnyTerritory, 0x0804},  {QLocale::Czech, QLocale::AnyTerritory, 0x0405},
    {QLocale::Danish, QLocale::AnyTerritory, 0x0406},   {QLocale::German, QLocale::Switzerland, 0x0807},
    {QLocale::German, QLocale::Austria, 0x0C07},        {QLocale::German, QLocale::Luxembourg, 0x1007},
    {QLocale::German, QLocale::Liechtenstein, 0x1407},  {QLocale::German, QLocale::AnyTerritory, 0x0407},
    {QLocale::Greek, QLocale::AnyTerritory, 0x0408},    {QLocale::English, QLocale::UnitedKingdom, 0x0809},
    {QLocale::English, QLocale::Australia, 0x0C09},     {QLocale::English, QLocale::Canada, 0x1009},
    {QLocale::English, QLocale::NewZealand, 0x1409},    {QLocale::English, QLocale::Ireland, 0x1809},
    {QLocale::English, QLocale::SouthAfrica, 0x1C09},   {QLocale::English, QLocale::India, 0x4009},
    {QLocale::English, QLocale::AnyTerritory, 0x0409},  {QLocale::Spanish, QLocale::Mexico, 0x080A},
    {QLocale::Spanish, QLocale::Argentina, 0x2C0A},     {QLocale::Spanish, QLocale::AnyTerritory, 0x0C0A},
    {QLocale::Finnish, QLocale::AnyTerritory, 0x040B},  {QLocale::French, QLocale::Belgium, 0x080C},
    {QLocale::French, QLocale::Canada, 0x0C0C},         {QLocale::French, QLocale::Switzerland, 0x100C},
    {QLocale::French, QLocale::Luxembourg, 0x140C},     {QLocale::French, QLocale::AnyTerritory, 0x040C},
    {QLocale::Hebrew, QLocale::AnyTerritory, 0x040D},   {QLocale::Hungarian, QLocale::AnyTerritory, 0x040E},
    {QLocale::Icelandic, QLocale::AnyTerritory, 0x040F}, {QLocale::Italian, QLocale::Switzerland, 0x0810},
    {QLocale::Italian, QLocale::AnyTerritory, 0x0410},  {QLocale::Japanese, QLocale::AnyTerritory, 0x0411},
    {QLocale::Korean, QLocale::AnyTerritory, 0x0412},   {QLocale::Dutch, QLocale::Belgium, 0x0813},
    {QLocale::Dutch, QLocale::AnyTerritory, 0x0413},    {QLocale::NorwegianBokmal, QLocale::AnyTerritory, 0x0414},
    {QLocale::NorwegianNynorsk, QLocale::AnyTerritory, 0x0814}, {QLocale::Polish, QLocale::AnyTerritory, 0x0415},
    {QLocale::Portuguese, QLocale::Portugal, 0x0816},   {QLocale::Portuguese, QLocale::AnyTerritory, 0x0416},
    {QLocale::Romanian, QLocale::AnyTerritory, 0x0418}, {QLocale::Russian, QLocale::AnyTerritory, 0x0419},
    {QLocale::Croatian, QLocale::AnyTerritory, 0x041A}, {QLocale::Slovak, QLocale::AnyTerritory, 0x041B},
    {QLocale::Albanian, QLocale::AnyTerritory, 0x041C}, {QLocale::Swedish, QLocale::Finland, 0x081D},
    {QLocale::Swedish, QLocale::AnyTerritory, 0x041D},  {QLocale::Thai, QLocale::AnyTerritory, 0x041E},
    {QLocale::Turkish, QLocale::AnyTerritory, 0x041F},  {QLocale::Urdu, QLocale::AnyTerritory, 0x0420},
    {QLocale::Indonesian, QLocale::AnyTerritory, 0x0421}, {QLocale::Ukrainian, QLocale::AnyTerritory, 0x0422},
    {QLocale::Belarusian, QLocale::AnyTerritory, 0x0423}, {QLocale::Slovenian, QLocale::AnyTerritory, 0x0424},
    {QLocale::Estonian, QLocale::AnyTerritory, 0x0425}, {QLocale::Latvian, QLocale::AnyTerritory, 0x0426},
    {QLocale::Lithuanian, QLocale::AnyTerritory, 0x0427}, {QLocale::Persian, QLocale::AnyTerritory, 0x0429},
    {QLocale::Vietnamese, QLocale::AnyTerritory, 0x042A}, {QLocale::Hindi, QLocale::AnyTerritory, 0x0439},
};

// What the user's locale calls for; the C locale is language-neutral (0).
quint16 LangIdOf(const QLocale& locale) {
    for (const LangIdEntry& e : kLangIds) {
        if (e.language == locale.language() &&
            (e.territory == QLocale::AnyTerritory || e.territory == locale.territory()))
            return e.id;
    }
    return 0;
}

QString Label(const char* function) {
    return QString::fromLatin1(function) + QStringLiteral(" of Modul NRV_ErrorLog");
}
}  // namespace

QString CommonFolder() { return platform::ProgramFolder() + QStringLiteral("\\..\\Common"); }

QString ErrorLogPath() { return CommonFolder() + QStringLiteral("\\error.log"); }

void WriteErrorLog(bool showMessage, const QString& appName, const QString& label, qint32 lineNumber,
                   qint32 errNumber, const QString& errDescription) {
    Nesting nesting;
    QString line;
    vb::Quiet([&] {
        line = vb::GeneralDateText(vb::Now()) + QStringLiteral("  ") + appName + QStringLiteral(" : ") +
               ProductCode + QStringLiteral(" v.") + VersionText + QStringLiteral("  ") + label +
               QStringLiteral("  ") + QString::number(lineNumber) + QStringLiteral("  ") +
               QString::number(errNumber) + QStringLiteral("  ") + errDescription;
    });
    vb::Quiet([&] { AppendToLog(line); });
    vb::Quiet([] {
        if (g_indicatorHook)
            g_indicatorHook();
    });
}

void WriteLog(const LogValue& v1, const LogValue& v2, const LogValue& v3, const LogValue& v4,
              const LogValue& v5, const LogValue& v6, const LogValue& v7, const LogValue& v8,
              const LogValue& v9, const LogValue& v10) {
    Nesting nesting;
    QString line;
    vb::Quiet([&] { line = ListLine({v1, v2, v3, v4, v5, v6, v7, v8, v9, v10}); });
    vb::Quiet([&] { AppendToLog(line); });
}

void CreateErrorLogHeader() {
    Nesting nesting;
    QString path = ErrorLogPath();
    bool exists = true;
    vb::Quiet([&] { exists = FileExists(path); });
    if (exists && !g_createdWithoutHeader)
        return;

    QStringList lines;
    vb::Quiet([&] {
        lines << QStringLiteral("########  n.r.v error log file - created ") + vb::GeneralDateText(vb::Now());
    });
    vb::Quiet([&] { lines << ListLine({ProductCode, UserName, CompanyName}); });
    vb::Quiet([&] { lines << ListLine({SysLanguageID(), SysLanguageName()}); });
    vb::Quiet([&] { lines << ListLine({Country(), LanguageName(), NativeCountryName()}); });
    vb::Quiet([&] { lines << ListLine({GetSysDir(), GetWinDir(), platform::ProgramFolder()}); });
    vb::Quiet([&] {
        const QString version = GetWinVersion();
        lines << ListLine({OsVersionInfo.majorVersion, OsVersionInfo.minorVersion, OsVersionInfo.buildNumber,
                           OsVersionInfo.platformId, version});
    });
    lines << QStringLiteral("########  End of Header  ##########");

    // Reading the facts above may itself have logged (and so made the file).
    vb::Quiet([&] { exists = FileExists(path); });
    g_createdWithoutHeader = false;
    int fileNo = 0;
    if (!exists) {
        // A missing Common folder makes the open fail: no header then.
        vb::Quiet([&] {
            fileNo = vb::FreeFile();
            vb::Open(path, vb::OpenMode::Output, fileNo);
        });
        for (const QString& l : lines)
            vb::Quiet([&] { vb::Print(fileNo, l); });
    } else {
        // The header goes in front of what this start already logged.
        vb::Quiet([&] {
            fileNo = vb::FreeFile();
            vb::Open(path, vb::OpenMode::Binary, fileNo);
            const QByteArray logged = vb::Get(fileNo, 1, vb::Lof(fileNo));
            const QByteArray header = (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
            vb::Put(fileNo, 1, header + logged);
        });
    }
    vb::Quiet([&] {
        if (fileNo)
            vb::Close(fileNo);
    });
}

void InNextVersion() {
    vb::Handler h(Label("InNextVersion"));
    h.Next(1, [] {
        if (g_topMostHook)
            g_topMostHook(false);
    });
    h.Next(2, [] {
        platform::MsgBox(LangText(21) + vb::vbCrLf + LangText(22), 4160, LangText(23));
    });
    h.Next(3, [] {
        if (g_topMostHook)
            g_topMostHook(true);
    });
}

qint16 SysLanguageID() {
    vb::Handler h(Label("SysLanguageID"));
    return h.Guard(qint16(0), [] { return qint16(LangIdOf(QLocale())); });
}

QString SysLanguageName() {
    vb::Handler h(Label("SysLanguageName"));
    return h.Guard(QString(), [] {
        const QLocale locale;
        if (LangIdOf(locale) == 0)
            return QStringLiteral("Language Neutral");
        QString name = QLocale::languageToString(locale.language());
        if (locale.territory() != QLocale::AnyTerritory)
            name += QStringLiteral(" (") + QLocale::territoryToString(locale.territory()) + QLatin1Char(')');
        return name.left(49);
    });
}

QString GetLocaleString(qint32 lcType) {
    vb::Handler h(Label("GetLocaleString"));
    return h.Guard(QString(), [lcType] {
        const QLocale locale;
        QString value;
        switch (lcType) {
        case 4:  // the language's native name
            value = locale.language() == QLocale::C ? QString() : locale.nativeLanguageName();
            break;
        case 8:  // the country's native name
            value = locale.territory() == QLocale::AnyTerritory ? QString() : locale.nativeTerritoryName();
            break;
        case 0x1001:  // the language's English name
            value = locale.language() == QLocale::C ? QString() : QLocale::languageToString(locale.language());
            break;
        case 0x1002:  // the country's English name
            value = locale.territory() == QLocale::AnyTerritory ? QString()
                                                                 : QLocale::territoryToString(locale.territory());
            break;
        default:
            break;
        }
        return value.left(255);
    });
}

QString Country() {
    vb::Handler h(Label("Country"));
    return h.Guard(QString(), [] { return GetLocaleString(0x1002); });
}

QString LanguageName() {
    vb::Handler h(Label("LanguageName"));
    return h.Guard(QString(), [] { return GetLocaleString(4); });
}

QString NativeCountryName() {
    vb::Handler h(Label("NativeCountryName"));
    return h.Guard(QString(), [] { return GetLocaleString(8); });
}

void InstallErrorLog() {
    vb::SetErrorSink([](const vb::ErrorReport& r) {
        WriteErrorLog(true, r.appName.isEmpty() ? ProgramName : r.appName, r.label, r.erl, r.err.Number,
                      r.err.Description);
    });
}

void SetErrorIndicatorHook(std::function<void()> hook) { g_indicatorHook = std::move(hook); }

void SetTopMostHook(std::function<void(bool)> hook) { g_topMostHook = std::move(hook); }
