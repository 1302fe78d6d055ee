// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <sys/stat.h>
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <array>
#include <bit>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <zlib.h>

namespace platform {

// Reads an open file from its start to its end and deflates it as the
// archive stores it (raw deflate, window 15, memory level 8, the default
// strategy; level 0 keeps the bytes as they are), handing the output to a
// sink. The writer and the read-ahead workers both use it, so an entry's
// bytes never depend on which of them read the file.
class FileDeflater {
public:
    FileDeflater() = default;
    ~FileDeflater();
    FileDeflater(const FileDeflater&) = delete;
    FileDeflater& operator=(const FileDeflater&) = delete;

    struct Result {
        uLong crc = 0;
        quint64 usize = 0;
        quint64 csize = 0;
        int readErrno = 0;   // the read that cut the file short; 0 when read to its end
        bool gaveUp = false; // the sink or stop() ended it early, or zlib failed
        bool deflateFailed = false;
    };
    // sink(data, n) returns false to give up (the result is then incomplete).
    // stop(), when given, is asked between blocks. Raises out of memory when
    // zlib cannot be set up.
    Result run(int fd, int method, int level, bool zip64,
               const std::function<bool(const unsigned char*, size_t)>& sink,
               const std::function<bool()>& stop = {});

    // How a file of this size is stored at a level, and whether its entry
    // gets ZIP64 headers.
    static int MethodFor(int level, qint64 size) { return (level == 0 || size == 0) ? 0 : Z_DEFLATED; }
    static bool Zip64For(qint64 size) { return quint64(size) >= kZip64Threshold; }

    static constexpr quint64 kZip64Threshold = 0xF0000000ull;   // files this large get ZIP64 headers
    static constexpr quint64 kPlainEntryLimit = 0xF8000000ull;  // an entry without them stops here

private:
    void ensure(int level);
    z_stream z_{};
    int level_ = -1;
    std::vector<unsigned char> in_;
    std::vector<unsigned char> out_;
};

// The opening of a source file as the archive does it: read-only, without
// updating the access time where allowed, and without blocking (a FIFO in
// the file's place must not wait for a writer).
int OpenSourceFile(const QByteArray& encodedHostPath);

class DeflateAhead;

// A piece of a stored file's bytes as a worker read them.
struct StoredPiece {
    std::unique_ptr<unsigned char[]> bytes;
    size_t capacity = 0;
    size_t size = 0;
};

// What a worker made of one file ahead of its turn.
struct DeflatedFile {
    int openErrno = 0;          // open or fstat failed with this
    struct stat st {};          // the file as it was opened
    bool regular = false;
    int method = 0;             // 0 stored, Z_DEFLATED
    bool zip64 = false;
    FileDeflater::Result result;
    std::vector<unsigned char> data;  // the entry's stored bytes, or
    int spillFd = -1;                 // a file without a name that holds them, or
    // for a file kept as it is (level 0), its bytes in pieces handed over by
    // DeflateAhead::nextPiece while the worker still reads them; `result`
    // is complete once the last piece was taken.
    struct Stream;
    std::shared_ptr<Stream> stream;
    DeflateAhead* owner = nullptr;
    ~DeflatedFile();  // a stream not taken to its end is given up
};

// Reads and deflates the files that the archive is told will come next, on
// worker threads, holding the output until the writer takes it in order. The
// memory held is bounded: the output of a file that could need more than a
// quarter of the bound goes to a private file without a name in the spill
// folder (the archive's own folder), and the bytes held there are bounded
// too; where that cannot be made, the file is left to the writer, which
// reads it itself while the workers go on with the files after it.
class DeflateAhead {
public:
    DeflateAhead(size_t boundBytes, int threads, const QByteArray& spillFolder,
                 quint64 spillBound = quint64(4) << 30);
    ~DeflateAhead();  // drops what is held and ends the workers
    DeflateAhead(const DeflateAhead&) = delete;
    DeflateAhead& operator=(const DeflateAhead&) = delete;

    // Queues files: (the Windows path the writer will be given, the host path).
    void enqueue(const QList<QPair<QString, QByteArray>>& files, int level);
    // The result for the next queued file with this key and level: waits
    // until it is ready, and drops the queued files before it, which the
    // writer has passed over. Null when the file was not queued, or was left
    // to the writer.
    std::unique_ptr<DeflatedFile> take(const QString& key, int level);
    // Drops every queued file.
    void clear();

    // The next piece of a streamed file's bytes, in order, waiting until the
    // worker has read it; false at the end of the file (its result is then
    // set). The piece's memory is no longer counted against the bound.
    bool nextPiece(DeflatedFile& file, StoredPiece* piece);
    // Gives a piece's memory back for the next pieces.
    void givePiece(StoredPiece&& piece);

    // The most that any read-ahead held at once since the last reset; for tests.
    static size_t PeakHeldEver();
    static void ResetPeakHeldEver();

private:
    struct Job;
    void work();
    void dropLocked(const std::shared_ptr<Job>& job);
    void popFrontLocked(bool drop);
    void releaseLocked(Job& job);
    bool abandonLocked(DeflatedFile::Stream& stream);  // true when it gave room back
    void wakeStreamLocked(const std::shared_ptr<Job>& job);
    void givePieceLocked(StoredPiece&& piece);
    void stream(const std::shared_ptr<Job>& job, std::unique_ptr<DeflatedFile> out, int fd);
    friend struct DeflatedFile;

    const size_t bound_;
    const size_t jobLimit_;
    const QByteArray spillFolder_;
    const quint64 spillBound_;
    const size_t piece_;        // bytes of a stored file's piece
    const size_t streamBound_;  // pieces held for files the writer has not come to
    const size_t wakeBatch_;    // memory given back before the workers waiting for room are woken
    size_t freedSinceWake_ = 0;
    bool freedEnough(size_t bytes);
    // Pieces given back, by their capacity (a full piece, or a power of two
    // below it), to be used again; at most the stream bound is kept.
    std::array<std::vector<std::unique_ptr<unsigned char[]>>, 65> freePieces_;
    size_t pooled_ = 0;
    size_t pieceClass(size_t capacity) const { return capacity == piece_ ? 64 : size_t(std::countr_zero(capacity)); }
    quint64 spilled_ = 0;
    mutable std::mutex m_;
    std::condition_variable wake_;    // workers: a job was queued, or the end
    std::condition_variable room_;    // workers: room was freed
    std::condition_variable done_;    // the writer: a job finished
    int waitingForRoom_ = 0;
    bool writerWaiting_ = false;
    const Job* awaited_ = nullptr;             // the file the writer waits for in take()
    std::deque<std::shared_ptr<Job>> queue_;   // not yet taken by the writer, in order
    size_t next_ = 0;                          // the first of them no worker has picked
    size_t held_ = 0;
    size_t streamHeld_ = 0;                    // of held_, the pieces of stored files
    bool ending_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace platform
