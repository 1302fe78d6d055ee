// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantList>

// The one service for message boxes, input boxes, the folder picker and
// "open this page or file". With a display these are real Qt dialogs. Without
// one (no GUI application, or the offscreen/minimal platform) a box writes its
// title and text to stderr and returns its default answer at once, so an
// unattended run never waits for a click. Tests script the answers.
namespace platform {

// MsgBox style: buttons (low four bits), icon, default button, modality.
enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton1 = 0,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
    vbApplicationModal = 0,
    vbSystemModal = 4096,
};

// MsgBox results.
enum MsgBoxResult : int { vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7 };

int MsgBox(const QString& prompt, int style = vbOKOnly, const QString& title = {});
// The text entered; "" when cancelled.
QString InputBox(const QString& prompt, const QString& title = {}, const QString& defaultText = {});
// The chosen folder as a Windows path; "" when cancelled. startFolder and
// rootFolder are Windows paths ("" for none); the user cannot leave the root.
// With includeFiles the files are listed too and a chosen file is the answer.
QString BrowseFolder(const QString& prompt, const QString& startFolder = {}, bool includeFiles = false,
                     const QString& rootFolder = {});
// The open-file dialog: the chosen file as a Windows path, "" when cancelled.
// filter is VB's "Name (*.ext)|*.ext|..." list, filterIndex its entry selected
// at the start (counted from 1); startFolder a Windows path, also one that
// ends in a file mask ("C:\Pics\*.gif").
QString OpenFileName(const QString& title, const QString& filter = {}, const QString& startFolder = {},
                     int filterIndex = 1);
// Opens a web address (http, https, ftp, mailto, file, or "www.") or a Windows
// path with the desktop's handler. False when nothing could be opened.
bool ShellOpen(const QString& urlOrWindowsPath);
// Shows a text file (a Windows path) in a read-only window of the program's
// own, which stays open beside the others. False when nothing could be shown
// (no display, or the file cannot be read).
bool ShowTextFile(const QString& title, const QString& windowsPath);

class Dialogs {
public:
    enum class Kind { MessageBox, InputBox, FolderPicker, ShellOpen, OpenFile, TextFile };
    struct Shown {
        Kind kind = Kind::MessageBox;
        QString title;        // as passed
        QString prompt;       // the text, the picker's prompt, or what ShellOpen got
        int style = 0;        // MsgBox style; folder picker: 1 when files are listed too; open-file: the filter index
        QString defaultText;  // the input box default or the picker's start folder
        QString rootFolder;   // the folder picker's root ("" for none)
        QString filter;       // the open-file dialog's filter
        QVariant answer;      // what the caller got back
    };

    // Test control. scriptAnswers() switches to scripted mode: no dialog is
    // shown any more; each call takes the next answer (an int for MsgBox, a
    // string for InputBox, BrowseFolder and OpenFileName, a bool for ShellOpen and ShowTextFile) or, when the
    // script is used up, the headless default; and each call is recorded.
    // It also clears the record. reset() leaves scripted mode.
    static void scriptAnswers(const QVariantList& answers);
    static const QList<Shown>& shown();
    static void reset();

    static bool scripted();
    static bool headless();
    // Someone can answer a window shown modally: neither scripted nor headless.
    static bool interactive() { return !scripted() && !headless(); }
    // The answer of a box that nobody can click: OK for OK only, No for Yes/No,
    // Abort for Abort/Retry/Ignore, Cancel for the others.
    static int defaultAnswer(int style);
};

}  // namespace platform
