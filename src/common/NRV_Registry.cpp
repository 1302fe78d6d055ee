// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/NRV_Registry.h"

#include "common/NRV_ErrorLog.h"
#include "platform/Registry.h"
#include "vb/ErrorHandling.h"

void CreateKey(const QString& sKey, const QString& sValue) {
    vb::Handler h(QStringLiteral("CreateKey of Modul NRV_Registry"));
    if (!h.Try([&] { platform::RegWrite(sKey, sValue); }))
        WriteLog(sKey, sValue);
}

QString ReadKey(const QString& sKey) {
    vb::Handler h(QStringLiteral("ReadKey of Modul NRV_Registry"));
    QString value;
    if (!h.Try([&] { value = platform::RegRead(sKey); }))
        WriteLog(sKey);
    return value;
}

void DeleteKey(const QString& sKey) {
    vb::Handler h(QStringLiteral("DeleteKey of Modul NRV_Registry"));
    if (!h.Try([&] { platform::RegDelete(sKey); }))
        WriteLog(sKey);
}
