// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <memory>
#include <vector>

#include <minizip/unzip.h>
#include <minizip/zip.h>
#include <zlib.h>

#include "platform/ZipFileIo.h"

namespace platform {

// What the archive knows of one entry.
struct ZipEntryRecord {
    QString name;               // stored name, folders separated by "/"
    quint32 flags = 0;          // general purpose bit flags
    quint32 method = 0;         // 0 stored, 8 deflated
    quint32 versionMadeBy = 0;
    quint32 externalAttributes = 0;
    quint32 crc = 0;
    quint64 compressedSize = 0;
    quint64 uncompressedSize = 0;
    QDateTime modified;         // local date and time of the entry
    qint64 modifiedSecs = 0;    // the same as seconds since 1970 (UTC)
    bool hasModified = false;
    bool replaced = false;      // a later entry of the same name replaces it at Close
    bool failed = false;        // left unfinished by a failed add: never listed, dropped at Close
    unz64_file_pos position{};  // where the reader finds it
};

// The open archive behind a ZipArchiveComponent, shared with its Files
// collection and its entries. Reading goes through minizip's unzip side,
// writing through its zip side (appending in place after the old entries);
// files are deflated here with zlib in one pass as they are read.
class ZipArchiveState {
public:
    ZipArchiveState();
    ~ZipArchiveState();
    ZipArchiveState(const ZipArchiveState&) = delete;
    ZipArchiveState& operator=(const ZipArchiveState&) = delete;

    bool isOpen() const { return open_; }
    quint64 session() const { return session_; }

    void create(const QString& windowsPath);
    void open(const QString& windowsPath);
    void close();

    QString comment() const;
    void setComment(const QString& text);

    int count() const { return int(visible_.size()); }
    int physicalIndex(int visibleIndex) const;
    const ZipEntryRecord& record(int physicalIndex) const { return entries_[size_t(physicalIndex)]; }

    void addFile(const QString& windowsPath, int level, bool storePath, bool overwrite);
    void extract(int physicalIndex, quint64 session, const QString& windowsFolder);

    // The stored name for a Windows path: the path below its drive or share
    // root, "." and ".." resolved, folders separated by "/".
    static QString entryNameFor(const QString& windowsPath, bool storePath);

private:
    void requireOpen() const;
    void resetToClosed();
    void listDirectory(bool refreshPositionsOnly);
    void openReader();
    void closeReader();
    void openWriter();
    void commitWriter();
    void compact();
    [[noreturn]] void failWriter(const QString& what);
    void ensureDeflater(int level);

    bool open_ = false;
    quint64 session_ = 1;
    QString windowsPath_;
    QString hostPath_;
    QByteArray comment_;
    std::vector<ZipEntryRecord> entries_;
    std::vector<int> visible_;

    std::unique_ptr<ZipFileIo> readerIo_;
    unzFile reader_ = nullptr;
    bool positionsValid_ = false;

    std::unique_ptr<ZipFileIo> writerIo_;
    zipFile writer_ = nullptr;

    bool damaged_ = false;
    int damageNumber_ = 0;
    QString damageText_;

    z_stream deflater_{};
    int deflaterLevel_ = -1;
    std::vector<unsigned char> inBuf_;
    std::vector<unsigned char> outBuf_;
};

}  // namespace platform
