// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

#include "platform/InetControl.h"

// The FTP client of the program. It drives the main window's transfer
// control Inet2 and turns its asynchronous commands into blocking
// operations: connect and walk into the remote folder, upload one file, list
// and download files, delete a file, check the connection. Each step is shown
// in lblFTPstatus and put on top of the run log (without the run's length
// cap); a listing lands in lstServerFiles.
//
// A connection lives for one operation: the first "DIR" connects (and lists
// the login folder), the operation's commands follow, "CLOSE" ends it. The
// connection settings are read from the main window's controls at the start
// of every operation.
//
// A command whose request ends in the failure state fails the operation
// (except "MKDIR", where a folder that exists already is expected), so a
// refused login, upload or download is never reported as done. Waiting lets
// pending events run (the Stop command, timers); every command is followed
// by a one-second settle wait for late state events.

// --- the operations; true on success ---
// One runs at a time: an operation called while another one is under way
// (from an event handled during its waits) fails at once.

// Uploads `LocalFile` into the remote base folder (txtFTPdir) extended by the
// folder part of `RemotePath`, under its file part. `CreateFolders`: missing
// remote folders are created. The file goes up under its temporary name
// (FtpPartName), its size on the server is compared with the local one, and
// only then is it renamed onto its name: a cut or refused transfer never
// touches a file of that name on the server. A partial file is deleted when
// the server lets it.
bool FTPcopy_files(bool CreateFolders, const QString& LocalFile, const QString& RemotePath);

// The name a file has on the server while it is uploaded: "<name>.part".
QString FtpPartName(const QString& name);

// Why `LocalDir` cannot take fetched files, or "" when it can: it is empty or
// blank, lies on no drive, cannot be created (it is created when missing) or
// cannot be written to.
QString LocalFolderProblem(const QString& LocalDir);

// Lists the files matching `Mask` in the remote folder (txtFTPdir &
// `SubPath`) and fetches them into `LocalDir` (created when missing; a
// folder that cannot take them fails the retrieval before anything is sent,
// see LocalFolderProblem): under
// their own names when `LocalName` is empty, else only the entry equal to
// `Mask`, stored as `LocalName`. Folders are passed over; a file that cannot
// be fetched is written to the error log with the server's answer, and the
// retrieval goes on with the next one. True when at least one file was
// requested and every requested file arrived whole.
bool FTPretrieve_files(const QString& SubPath, const QString& Mask, const QString& LocalDir,
                       const QString& LocalName);

// Deletes `RemoteName` in the remote base folder.
bool FTPdelete_files(bool CreateFolders, const QString& RemoteName);

// Connects into the remote folder and lists it; the listing stays in
// lstServerFiles.
bool FTPtest_connection(const QString& SubPath, bool CreateFolders);

// --- the steps ---

// Connects (the first "DIR") and walks into txtFTPdir & SubPath.
bool FTP_ini(bool CreateFolders, const QString& SubPath);
// Sends one command and waits until it ended. False when it could not be
// started or the server refused it (a refused "MKDIR" still counts as sent).
bool SendCommand(const platform::FtpCommand& Command);
// Walks the remote path segment by segment ("/" before "\"), creating each
// folder first when `Create`.
bool CreateChange_FTPDirectory(const QString& Path, bool Create);
void FTP_Reset();
void FTP_Close();
// The state handler behind fMainForm's Inet2_StateChanged.
void InetFTP_StateChanged(qint16 State);

// Why the last operation failed: the command that failed and what the server
// (or, without an answer, the connection) said. Cleared when an operation
// starts.
struct FtpFailure {
    QString command;    // the command's text, as the run log shows it
    qint32 code = 0;    // the server's reply code (100 or more), else the transfer library's error
    QString answer;     // the server's text, or the library's
    bool login = false; // the server refused the login
    // "530 Login incorrect.", or the text alone when no reply code came.
    QString Answer() const;
};
const FtpFailure& FtpLastFailure();

// The last failure in words for the error log, `action` naming what was
// under way ("upload of x.zip"): "FTP login failed: 530 Login incorrect.
// (upload of x.zip)" for a refused login, else "FTP upload of x.zip failed:
// 452 Insufficient storage space." (with the failed step named where it was
// not the transfer itself).
QString FtpFailureText(const QString& action);

// The remote port of a port text: a whole number from 1 to 65535. Raises 13
// for text that is not a number, 6 outside the range.
qint32 FtpPortNumber(const QString& text);

// An operation is under way.
bool FtpOperationRunning();

// --- module state ---
extern bool FtpListing;      // the next completion delivers a listing
extern bool FtpDownloading;  // the next completion delivers a download

// Waits as the module does (Wait of whole seconds, events running).
void FtpWait(qint32 Seconds);

// The main window's FTP control (made on first use, its StateChanged
// connected to Inet2_StateChanged).
platform::InetControl& FtpControl();

// Tests: waits last `waitScale` times as long, and the request time-outs
// (60 s until the first "DIR" succeeded, 20 s after it) become the given
// seconds. Reset with (1.0, 60, 20).
void SetFtpTimingForTest(double waitScale, qint32 connectTimeout, qint32 commandTimeout);
