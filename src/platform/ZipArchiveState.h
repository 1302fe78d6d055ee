// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <sys/types.h>
#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

#include <minizip/zip.h>
#include <zlib.h>

#include "platform/ZipArchiveReader.h"
#include "platform/ZipDeflateAhead.h"
#include "platform/ZipFileIo.h"
#include "platform/ZipEntryBytes.h"

namespace platform {

class KnownLinks;

// The open archive behind a ZipArchiveComponent, shared with its Files
// collection and its entries. The directory and the entries are read by
// ZipArchiveReader; entries are written through minizip (appending in place
// after the old entries), deflated here with zlib in one pass as the file
// is read.
class ZipArchiveState {
public:
    ZipArchiveState();
    ~ZipArchiveState();
    ZipArchiveState(const ZipArchiveState&) = delete;
    ZipArchiveState& operator=(const ZipArchiveState&) = delete;

    bool isOpen() const { return open_; }
    quint64 session() const { return session_; }

    void create(const QString& windowsPath);
    // Open an existing archive. An archive with an entry whose own header
    // does not match its directory is refused whole, unless `toRead`: then
    // the other entries are listed, that one is counted in refused(), and
    // nothing can be added.
    void open(const QString& windowsPath, bool toRead = false);
    void close();
    int refused() const { return refused_; }

    QString comment() const;
    void setComment(const QString& text);

    int count() const { return int(visible_.size()); }
    // The listed entries replaced in this session (dropped at close).
    int replacedCount() const { return replaced_; }
    // What addFile calls between the blocks of a file's data (may be empty).
    static std::function<void()>& WhileAdding();
    int physicalIndex(int visibleIndex) const;
    const ZipDirectory& directory() const { return entries_; }

    void addFile(const QString& windowsPath, int level, bool storePath, bool overwrite,
                 const QString& storedAs = {});
    // The files that will be added next, in their order: worker threads read
    // and deflate them ahead while the archive is written in order. Files
    // added without such a hint, or in another order, are read when added.
    // A later call adds to the list.
    void prefetch(const QStringList& windowsPaths, int level, const QStringList& hostPaths = {});
    // How many threads read ahead (0: none, every file is read when added),
    // and the most memory the read-ahead holds; for tests and measurements.
    static void setReadAhead(int threads, size_t boundBytes);
    static int readAheadThreads();
    void extract(int physicalIndex, quint64 session, const QString& windowsFolder, const KnownLinks* known);

    // The stored name for a Windows path: the path below its drive or share
    // root, "." and ".." resolved, folders separated by "/".
    static QString entryNameFor(const QString& windowsPath, bool storePath);

private:
    void requireOpen() const;
    void resetToClosed();
    void readDirectory(bool keepMarks);
    void closeReader();
    void openWriter();
    void commitWriter();
    void compact();
    [[noreturn]] void failWriter(const QString& what);

    bool open_ = false;
    bool selfKnown_ = false;  // the archive file's identity, for the add of a file onto itself
    dev_t selfDev_ = 0;
    ino_t selfIno_ = 0;
    quint64 session_ = 1;
    QString windowsPath_;
    QString hostPath_;
    QByteArray comment_;
    ZipDirectory entries_;
    std::vector<int> visible_;                        // physical indices of the listed entries
    int replaced_ = 0;                                // of them, those replaced in this session
    int refused_ = 0;                                 // entries left out for a header that does not match
    QString firstRefusal_;
    // The entries not replaced, by name: the newest of each name here, and
    // for each entry the one of its name before it (-1 for none).
    ZipNameIndex liveByName_;
    std::vector<int> earlierSameName_;
    bool namesIndexed_ = true;   // false: liveByName_ is made when first needed
    void indexNames();

    std::unique_ptr<ZipArchiveReader> reader_;  // open while the file matches entries_

    std::unique_ptr<ZipFileIo> writerIo_;
    zipFile writer_ = nullptr;
    ZipDirectorySpill* directorySpill_ = nullptr;   // of writerIo_, or null
    int entriesSinceSpill_ = 0;

    bool damaged_ = false;
    int damageNumber_ = 0;
    QString damageText_;

    FileDeflater deflater_;
    std::unique_ptr<DeflateAhead> ahead_;
};

}  // namespace platform
