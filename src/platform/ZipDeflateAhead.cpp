// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ZipDeflateAhead.h"

#include <algorithm>
#include <bit>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "vb/VbError.h"

namespace platform {
namespace {
constexpr size_t kIoBlock = size_t(1) << 20;
constexpr size_t kSmallestPiece = 4096;
std::atomic<size_t> peakEver{0};
}

// --- FileDeflater ----------------------------------------------------------

FileDeflater::~FileDeflater() {
    if (level_ >= 0)
        deflateEnd(&z_);
}

void FileDeflater::ensure(int level) {
    if (level_ == level) {
        deflateReset(&z_);
        return;
    }
    if (level_ >= 0)
        deflateEnd(&z_);
    level_ = -1;
    std::memset(&z_, 0, sizeof z_);
    if (deflateInit2(&z_, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        vb::Raise(vb::errOutOfMemory);
    level_ = level;
}

FileDeflater::Result FileDeflater::run(int fd, int method, int level, bool zip64,
                                       const std::function<bool(const unsigned char*, size_t)>& sink,
                                       const std::function<bool()>& stop) {
    Result r;
    r.crc = crc32(0L, Z_NULL, 0);
    if (method == Z_DEFLATED)
        ensure(level);
    in_.resize(kIoBlock);
    out_.resize(kIoBlock / 2);
    auto put = [&](const unsigned char* data, size_t n) {
        if (n == 0 || r.gaveUp)
            return;
        if (!sink(data, n))
            r.gaveUp = true;
        r.csize += n;
    };
    auto drain = [&](int flush) {
        do {
            z_.next_out = out_.data();
            z_.avail_out = uInt(out_.size());
            if (deflate(&z_, flush) == Z_STREAM_ERROR) {
                r.deflateFailed = r.gaveUp = true;
                return;
            }
            put(out_.data(), out_.size() - z_.avail_out);
        } while (z_.avail_out == 0 && !r.gaveUp);
    };
    for (;;) {
        if (r.gaveUp || (stop && stop())) {
            r.gaveUp = true;
            return r;
        }
        size_t want = in_.size();
        if (!zip64) {
            // Without ZIP64 headers an entry must stay below 4 GiB, even if the file grows.
            const quint64 room = kPlainEntryLimit - std::max(r.usize, r.csize);
            if (room == 0)
                break;
            want = size_t(std::min<quint64>(want, room));
        }
        const ssize_t got = ::read(fd, in_.data(), want);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            r.readErrno = errno;
            break;
        }
        if (got == 0)
            break;
        r.crc = crc32(r.crc, in_.data(), uInt(got));
        r.usize += quint64(got);
        if (method == Z_DEFLATED) {
            z_.next_in = in_.data();
            z_.avail_in = uInt(got);
            drain(Z_NO_FLUSH);
        } else {
            put(in_.data(), size_t(got));
        }
    }
    if (method == Z_DEFLATED && !r.gaveUp) {
        z_.next_in = nullptr;
        z_.avail_in = 0;
        drain(Z_FINISH);
    }
    return r;
}

int OpenSourceFile(const QByteArray& encodedHostPath) {
    int fd = ::open(encodedHostPath.constData(), O_RDONLY | O_CLOEXEC | O_NOATIME | O_NONBLOCK);
    if (fd < 0 && errno == EPERM)
        fd = ::open(encodedHostPath.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    // (O_NONBLOCK stays: reads of a regular file never wait either way.)
    return fd;
}

// --- DeflateAhead ----------------------------------------------------------

struct DeflatedFile::Stream {
    std::deque<StoredPiece> ready;  // read, not yet taken by the writer
    size_t held = 0;                // memory of the pieces read or being read, not yet taken
    bool ended = false;             // the worker read its last piece
    bool abandoned = false;         // the writer or the queue gave the file up
    FileDeflater::Result result;
    // The worker waits here for the writer to take its pieces (or for the
    // file to become the writer's); for room shared with the others it
    // waits with them.
    std::condition_variable room;
    bool waiting = false;
};

struct DeflateAhead::Job {
    // Streaming: the file's bytes are being read into pieces, which the
    // writer may take as they come.
    enum State { Queued, Working, Streaming, Done, Left };
    QString key;
    QByteArray host;
    int level = 0;
    State state = Queued;
    size_t reserved = 0;       // bytes of memory
    quint64 spillReserved = 0; // bytes of the spill folder
    std::atomic<bool> dropped{false};
    bool taken = false;        // the writer takes its pieces
    // Its worker waits for room shared with the others: to deflate the
    // file into, or for the next piece of a file kept as it is.
    enum RoomWait { NoWait, ToDeflate, ForPiece };
    RoomWait roomWait = NoWait;
    std::unique_ptr<DeflatedFile> out;
};

DeflatedFile::~DeflatedFile() {
    if (spillFd >= 0)
        ::close(spillFd);
    if (stream && owner) {
        bool roomFreed = false;
        {
            std::lock_guard lk(owner->m_);
            roomFreed = owner->abandonLocked(*stream) && owner->waitingForRoom_ > 0;
        }
        if (roomFreed)
            owner->room_.notify_all();
    }
}

DeflateAhead::DeflateAhead(size_t boundBytes, int threads, const QByteArray& spillFolder, quint64 spillBound)
    : bound_(boundBytes), jobLimit_(boundBytes / 4), spillFolder_(spillFolder), spillBound_(spillBound),
      piece_(std::clamp<size_t>(boundBytes / 8, 4096, kIoBlock)),
      // Stored files need little read ahead: reading and checksumming a
      // piece is quicker than writing it, and memory first touched is dear.
      streamBound_(std::min(boundBytes - boundBytes / 4, size_t(48) << 20)),
      wakeBatch_(std::max(piece_, streamBound_ / 8)) {
    for (int i = 0; i < std::max(threads, 1); ++i)
        threads_.emplace_back([this] { work(); });
}

DeflateAhead::~DeflateAhead() {
    {
        std::lock_guard lk(m_);
        ending_ = true;
        for (const auto& j : queue_) {
            j->dropped = true;
            if (j->out && j->out->stream)
                j->out->stream->room.notify_one();
        }
    }
    wake_.notify_all();
    room_.notify_all();
    for (std::thread& t : threads_)
        t.join();
    for (const auto& j : queue_) {
        if (j->out)
            j->out->owner = nullptr;
    }
}

void DeflateAhead::enqueue(const QList<QPair<QString, QByteArray>>& files, int level) {
    {
        std::lock_guard lk(m_);
        for (const auto& [key, host] : files) {
            auto job = std::make_shared<Job>();
            job->key = key;
            job->host = host;
            job->level = level;
            queue_.push_back(std::move(job));
        }
    }
    // One wake for the whole list: the workers then take job after job.
    wake_.notify_all();
}

void DeflateAhead::releaseLocked(Job& job) {
    held_ -= job.reserved;
    job.reserved = 0;
    spilled_ -= job.spillReserved;
    job.spillReserved = 0;
}

void DeflateAhead::popFrontLocked(bool drop) {
    if (drop)
        dropLocked(queue_.front());
    queue_.pop_front();
    if (next_ > 0)
        --next_;
}

void DeflateAhead::wakeStreamLocked(const std::shared_ptr<Job>& job) {
    if (job && job->out && job->out->stream && job->out->stream->waiting)
        job->out->stream->room.notify_one();
}

bool DeflateAhead::abandonLocked(DeflatedFile::Stream& stream) {
    if (!stream.abandoned && !stream.ended)
        stream.room.notify_one();
    stream.abandoned = true;
    const bool freed = !stream.ready.empty();
    for (StoredPiece& p : stream.ready) {
        held_ -= p.capacity;
        streamHeld_ -= p.capacity;
        stream.held -= p.capacity;
        givePieceLocked(std::move(p));
    }
    stream.ready.clear();
    return freed;
}

void DeflateAhead::givePieceLocked(StoredPiece&& piece) {
    if (piece.bytes && pooled_ + piece.capacity <= streamBound_) {
        freePieces_[pieceClass(piece.capacity)].push_back(std::move(piece.bytes));
        pooled_ += piece.capacity;
    }
    piece.bytes.reset();
}

void DeflateAhead::givePiece(StoredPiece&& piece) {
    std::lock_guard lk(m_);
    givePieceLocked(std::move(piece));
}

// Memory the writer gave back wakes the workers waiting for room once it
// adds up to a few pieces: woken for every piece, they would mostly find too
// little and wait again, and each wake costs the writer a system call.
bool DeflateAhead::freedEnough(size_t bytes) {
    freedSinceWake_ += bytes;
    if (freedSinceWake_ < wakeBatch_)
        return false;
    freedSinceWake_ = 0;
    return true;
}

bool DeflateAhead::nextPiece(DeflatedFile& file, StoredPiece* piece) {
    DeflatedFile::Stream& s = *file.stream;
    std::unique_lock lk(m_);
    if (s.ready.empty() && !s.ended) {
        // Its worker may have gone to wait for room before the file was the
        // writer's: it goes beyond the bound now.
        if (waitingForRoom_ > 0)
            room_.notify_all();
        writerWaiting_ = true;
        done_.wait(lk, [&] { return !s.ready.empty() || s.ended; });
        writerWaiting_ = false;
    }
    if (s.ready.empty()) {
        file.result = s.result;
        return false;
    }
    *piece = std::move(s.ready.front());
    s.ready.pop_front();
    held_ -= piece->capacity;
    streamHeld_ -= piece->capacity;
    s.held -= piece->capacity;
    const bool roomFreed = waitingForRoom_ > 0 && freedEnough(piece->capacity);
    const bool workerWaits = s.waiting;
    lk.unlock();
    if (workerWaits)
        s.room.notify_one();
    if (roomFreed)
        room_.notify_all();
    return true;
}

void DeflateAhead::dropLocked(const std::shared_ptr<Job>& job) {
    job->dropped = true;
    if (job->out && job->out->stream) {
        abandonLocked(*job->out->stream);
        job->out->owner = nullptr;
        job->out.reset();
    }
    if (job->state == Job::Done) {
        releaseLocked(*job);
        job->out.reset();
    }
    // A job at work gives its room back when its worker sees the drop.
}

std::unique_ptr<DeflatedFile> DeflateAhead::take(const QString& key, int level) {
    std::unique_lock lk(m_);
    const auto it = std::find_if(queue_.begin(), queue_.end(),
                                 [&](const auto& j) { return j->key == key && j->level == level; });
    if (it == queue_.end())
        return nullptr;
    // The files before it were passed over by the writer.
    while (queue_.front()->key != key || queue_.front()->level != level)
        popFrontLocked(true);
    const std::shared_ptr<Job> job = queue_.front();
    wakeStreamLocked(job);  // it is the writer's now
    const auto ready = [&] { return job->state == Job::Done || job->state == Job::Left || job->state == Job::Streaming; };
    if (!ready()) {
        // It is the first now: it may take room beyond the others.
        if (waitingForRoom_ > 0)
            room_.notify_all();
        writerWaiting_ = true;
        awaited_ = job.get();
        done_.wait(lk, ready);
        awaited_ = nullptr;
        writerWaiting_ = false;
    }
    popFrontLocked(false);
    std::unique_ptr<DeflatedFile> out;
    const size_t released = job->reserved;
    if (job->state == Job::Done || job->state == Job::Streaming) {
        releaseLocked(*job);
        out = std::move(job->out);
        job->taken = true;
    }
    if (!queue_.empty())
        wakeStreamLocked(queue_.front());
    // The file taken, and a file to deflate that is next now, may go beyond
    // the bound: a worker of theirs that waits for room is woken at once.
    const bool roomFreed =
        waitingForRoom_ > 0 && (freedEnough(released) || job->roomWait != Job::NoWait ||
                                (!queue_.empty() && queue_.front()->roomWait == Job::ToDeflate));
    lk.unlock();
    if (roomFreed)
        room_.notify_all();
    return out;
}

void DeflateAhead::clear() {
    {
        std::lock_guard lk(m_);
        for (const auto& j : queue_)
            dropLocked(j);
        queue_.clear();
        next_ = 0;
    }
    room_.notify_all();
}


size_t DeflateAhead::PeakHeldEver() { return peakEver.load(); }
void DeflateAhead::ResetPeakHeldEver() { peakEver = 0; }

void DeflateAhead::work() {
    FileDeflater deflater;
    for (;;) {
        std::shared_ptr<Job> job;
        {
            std::unique_lock lk(m_);
            wake_.wait(lk, [&] { return ending_ || next_ < queue_.size(); });
            if (ending_)
                return;
            job = queue_[next_++];
            job->state = Job::Working;
        }
        auto finish = [&](Job::State state, std::unique_ptr<DeflatedFile> out) {
            bool roomFreed = false;
            bool writerWaits = false;
            {
                std::lock_guard lk(m_);
                if (job->dropped) {
                    roomFreed = job->reserved > 0 || job->spillReserved > 0;
                    releaseLocked(*job);
                } else {
                    job->out = std::move(out);
                }
                job->state = state;
                writerWaits = writerWaiting_;
                roomFreed = roomFreed && waitingForRoom_ > 0;
            }
            if (writerWaits)
                done_.notify_one();
            if (roomFreed)
                room_.notify_all();
        };

        auto out = std::make_unique<DeflatedFile>();
        const int fd = OpenSourceFile(job->host);
        if (fd < 0 || ::fstat(fd, &out->st) != 0) {
            out->openErrno = errno;
            if (fd >= 0)
                ::close(fd);
            finish(Job::Done, std::move(out));
            continue;
        }
        struct Fd {
            int fd;
            ~Fd() { ::close(fd); }
        } guard{fd};
        out->regular = S_ISREG(out->st.st_mode);
        if (!out->regular) {
            finish(Job::Done, std::move(out));
            continue;
        }
        const qint64 size = out->st.st_size;
        out->method = FileDeflater::MethodFor(job->level, size);
        out->zip64 = FileDeflater::Zip64For(size);
        if (out->method == 0) {
            stream(job, std::move(out), fd);
            continue;
        }
        const size_t need =
            out->method == 0 ? size_t(size) : size_t(compressBound(uLong(std::min<qint64>(size, 0x7FFFFFFF))));
        // A large output goes to a file without a name beside the archive.
        const bool spill = size >= qint64(jobLimit_) || need > jobLimit_;
        if (spill && !out->zip64 && !spillFolder_.isEmpty())
            out->spillFd = ::open(spillFolder_.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (spill && out->spillFd < 0) {
            finish(Job::Left, nullptr);
            continue;
        }
        {
            // Room: within the bound less one file's share, or beyond it for
            // the file the writer will take next (so the writer never waits
            // on a worker that waits on the writer).
            std::unique_lock lk(m_);
            ++waitingForRoom_;
            job->roomWait = Job::ToDeflate;
            room_.wait(lk, [&] {
                if (ending_ || job->dropped || (!queue_.empty() && queue_.front() == job))
                    return true;
                return spill ? spilled_ + need <= spillBound_ : held_ + need <= bound_ - jobLimit_;
            });
            job->roomWait = Job::NoWait;
            --waitingForRoom_;
            if (ending_ || job->dropped) {
                lk.unlock();
                finish(Job::Left, nullptr);
                continue;
            }
            if (spill) {
                spilled_ += need;
                job->spillReserved = need;
            } else {
                held_ += need;
                job->reserved = need;
                size_t seen = peakEver.load();
                while (held_ > seen && !peakEver.compare_exchange_weak(seen, held_)) {
                }
            }
        }
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
        std::vector<unsigned char>& data = out->data;
        const int spillFd = out->spillFd;
        quint64 spilledBytes = 0;
        bool failed = false;
        try {
            if (!spill)
                data.reserve(need);
            out->result = deflater.run(
                fd, out->method, job->level, out->zip64,
                [&](const unsigned char* p, size_t n) {
                    // A file that grew past its room is left to the writer,
                    // which reads it again.
                    if (spill) {
                        if (spilledBytes + n > need)
                            return false;
                        size_t done = 0;
                        while (done < n) {
                            const ssize_t w = ::write(spillFd, p + done, n - done);
                            if (w < 0 && errno == EINTR)
                                continue;
                            if (w <= 0)
                                return false;
                            done += size_t(w);
                        }
                        spilledBytes += n;
                        return true;
                    }
                    if (data.size() + n > need)
                        return false;
                    data.insert(data.end(), p, p + n);
                    return true;
                },
                [&] { return job->dropped.load(); });
        } catch (...) {
            failed = true;  // no memory for zlib: the writer tries itself
        }
        if (failed || out->result.gaveUp) {
            {
                std::lock_guard lk(m_);
                releaseLocked(*job);
            }
            finish(Job::Left, nullptr);
            continue;
        }
        finish(Job::Done, std::move(out));
    }
}

// A file kept as it is: read to its end in pieces, each checksummed as it
// comes, which the writer takes in order while the next are read. The front
// file (the writer's) may hold a few pieces of its own beyond the others, so
// that the writer never waits on a worker that waits for room.
void DeflateAhead::stream(const std::shared_ptr<Job>& job, std::unique_ptr<DeflatedFile> out, int fd) {
    const auto s = std::make_shared<DeflatedFile::Stream>();
    out->stream = s;
    out->owner = this;
    const bool zip64 = out->zip64;
    const quint64 expected = quint64(out->st.st_size);
    bool writerWaits = false;
    {
        std::lock_guard lk(m_);
        if (job->dropped) {
            out->owner = nullptr;
            job->state = Job::Left;
            return;
        }
        // The writer is handed the file with its first piece (a small file
        // then comes whole, without a wait for each piece).
        job->out = std::move(out);
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    // The writer's file may run a few pieces ahead of it; a later file a
    // few less, so that one large file never keeps the small ones after it
    // from being read.
    const size_t frontLimit = std::max(piece_, std::min(jobLimit_, size_t(8) << 20));
    const size_t laterLimit = std::max(piece_, std::min(jobLimit_, size_t(4) << 20));
    uLong crc = crc32(0L, Z_NULL, 0);
    quint64 total = 0;
    int readErrno = 0;
    bool atEnd = false;
    while (!atEnd) {
        // A file smaller than a piece gets one of its own size (and a byte,
        // to see its end in it).
        // (Its size rounded up to a power of two, so that the memory of
        // such pieces is used again for the next small files.)
        const size_t capacity = total == 0 && expected < piece_
                                    ? std::min(piece_, std::bit_ceil(std::max(size_t(expected) + 1, kSmallestPiece)))
                                    : piece_;
        StoredPiece piece;
        piece.capacity = capacity;
        {
            std::unique_lock lk(m_);
            for (;;) {
                if (ending_ || job->dropped || s->abandoned)
                    break;
                // The writer's file, or the one it waits for: only one of
                // them at a time goes beyond the bound shared by the others.
                const bool front = job->taken || awaited_ == job.get();
                const bool own = s->held == 0 || s->held + capacity <= (front ? frontLimit : laterLimit);
                const bool shared =
                    front || (streamHeld_ + capacity <= streamBound_ && held_ + capacity <= bound_ - jobLimit_);
                if (own && shared)
                    break;
                if (own) {
                    ++waitingForRoom_;
                    job->roomWait = Job::ForPiece;
                    room_.wait(lk);
                    job->roomWait = Job::NoWait;
                    --waitingForRoom_;
                } else {
                    s->waiting = true;
                    s->room.wait(lk);
                    s->waiting = false;
                }
            }
            if (ending_ || job->dropped || s->abandoned)
                break;
            held_ += capacity;
            streamHeld_ += capacity;
            s->held += capacity;
            size_t seen = peakEver.load();
            while (held_ > seen && !peakEver.compare_exchange_weak(seen, held_)) {
            }
            auto& free = freePieces_[pieceClass(capacity)];
            if (!free.empty()) {
                piece.bytes = std::move(free.back());
                free.pop_back();
                pooled_ -= capacity;
            }
        }
        if (!piece.bytes)
            piece.bytes.reset(new (std::nothrow) unsigned char[capacity]);
        while (piece.bytes && piece.size < capacity) {
            size_t want = capacity - piece.size;
            if (!zip64) {
                // Without ZIP64 headers an entry must stay below 4 GiB, even if the file grows.
                const quint64 room = FileDeflater::kPlainEntryLimit - total;
                if (room == 0) {
                    atEnd = true;
                    break;
                }
                want = size_t(std::min<quint64>(want, room));
            }
            const ssize_t got = ::read(fd, piece.bytes.get() + piece.size, want);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0) {
                readErrno = got < 0 ? errno : 0;
                atEnd = true;
                break;
            }
            crc = crc32(crc, piece.bytes.get() + piece.size, uInt(got));
            piece.size += size_t(got);
            total += quint64(got);
        }
        if (!piece.bytes)
            readErrno = ENOMEM, atEnd = true;
        bool roomFreed = false;
        {
            std::lock_guard lk(m_);
            if (job->state == Job::Working)
                job->state = Job::Streaming;
            if (piece.size > 0 && !s->abandoned && !job->dropped && !ending_) {
                s->ready.push_back(std::move(piece));
            } else {
                held_ -= capacity;
                streamHeld_ -= capacity;
                s->held -= capacity;
                givePieceLocked(std::move(piece));
                roomFreed = waitingForRoom_ > 0;
            }
            if (atEnd) {
                s->ended = true;
                s->result.crc = crc;
                s->result.usize = s->result.csize = total;
                s->result.readErrno = readErrno;
                job->state = Job::Done;
            }
            writerWaits = writerWaiting_;
        }
        if (writerWaits)
            done_.notify_one();
        if (roomFreed)
            room_.notify_all();
    }
    // Given up (dropped, abandoned or the end of the read-ahead): nothing more comes.
    {
        std::lock_guard lk(m_);
        if (s->ended)
            return;
        s->ended = true;
        s->result.gaveUp = true;
        if (job->state == Job::Streaming || job->state == Job::Working)
            job->state = Job::Done;
        writerWaits = writerWaiting_;
    }
    if (writerWaits)
        done_.notify_one();
}

}  // namespace platform
