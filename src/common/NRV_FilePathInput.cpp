// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/NRV_FilePathInput.h"

#include <QDir>
#include <QStandardPaths>

#include "common/NRV_ErrorLog.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "vb/Conversions.h"
#include "vb/ErrorHandling.h"

namespace {

constexpr int kIncludeFiles = 0x4000;

bool IsNumberVariant(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

// The location a start or root folder names: a path text as it is, a
// number as its special folder. Raises 13 for a text that is neither.
QString LocationOf(const QVariant& folder) {
    if (!folder.isValid())
        return SpecialFolderPath(CSIDL_DESKTOP);
    if (IsNumberVariant(folder))
        return SpecialFolderPath(vb::CLng(folder.toDouble()));
    const QString text = folder.toString();
    if (!vb::IsNumeric(text) && !text.isEmpty())
        return text;
    return SpecialFolderPath(vb::CLng(text));
}

}  // namespace

QString SpecialFolderPath(qint32 csidl) {
    QString host;
    switch (csidl) {
    case CSIDL_DESKTOP:
        host = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
        break;
    case CSIDL_PERSONAL:
        host = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        break;
    case CSIDL_PROFILE:
        host = QDir::homePath();
        break;
    default:
        return {};
    }
    if (host.isEmpty())
        return {};
    return platform::ToWindows(host);
}

QString BrowseForFolder(QWidget* hWndOwner, const QString& sPrompt, const QVariant& vStartFolder,
                        const QVariant& vRootFolder, bool bIncludeFiles) {
    Q_UNUSED(hWndOwner);  // the dialog service takes the active window as its owner
    vb::Handler h(QStringLiteral("BrowseForFolder of Modul NRV_FilePathInput"));
    int flags = 0;
    QString root;
    QString start;
    QString result;
    h.Next(1, [&] { flags = bIncludeFiles ? kIncludeFiles : 0; });
    QString limit;  // the folder the user cannot leave; "" for the whole computer
    h.Next(2, [&] {
        root = LocationOf(vRootFolder.isValid() ? vRootFolder : QVariant(int(CSIDL_DESKTOP)));
        if (root != SpecialFolderPath(CSIDL_DESKTOP))
            limit = root;
    });
    h.Next(3, [&] { start = vStartFolder.isValid() ? LocationOf(vStartFolder) : root; });
    h.Next(4, [&] {
        QString chosen = platform::BrowseFolder(sPrompt, start, (flags & kIncludeFiles) != 0, limit);
        const int nul = chosen.indexOf(QChar(0));
        if (nul >= 0)
            chosen.truncate(nul);
        result = chosen;
    });
    return result;
}
