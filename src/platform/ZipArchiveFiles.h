// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>

#include <memory>

#include "platform/ZipArchiveEntry.h"

namespace platform {

class ZipArchiveState;

// The entry collection of the open archive (ZipArchiveComponent::Files()).
class ZipArchiveFiles {
public:
    explicit ZipArchiveFiles(std::shared_ptr<ZipArchiveState> state) : state_(std::move(state)) {}

    // Number of entries; 0 when no archive is open. An entry replaced in this
    // session still counts until the archive is closed, so a stored file
    // always makes the count grow by one.
    qint32 Count() const;
    // The entries the archive holds once it is closed: Count without those
    // replaced in this session.
    qint32 Kept() const;
    // Entries of an archive opened with OpenToRead that are left out of the
    // list because their own header does not match the directory.
    qint32 Refused() const;

    // The entry at a zero-based index, given as a number or its text
    // (error 9 outside 0 .. Count - 1, 13 for a text that is no number).
    ZipArchiveEntry Item(qint32 index) const;
    ZipArchiveEntry Item(const QString& index) const;

    // Read the file (a Windows path) and store it deflated at `level` 0 to 9
    // (0 stores it as it is) as the last entry. With `storePath` the name is
    // the path below the drive root, otherwise the file name only. With
    // `overwrite` an entry of the same name is replaced: it stays listed
    // until Close and is then dropped from the archive. The entry's sizes are
    // known when this returns; the file is not needed any more. With
    // `storedAs` (a Windows path) the entry is named as a file of that path
    // would be, whatever the path of the file read.
    void AddFileByName(const QString& path, qint32 level, bool storePath, bool overwrite,
                       const QString& storedAs = {});
    // The files (Windows paths) that will be added next at `level`, in their
    // order: they are read and deflated ahead on other threads, and
    // AddFileByName then stores exactly what it would have stored reading
    // them itself. A later call adds to the list; the files the adds pass
    // over are dropped.
    // `hostPaths`, when the caller knows them, holds each file's host path
    // in the same order ("" for one to be mapped here).
    void Prefetch(const QStringList& paths, qint32 level, const QStringList& hostPaths = {});

private:
    std::shared_ptr<ZipArchiveState> state_;
};

}  // namespace platform
