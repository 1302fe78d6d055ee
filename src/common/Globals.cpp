// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/Globals.h"

#include "vb/VbError.h"

#define VAULTORA_STR2(x) #x
#define VAULTORA_STR(x) VAULTORA_STR2(x)

QString ProgramName = QStringLiteral("Vaultora");
QString VersionText = QStringLiteral(VAULTORA_STR(VAULTORA_VERSION_MAJOR) "." VAULTORA_STR(
    VAULTORA_VERSION_MINOR) "." VAULTORA_STR(VAULTORA_VERSION_PATCH));
QString UserName;
QString CompanyName;
const QString ProductCode = QStringLiteral("300");
bool RunMode = false;
bool CancelBackUp = false;
bool bBackupStarted = false;
bool SplashActive = false;
bool bSoundAvailable = false;
QString UserEmail;
QString CurrentLanguage;
QString WizardProfileText;
LangTextTable LangText;

QString LangTextTable::operator()(int k) const {
    if (k < 0 || k >= texts_.size())
        return QString();
    return texts_.at(k);
}

void LangTextTable::Grow(int upper) {
    while (texts_.size() <= upper)
        texts_.append(QString());
}

void LangTextTable::Set(int k, const QString& text) {
    if (k < 0 || k >= texts_.size())
        vb::Raise(vb::errSubscript);
    texts_[k] = text;
}
