// SPDX-License-Identifier: GPL-3.0-or-later
#include "crypto/clsBlowfish.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "crypto/BlowfishTables.h"
#include "vb/Cp1252.h"
#include "platform/Paths.h"
#include "vb/DoEvents.h"
#include "vb/ErrorHandling.h"
#include "vb/VbError.h"


namespace {

const char kSizeErrorText[] = "Incorrect size descriptor in Blowfish decryption";
const char kTooLargeText[] = "File too large for Blowfish encryption (2 GB or more)";

QString Label(const char* member) { return QStringLiteral("%1 of Klassenmodul clsBlowfish").arg(QLatin1String(member)); }

// The host path of a Windows path; a path that maps to nothing (an unknown
// drive, an unmounted share) is raised as `missing`.
QString HostPath(const QString& windowsPath, int missing) {
    const QString host = platform::ToHost(windowsPath);
    if (host.isEmpty())
        vb::Raise(missing);
    return host;
}

// ---- the block cipher ------------------------------------------------------

using Boxes = quint32[4][256];

inline quint32 F(const Boxes& s, quint32 x) {
    return ((s[0][x >> 24] + s[1][(x >> 16) & 0xFF]) ^ s[2][(x >> 8) & 0xFF]) + s[3][x & 0xFF];
}

// Sixteen rounds as eight double rounds without exchanges; the last round's
// output is whitened with P[16] and P[17] and the halves swapped back.
inline void Encrypt(const quint32* p, const Boxes& s, quint32& left, quint32& right) {
    quint32 l = left ^ p[0];
    quint32 r = right;
    r ^= F(s, l) ^ p[1];
    l ^= F(s, r) ^ p[2];
    r ^= F(s, l) ^ p[3];
    l ^= F(s, r) ^ p[4];
    r ^= F(s, l) ^ p[5];
    l ^= F(s, r) ^ p[6];
    r ^= F(s, l) ^ p[7];
    l ^= F(s, r) ^ p[8];
    r ^= F(s, l) ^ p[9];
    l ^= F(s, r) ^ p[10];
    r ^= F(s, l) ^ p[11];
    l ^= F(s, r) ^ p[12];
    r ^= F(s, l) ^ p[13];
    l ^= F(s, r) ^ p[14];
    r ^= F(s, l) ^ p[15];
    l ^= F(s, r) ^ p[16];
    left = r ^ p[17];
    right = l;
}

inline void Decrypt(const quint32* p, const Boxes& s, quint32& left, quint32& right) {
    quint32 l = left ^ p[17];
    quint32 r = right;
    r ^= F(s, l) ^ p[16];
    l ^= F(s, r) ^ p[15];
    r ^= F(s, l) ^ p[14];
    l ^= F(s, r) ^ p[13];
    r ^= F(s, l) ^ p[12];
    l ^= F(s, r) ^ p[11];
    r ^= F(s, l) ^ p[10];
    l ^= F(s, r) ^ p[9];
    r ^= F(s, l) ^ p[8];
    l ^= F(s, r) ^ p[7];
    r ^= F(s, l) ^ p[6];
    l ^= F(s, r) ^ p[5];
    r ^= F(s, l) ^ p[4];
    l ^= F(s, r) ^ p[3];
    r ^= F(s, l) ^ p[2];
    l ^= F(s, r) ^ p[1];
    left = r ^ p[0];
    right = l;
}

inline quint32 GetWord(const uchar* b) { return qFromBigEndian<quint32>(b); }
inline void PutWord(quint32 w, uchar* b) { qToBigEndian<quint32>(w, b); }

// ---- container and file helpers -------------------------------------------

// A random word 0 to 2147483647: a uniform fraction in [0, 1) times
// 2147483647, rounded to the nearest integer (ties to even).
quint32 RandomWord() {
    const double v = std::nearbyint(QRandomGenerator::global()->generateDouble() * 2147483647.0);
    return quint32(v);
}

qint64 ContainerSize(qint64 dataBytes) {
    const qint64 n = dataBytes + 12;
    return (n + 7) / 8 * 8;
}

// The stored length fits the container: a negative one (which the distance
// alone would let through for a 16-byte container) never does.
bool SizeCheckPasses(qint64 total, qint64 dataLength) {
    const qint64 d = total - dataLength;
    return dataLength >= 0 && d >= 12 && d <= 19;
}

int HexValue(uint c) {
    if (c >= '0' && c <= '9')
        return int(c - '0');
    if (c >= 'A' && c <= 'F')
        return int(c - 'A' + 10);
    if (c >= 'a' && c <= 'f')
        return int(c - 'a' + 10);
    return -1;
}

// One character (the last of an odd-length text) or a pair of hexadecimal
// digits as a byte; anything else reads as 0.
uchar HexByte(uint first, int count, uint second) {
    const int a = HexValue(first);
    if (count == 1)
        return a < 0 ? 0 : uchar(a);
    const int b = HexValue(second);
    return (a < 0 || b < 0) ? 0 : uchar(a * 16 + b);
}

const char kHexDigits[] = "0123456789ABCDEF";

void ToHex(const uchar* in, qint64 n, char* out) {
    for (qint64 i = 0; i < n; ++i) {
        out[2 * i] = kHexDigits[in[i] >> 4];
        out[2 * i + 1] = kHexDigits[in[i] & 0x0F];
    }
}

void ReadFully(QFile& f, char* buf, qint64 n) {
    qint64 done = 0;
    while (done < n) {
        const qint64 got = f.read(buf + done, n - done);
        if (got < 0)
            vb::Raise(vb::errDeviceIO);
        if (got == 0)
            vb::Raise(vb::errInputPastEnd);
        done += got;
    }
}

void WriteFully(QSaveFile& f, const char* buf, qint64 n) {
    if (n > 0 && f.write(buf, n) != n)
        vb::Raise(f.error() == QFileDevice::ResourceError ? vb::errDiskFull : vb::errPathFileAccess);
}

void OpenInput(QFile& f) {
    const QFileInfo fi(f.fileName());
    if (!fi.exists())
        vb::Raise(vb::errFileNotFound);
    if (!fi.isFile() || !f.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        vb::Raise(vb::errPathFileAccess);
}

void OpenOutput(QSaveFile& f) {
    if (!QFileInfo(QFileInfo(f.fileName()).absolutePath()).isDir())
        vb::Raise(vb::errPathNotFound);
    if (QFileInfo(f.fileName()).isDir() || !f.open(QIODevice::WriteOnly))
        vb::Raise(vb::errPathFileAccess);
}

void Commit(QSaveFile& f) {
    if (!f.commit())
        vb::Raise(f.error() == QFileDevice::ResourceError ? vb::errDiskFull : vb::errPathFileAccess);
}

}  // namespace

// ---- object and key --------------------------------------------------------

clsBlowfish::clsBlowfish(QObject* parent) : clsBlowfish(SBoxLayout::Archive, parent) {}

clsBlowfish::clsBlowfish(SBoxLayout layout, QObject* parent) : QObject(parent), layout_(layout) {
    text_.reserve(1024);
    ResetTables();
}

void clsBlowfish::ResetTables() {
    std::copy(crypto::kInitialP.begin(), crypto::kInitialP.end(), p_);
    for (int box = 0; box < 4; ++box)
        for (int j = 0; j < 256; ++j)
            s_[box][j] = layout_ == SBoxLayout::Archive ? crypto::kInitialSWords[4 * j + box]
                                                         : crypto::kInitialSWords[256 * box + j];
}

void clsBlowfish::KeySchedule(const QByteArray& keyBytes) {
    const qsizetype n = keyBytes.size();
    const uchar* k = reinterpret_cast<const uchar*>(keyBytes.constData());
    qsizetype pos = 0;
    for (int i = 0; i < 18; ++i) {
        quint32 w = 0;
        for (int b = 0; b < 4; ++b) {
            w = (w << 8) | k[pos];
            pos = pos + 1 == n ? 0 : pos + 1;
        }
        p_[i] ^= w;
    }
    quint32 l = 0, r = 0;
    for (int i = 0; i < 18; i += 2) {
        Encrypt(p_, s_, l, r);
        p_[i] = l;
        p_[i + 1] = r;
    }
    for (int box = 0; box < 4; ++box)
        for (int j = 0; j < 256; j += 2) {
            Encrypt(p_, s_, l, r);
            s_[box][j] = l;
            s_[box][j + 1] = r;
        }
}

void clsBlowfish::Key(const QString& newValue) {
    vb::Handler h(Label("Key"));
    h.Try([&] {
        h.Erl = 10;
        if (newValue == keyText_)
            return;
        h.Erl = 20;
        keyText_.clear();
        ResetTables();
        if (newValue.isEmpty())
            return;
        h.Erl = 30;
        KeySchedule(vb::EncodeCp1252(newValue));
        keyText_ = newValue;
    });
    vb::DoEvents();
}

void clsBlowfish::SetKeyIfGiven(const QString& key) {
    if (!key.isEmpty())
        Key(key);
}

void clsBlowfish::EncryptBlock(quint32& left, quint32& right) const { Encrypt(p_, s_, left, right); }

void clsBlowfish::DecryptBlock(quint32& left, quint32& right) const { Decrypt(p_, s_, left, right); }

// ---- chaining and progress --------------------------------------------------

void clsBlowfish::CbcEncrypt(uchar* data, qint64 bytes, Chain& chain) const {
    quint32 cl = chain.left, cr = chain.right;
    for (uchar* b = data; b < data + bytes; b += 8) {
        cl ^= GetWord(b);
        cr ^= GetWord(b + 4);
        Encrypt(p_, s_, cl, cr);
        PutWord(cl, b);
        PutWord(cr, b + 4);
    }
    chain.left = cl;
    chain.right = cr;
}

void clsBlowfish::CbcDecrypt(uchar* data, qint64 bytes, Chain& chain) const {
    quint32 pl = chain.left, pr = chain.right;
    for (uchar* b = data; b < data + bytes; b += 8) {
        const quint32 cl = GetWord(b), cr = GetWord(b + 4);
        quint32 l = cl, r = cr;
        Decrypt(p_, s_, l, r);
        PutWord(l ^ pl, b);
        PutWord(r ^ pr, b + 4);
        pl = cl;
        pr = cr;
    }
    chain.left = pl;
    chain.right = pr;
}

void clsBlowfish::RunBlocks(bool encrypt, uchar* data, qint64 bytes, qint64 offset, Chain& chain,
                            ProgressState& progress) {
    while (bytes > 0) {
        // The next block whose offset reaches the threshold raises Progress
        // once it is done: percent = Int(offset / N * 100), and the next
        // threshold is (percent + 1) / 100 * N + 1, rounded half to even.
        const qint64 due = progress.threshold <= offset ? offset : (progress.threshold + 7) / 8 * 8;
        const bool raise = due < offset + bytes;
        const qint64 run = raise ? due - offset + 8 : bytes;
        if (encrypt)
            CbcEncrypt(data, run, chain);
        else
            CbcDecrypt(data, run, chain);
        if (raise) {
            const double n = double(progress.total);
            progress.percent = qint32(std::floor(double(due) / n * 100.0));
            progress.threshold = qint64(std::nearbyint((progress.percent + 1) / 100.0 * n + 1.0));
            emit Progress(progress.percent);
        }
        data += run;
        offset += run;
        bytes -= run;
    }
}

void clsBlowfish::RunArray(bool encrypt, uchar* data, qint64 bytes) {
    ProgressState progress{bytes};
    Chain chain;
    for (qint64 off = 0; off < bytes; off += kChunkBytes) {
        RunBlocks(encrypt, data + off, std::min(kChunkBytes, bytes - off), off, chain, progress);
        vb::DoEvents();
    }
}

// ---- byte arrays and strings ---------------------------------------------------

bool clsBlowfish::EncryptBytes(QByteArray& bytes) {
    const qint64 length = bytes.size();
    if (length > kMaxDataBytes)
        vb::Raise(kTooLargeErrorNumber, QString::fromLatin1(kTooLargeText));
    const qint64 total = ContainerSize(length);
    bytes.resize(total);
    uchar* d = reinterpret_cast<uchar*>(bytes.data());
    std::memmove(d + 12, d, size_t(length));
    std::memset(d + 12 + length, 0, size_t(total - 12 - length));
    qToLittleEndian<qint32>(qint32(length), d + 8);
    qToLittleEndian<quint32>(RandomWord(), d);
    qToLittleEndian<quint32>(RandomWord(), d + 4);
    RunArray(true, d, total);
    emit Progress(100);
    return true;
}

bool clsBlowfish::DecryptBytes(QByteArray& bytes) {
    const qint64 total = bytes.size();
    bool sizeOk = total >= 16 && total % 8 == 0;
    qint64 length = 0;
    if (sizeOk) {
        uchar* d = reinterpret_cast<uchar*>(bytes.data());
        RunArray(false, d, total);
        length = qFromLittleEndian<qint32>(d + 8);
        sizeOk = SizeCheckPasses(total, length);
    }
    if (!sizeOk) {
        vb::Handler h(Label("DecryptByte"));
        h.Log(vb::ErrInfo{kSizeErrorNumber, QString::fromLatin1(kSizeErrorText)});
        return false;
    }
    char* d = bytes.data();
    std::memmove(d, d + 12, size_t(length));
    bytes.resize(length);
    emit Progress(100);
    return true;
}

void clsBlowfish::EncryptByte(QByteArray& byteArray, const QString& key) {
    vb::Handler h(Label("EncryptByte"));
    h.Try([&] {
        h.Erl = 10;
        SetKeyIfGiven(key);
        h.Erl = 20;
        EncryptBytes(byteArray);
    });
    vb::DoEvents();
}

bool clsBlowfish::DecryptByte(QByteArray& byteArray, const QString& key) {
    vb::Handler h(Label("DecryptByte"));
    const bool ok = h.Guard(false, [&] {
        h.Erl = 10;
        SetKeyIfGiven(key);
        h.Erl = 20;
        return DecryptBytes(byteArray);
    });
    vb::DoEvents();
    return ok;
}

QString clsBlowfish::EncryptString(const QString& text, const QString& key, bool inHex) {
    vb::Handler h(Label("EncryptString"));
    const QString result = h.Guard(QString(), [&] {
        h.Erl = 10;
        SetKeyIfGiven(key);
        h.Erl = 20;
        QByteArray bytes = vb::EncodeCp1252(text);
        vb::Handler inner(Label("EncryptByte"));
        if (!inner.Guard(false, [&] { return EncryptBytes(bytes); }))
            return QString();
        h.Erl = 30;
        const QString cipherText = vb::DecodeCp1252(bytes);
        return inHex ? EnHex(cipherText) : cipherText;
    });
    vb::DoEvents();
    return result;
}

QString clsBlowfish::DecryptString(QString& text, const QString& key, bool inHex, bool* ok) {
    vb::Handler h(Label("DecryptString"));
    bool done = false;
    const QString result = h.Guard(QString(), [&] {
        h.Erl = 10;
        SetKeyIfGiven(key);
        h.Erl = 20;
        if (inHex)
            text = DeHex(text);
        h.Erl = 30;
        QByteArray bytes = vb::EncodeCp1252(text);
        vb::Handler inner(Label("DecryptByte"));
        if (!inner.Guard(false, [&] { return DecryptBytes(bytes); }))
            return QString();
        done = true;
        return vb::DecodeCp1252(bytes);
    });
    if (ok)
        *ok = done;
    vb::DoEvents();
    return result;
}

// ---- hexadecimal forms and their text builder ------------------------------------

void clsBlowfish::Append(const QByteArray& piece) {
    vb::Handler h(Label("Append"));
    h.Try([&] { text_.append(piece); });
}

QString clsBlowfish::GData() const {
    vb::Handler h(Label("GData"));
    return h.Guard(QString(), [&] { return vb::DecodeCp1252(text_); });
}

void clsBlowfish::Reset() {
    vb::Handler h(Label("Reset"));
    h.Try([&] {
        text_.clear();
        text_.reserve(1024);
    });
}

QString clsBlowfish::EnHex(const QString& data) {
    vb::Handler h(Label("EnHex"));
    const QString result = h.Guard(QString(), [&] {
        Reset();
        const QByteArray bytes = vb::EncodeCp1252(data);
        QByteArray hex(bytes.size() * 2, Qt::Uninitialized);
        ToHex(reinterpret_cast<const uchar*>(bytes.constData()), bytes.size(), hex.data());
        Append(hex);
        const QString out = GData();
        Reset();
        return out;
    });
    vb::DoEvents();
    return result;
}

QString clsBlowfish::DeHex(const QString& data) {
    vb::Handler h(Label("DeHex"));
    const QString result = h.Guard(QString(), [&] {
        Reset();
        const qsizetype n = data.size();
        QByteArray bytes((n + 1) / 2, Qt::Uninitialized);
        for (qsizetype i = 0; i < n; i += 2) {
            const int count = i + 1 < n ? 2 : 1;
            bytes[i / 2] = char(HexByte(data[i].unicode(), count, count == 2 ? data[i + 1].unicode() : 0));
        }
        Append(bytes);
        const QString out = GData();
        Reset();
        return out;
    });
    vb::DoEvents();
    return result;
}

// ---- files -----------------------------------------------------------------

bool clsBlowfish::EncryptFile(const QString& inPath, const QString& outPath, bool overwrite, const QString& key,
                              bool inHex) {
    const bool ok = FileJob(true, inPath, outPath, overwrite, key, inHex);
    vb::DoEvents();
    return ok;
}

bool clsBlowfish::DecryptFile(const QString& inPath, const QString& outPath, bool overwrite, const QString& key,
                              bool inHex) {
    const bool ok = FileJob(false, inPath, outPath, overwrite, key, inHex);
    vb::DoEvents();
    return ok;
}

bool clsBlowfish::FileJob(bool encrypt, const QString& inPath, const QString& outPath, bool overwrite,
                          const QString& key, bool inHex) {
    vb::Handler h(Label(encrypt ? "EncryptFile" : "DecryptFile"));
    return h.Guard(false, [&]() -> bool {
        h.Erl = 10;
        const QString hostIn = HostPath(inPath, vb::errFileNotFound);
        const QString hostOut = HostPath(outPath, vb::errPathNotFound);
        if (!overwrite && QFileInfo::exists(hostOut))
            return false;
        h.Erl = 20;
        SetKeyIfGiven(key);

        h.Erl = 30;
        QFile in(hostIn);
        OpenInput(in);
        const qint64 inSize = in.size();
        // The container's size in bytes: built from the data (encryption) or
        // read from the file, two hexadecimal digits per byte (decryption).
        qint64 total = 0;
        if (encrypt) {
            if (inSize > kMaxDataBytes)
                vb::Raise(kTooLargeErrorNumber, QString::fromLatin1(kTooLargeText));
            total = ContainerSize(inSize);
        } else {
            total = inHex ? (inSize + 1) / 2 : inSize;
        }
        vb::Handler sizeCheck(Label("DecryptByte"));
        const auto sizeFailure = [&] {
            sizeCheck.Log(vb::ErrInfo{kSizeErrorNumber, QString::fromLatin1(kSizeErrorText)});
            return false;
        };
        if (!encrypt && (total < 16 || total % 8 != 0))
            return sizeFailure();

        h.Erl = 40;
        QSaveFile out(hostOut);
        OpenOutput(out);

        h.Erl = 50;
        std::vector<uchar> buf(static_cast<size_t>(kChunkBytes));
        std::vector<char> hex(inHex ? size_t(2 * kChunkBytes) : 0);
        uchar header[12];
        qToLittleEndian<quint32>(RandomWord(), header);
        qToLittleEndian<quint32>(RandomWord(), header + 4);
        qToLittleEndian<qint32>(qint32(encrypt ? inSize : 0), header + 8);
        qint64 dataLength = encrypt ? inSize : -1;
        Chain chain;
        ProgressState progress{total};

        for (qint64 pos = 0; pos < total;) {
            const qint64 n = std::min(kChunkBytes, total - pos);
            uchar* b = buf.data();
            if (encrypt) {
                // header, data, zero fill: whatever of them falls in this piece
                for (qint64 i = pos; i < std::min<qint64>(12, pos + n); ++i)
                    b[i - pos] = header[i];
                const qint64 ds = std::max<qint64>(pos, 12), de = std::min(pos + n, 12 + dataLength);
                if (de > ds)
                    ReadFully(in, reinterpret_cast<char*>(b + (ds - pos)), de - ds);
                const qint64 zs = std::max(pos, 12 + dataLength);
                if (pos + n > zs)
                    std::memset(b + (zs - pos), 0, size_t(pos + n - zs));
                RunBlocks(true, b, n, pos, chain, progress);
                if (inHex) {
                    ToHex(b, n, hex.data());
                    WriteFully(out, hex.data(), 2 * n);
                } else {
                    WriteFully(out, reinterpret_cast<const char*>(b), n);
                }
            } else {
                if (inHex) {
                    const qint64 digits = std::min(2 * n, inSize - 2 * pos);
                    ReadFully(in, hex.data(), digits);
                    for (qint64 i = 0; i < n; ++i) {
                        const int count = 2 * i + 1 < digits ? 2 : 1;
                        b[i] = HexByte(uchar(hex[size_t(2 * i)]), count,
                                       count == 2 ? uchar(hex[size_t(2 * i + 1)]) : 0);
                    }
                } else {
                    ReadFully(in, reinterpret_cast<char*>(b), n);
                }
                RunBlocks(false, b, n, pos, chain, progress);
                if (pos == 0) {
                    dataLength = qFromLittleEndian<qint32>(b + 8);
                    if (!SizeCheckPasses(total, dataLength))
                        return sizeFailure();
                }
                const qint64 ds = std::max<qint64>(pos, 12), de = std::min(pos + n, 12 + dataLength);
                if (de > ds)
                    WriteFully(out, reinterpret_cast<const char*>(b + (ds - pos)), de - ds);
            }
            pos += n;
            vb::DoEvents();
        }
        emit Progress(100);

        h.Erl = 60;
        in.close();
        Commit(out);
        return true;
    });
}
