// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <array>

// The three filter mask lists of a profile: file exclusions, folder
// exclusions and file inclusions, each parsed from its text box on the main
// window into at most 50 upper-case wildcard masks.
struct FilterMaskList {
    static constexpr int kMaxMasks = 50;
    // slot[0] is unused: the count lives in `count`; slots 1..count hold the
    // masks. Slots above the count keep what an earlier parse left there.
    qint16 count = 0;
    std::array<QString, kMaxMasks + 1> slot;

    const QString& mask(int i) const { return slot[static_cast<size_t>(i)]; }
};

extern FilterMaskList BackupExclusions;
extern FilterMaskList BackupDirExclusions;
extern FilterMaskList BackupInclusions;

// Parses `text` into `list`. With `fileMasks` a mask without any "." gets
// "*." in front of it (the file lists); the folder list keeps names as typed.
void ParseMaskList(const QString& text, bool fileMasks, FilterMaskList& list, const QString& label);

// True when the upper-cased `name` matches one of the list's masks (VB Like,
// binary compare). An invalid mask raises the Like error to the caller.
bool NameMatchesMaskList(const QString& name, const FilterMaskList& list);

// The first mask of the list that cannot be read as a Like pattern (an
// unclosed "["), or "" when every one can.
QString FirstUnreadableMask(const FilterMaskList& list);

// The parsers of the three text boxes of the main window.
void load_backup_exclusions();
void load_backup_DirExclusions();
void load_backup_inclusions();
