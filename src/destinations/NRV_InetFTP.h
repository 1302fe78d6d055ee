// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

// FTP transfers of a run: the connection test with the listing of the
// remote backup folder, the retrieval of files and the upload of an archive
// and its log, with the profile's FTP settings.
//
// FTP transfers are not offered yet: each call puts one line at the top of
// the run log saying so and returns false, so no run reports a transfer it
// did not make.

// Connects to the remote backup folder (extended by `subFolder`), lists it
// into lstServerFiles and closes the connection. True when both worked.
bool FTPtest_connection(const QString& subFolder, bool createFolders);

// Fetches `remoteName` (every listed file when `localName` is empty) into
// `localFolder`. True when every requested file was fetched.
bool FTPretrieve_files(const QString& subFolder, const QString& remoteName,
                       const QString& localFolder, const QString& localName);

// Sends `localPath` to the remote backup folder under the file-name part of
// `remoteName`. True on success.
bool FTPcopy_files(bool flag, const QString& localPath, const QString& remoteName);
