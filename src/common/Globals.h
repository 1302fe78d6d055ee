// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>

// The program-wide variables that every module reads or sets.

// Product word; first thing start-up sets. Part of every settings path and of
// the main window's caption.
extern QString ProgramName;
// The program's version as "major.minor.revision" (the error log writes it).
extern QString VersionText;
// The trimmed, upper-cased login name ("GUEST" when empty); set by GetPCInfos.
extern QString UserName;
// The upper-cased registered organisation ("MYCOMPANY" when there is none).
extern QString CompanyName;
// The product code, "300".
extern const QString ProductCode;
// True while a run started with "/run" is in progress.
extern bool RunMode;
// Set by the Stop command; the run tests it between files.
extern bool CancelBackUp;
// Set when the first run starts; never reset.
extern bool bBackupStarted;
// True while the splash window is still loading.
extern bool SplashActive;
// A sound device exists and speech could be set up.
extern bool bSoundAvailable;
// The user's e-mail address; nothing assigns it, so it stays empty.
extern QString UserEmail;
// Name of the loaded language file without its ".lng".
extern QString CurrentLanguage;
// What the set-up wizard is opened for (the toolbar's New sets it to the
// "new profile" text); the wizard chooses its pages by it.
extern QString WizardProfileText;

// The text table of the loaded language file. Entry K is text number K.
//
// Always ask for a text in the form LangText(123) with the number written as a
// decimal literal: a test scans every source file for that form and checks
// that the shipped English file has a text for each number. Computed numbers
// (LangText(base + i)) escape that check; list them in the test instead.
class LangTextTable {
public:
    // Text number k; the empty text for a number the file did not give, for a
    // number outside the table, and before any file was loaded.
    QString operator()(int k) const;

    // The table's upper bound: the highest text number it can hold, -1 while
    // the table has no size yet.
    int UBound() const { return int(texts_.size()) - 1; }

    // Grow the table to the upper bound `upper`, keeping what it holds. A
    // smaller bound leaves it as it is.
    void Grow(int upper);

    // Store text number k; raises error 9 (subscript out of range) when k is
    // outside the table.
    void Set(int k, const QString& text);

    // Back to a table without size.
    void Clear() { texts_.clear(); }

    const QStringList& texts() const { return texts_; }

private:
    QStringList texts_;
};
extern LangTextTable LangText;
