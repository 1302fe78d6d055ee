// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <QString>

#include <memory>

#include "platform/ZipArchiveEntry.h"
#include "platform/ZipArchiveFiles.h"

namespace platform {

class ZipArchiveState;

// The ZIP archive component: one archive at a time, created or opened by its
// Windows path. Every failure raises vb::VbError (53 file not found, 70
// permission denied, 61 disk full, 321 not a ZIP archive or damaged, 91 no
// archive open, ...).
//
// The archives are ordinary ZIP files: deflate, UTF-8 names, ZIP64 where an
// entry or the archive reaches 4 GiB, the modification time in DOS form and
// in the extended time-stamp field.
class ZipArchiveComponent {
public:
    // Called again and again while a file is being stored (between blocks
    // of its data), so that a window stays live during a long file; none
    // (the default) while empty.
    static void SetWhileAdding(std::function<void()> callback);

    ZipArchiveComponent();
    ~ZipArchiveComponent();  // closes an archive still open, ignoring errors
    ZipArchiveComponent(const ZipArchiveComponent&) = delete;
    ZipArchiveComponent& operator=(const ZipArchiveComponent&) = delete;

    // A new, empty archive (an existing file is replaced); it is a valid ZIP
    // file on disk when this returns, and open for adding.
    void Create(const QString& path);
    // Open an existing archive; entries added later follow the old ones. An
    // archive with an entry whose own header does not match its directory
    // is refused (error 321).
    void Open(const QString& path);
    // Open an existing archive to read it: an entry whose own header does
    // not match is left out of Files() (counted in Files().Refused()), the
    // others are listed; nothing can be added.
    void OpenToRead(const QString& path);
    // Write pending changes (the central directory, the comment; replaced
    // entries are dropped) and close. Harmless when nothing is open.
    void Close();

    // The archive comment; setting it writes it to the file.
    QString Comment() const;
    void SetComment(const QString& text);

    ZipArchiveFiles& Files() { return files_; }
    const ZipArchiveFiles& Files() const { return files_; }

private:
    std::shared_ptr<ZipArchiveState> state_;
    ZipArchiveFiles files_;
};

}  // namespace platform
