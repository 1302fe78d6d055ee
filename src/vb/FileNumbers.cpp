// SPDX-License-Identifier: GPL-3.0-or-later
#include "vb/FileNumbers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <map>
#include <memory>

#include "vb/Clock.h"
#include "vb/Conversions.h"
#include "vb/Cp1252.h"
#include "vb/NumberText.h"
#include "vb/VbError.h"
#include "vb/VbLocale.h"

namespace vb {
namespace {

constexpr int kMaxFileNumber = 511;
constexpr int kMaxFreeFile = 255;
constexpr int kDefaultRecordLength = 128;

struct OpenFile {
    QFile file;
    OpenMode mode = OpenMode::Input;
    QString key;  // absolute host path, for the "already open" rule
    qint64 recordLength = kDefaultRecordLength;
    bool writable = false;
    bool getCameShort = false;  // the last Get read less than asked
};

std::map<int, std::unique_ptr<OpenFile>>& table() {
    static std::map<int, std::unique_ptr<OpenFile>> t;
    return t;
}

std::function<QString(const QString&)>& resolver() {
    static std::function<QString(const QString&)> r;
    return r;
}

OpenFile& fileFor(int fileNo) {
    if (fileNo < 1 || fileNo > kMaxFileNumber)
        Raise(errBadFileNameOrNumber);
    auto it = table().find(fileNo);
    if (it == table().end())
        Raise(errBadFileNameOrNumber);
    return *it->second;
}

bool sequentialOutput(OpenMode m) { return m == OpenMode::Output || m == OpenMode::Append; }

OpenFile& textWriter(int fileNo) {
    OpenFile& f = fileFor(fileNo);
    if (!sequentialOutput(f.mode))
        Raise(errBadFileMode);
    return f;
}

OpenFile& textReader(int fileNo) {
    OpenFile& f = fileFor(fileNo);
    if (f.mode != OpenMode::Input)
        Raise(errBadFileMode);
    return f;
}

OpenFile& recordFile(int fileNo) {
    OpenFile& f = fileFor(fileNo);
    if (f.mode != OpenMode::Binary && f.mode != OpenMode::Random)
        Raise(errBadFileMode);
    return f;
}

[[noreturn]] void raiseWriteFailure(const QFile& f, int savedErrno) {
    if (savedErrno == ENOSPC || savedErrno == EDQUOT || f.error() == QFileDevice::ResourceError)
        Raise(errDiskFull);
    Raise(errDeviceIO);
}

void writeBytes(OpenFile& f, const QByteArray& bytes, bool flush) {
    if (!f.writable)
        Raise(errPathFileAccess);
    errno = 0;
    const qint64 n = f.file.write(bytes);
    if (n != bytes.size())
        raiseWriteFailure(f.file, errno);
    if (flush && !f.file.flush())
        raiseWriteFailure(f.file, errno);
}

void writeText(int fileNo, const QString& text) { writeBytes(textWriter(fileNo), text.toUtf8(), true); }

// Bytes up to the next CR, LF or CR LF (which is consumed); false at the end.
bool readLineBytes(QFile& f, QByteArray& line) {
    line.clear();
    if (f.atEnd())
        return false;
    for (;;) {
        const QByteArray chunk = f.peek(4096);
        if (chunk.isEmpty())
            return true;
        qsizetype cut = -1;
        for (qsizetype i = 0; i < chunk.size(); ++i)
            if (chunk[i] == '\r' || chunk[i] == '\n') {
                cut = i;
                break;
            }
        if (cut < 0) {
            line += f.read(chunk.size());
            continue;
        }
        line += f.read(cut);
        char c = 0;
        f.getChar(&c);
        if (c == '\r') {
            char n = 0;
            if (f.peek(&n, 1) == 1 && n == '\n')
                f.getChar(&n);
        }
        return true;
    }
}

// One character of a text file: UTF-8 where the bytes form it, else Windows-1252.
bool readChar(QFile& f, QString& out) {
    char b = 0;
    if (!f.getChar(&b))
        return false;
    const auto lead = static_cast<unsigned char>(b);
    int more = lead >= 0xC2 && lead <= 0xDF ? 1 : lead >= 0xE0 && lead <= 0xEF ? 2 : lead >= 0xF0 && lead <= 0xF4 ? 3 : 0;
    if (more) {
        const QByteArray next = f.peek(more);
        bool ok = next.size() == more;
        for (char c : next)
            ok = ok && (static_cast<unsigned char>(c) & 0xC0) == 0x80;
        if (ok) {
            const QString s = DecodeText(QByteArray(1, b) + next);
            if (!s.isEmpty() && s[0] != QChar::ReplacementCharacter) {
                f.read(more);
                out += s;
                return true;
            }
        }
    }
    out += Cp1252ToUnicode(lead);
    return true;
}

QString hostPathOf(const QString& windowsPath) {
    return resolver() ? resolver()(windowsPath) : windowsPath;
}

QString printNumber(double v) {
    QString s = NumberText(v, DecimalPoint());
    const QString zeroPoint = QLatin1Char('0') + DecimalPoint();
    if (s.startsWith(zeroPoint))
        s.remove(0, 1);
    else if (s.startsWith(QLatin1Char('-') + zeroPoint))
        s.remove(1, 1);
    return (v >= 0 ? QStringLiteral(" ") : QString()) + s + QLatin1Char(' ');
}

QString writeForm(const FileValue& value) {
    struct V {
        QString operator()(std::monostate) const { return {}; }
        QString operator()(const QString& s) const { return QLatin1Char('"') + s + QLatin1Char('"'); }
        QString operator()(double d) const { return NumberText(d, QStringLiteral(".")); }
        QString operator()(qint64 i) const { return QString::number(i); }
        QString operator()(bool b) const { return b ? QStringLiteral("#TRUE#") : QStringLiteral("#FALSE#"); }
        QString operator()(const QDateTime& d) const {
            const bool noTime = d.time().msecsSinceStartOfDay() < 1000;
            if (d.date() == QDate(1899, 12, 30) && !noTime)
                return d.time().toString(QStringLiteral("#HH:mm:ss#"));
            if (noTime)
                return d.date().toString(QStringLiteral("#yyyy-MM-dd#"));
            return d.toString(QStringLiteral("#yyyy-MM-dd HH:mm:ss#"));
        }
    };
    return std::visit(V{}, value.v);
}

}  // namespace

void SetHostPathResolver(std::function<QString(const QString&)> r) { resolver() = std::move(r); }

QString ResolveHostPath(const QString& windowsPath) { return hostPathOf(windowsPath); }

int FreeFile() {
    for (int n = 1; n <= kMaxFreeFile; ++n)
        if (!table().count(n))
            return n;
    Raise(errTooManyFiles);
}

bool IsOpen(int fileNo) { return table().count(fileNo) > 0; }

void Open(const QString& windowsPath, OpenMode mode, int fileNo, int recordLength) {
    if (fileNo < 1 || fileNo > kMaxFileNumber)
        Raise(errBadFileNameOrNumber);
    if (table().count(fileNo))
        Raise(errFileAlreadyOpen);
    if (windowsPath.trimmed().isEmpty() || windowsPath.contains(QLatin1Char('*')) ||
        windowsPath.contains(QLatin1Char('?')))
        Raise(errBadFileNameOrNumber);
    if (recordLength < 0 || recordLength > 32767)
        Raise(errInvalidCall);

    const QString host = hostPathOf(windowsPath);
    const QFileInfo info(host);
    // One key per file, however the path reached it.
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    const QString key = info.exists() ? info.canonicalFilePath()
                        : folder.isEmpty() ? info.absoluteFilePath()
                                           : folder + QLatin1Char('/') + info.fileName();
    for (const auto& [n, other] : table())
        if (other->key == key && (sequentialOutput(mode) || sequentialOutput(other->mode)))
            Raise(errFileAlreadyOpen);
    if (info.isDir())
        Raise(errPathFileAccess);
    if (!info.exists()) {
        if (!info.absoluteDir().exists())
            Raise(errPathNotFound);
        if (mode == OpenMode::Input)
            Raise(errFileNotFound);
    }

    auto f = std::make_unique<OpenFile>();
    f->mode = mode;
    f->key = key;
    f->recordLength = recordLength > 0 ? recordLength : kDefaultRecordLength;
    f->file.setFileName(host);
    bool ok = false;
    errno = 0;
    switch (mode) {
    case OpenMode::Input:
        ok = f->file.open(QIODevice::ReadOnly);
        break;
    case OpenMode::Output:
        // Unbuffered: each Print reaches the file at once, and a failed one
        // leaves nothing behind for Close to fail on again.
        ok = f->file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered);
        f->writable = ok;
        break;
    case OpenMode::Append:
        ok = f->file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
        f->writable = ok;
        break;
    case OpenMode::Binary:
    case OpenMode::Random:
        // Like VB without an Access clause: read/write, else read only.
        ok = f->file.open(QIODevice::ReadWrite);
        f->writable = ok;
        if (!ok && info.exists()) {
            errno = 0;
            ok = f->file.open(QIODevice::ReadOnly);
        }
        break;
    }
    if (!ok) {
        const int e = errno;
        if (e == EMFILE || e == ENFILE)
            Raise(errTooManyFiles);
        if (e == ENOSPC)
            Raise(errDiskFull);
        if (e == ENOENT)
            Raise(errPathNotFound);
        Raise(errPathFileAccess);
    }
    if (mode == OpenMode::Input && f->file.peek(3) == QByteArray("\xEF\xBB\xBF", 3))
        f->file.read(3);
    table().emplace(fileNo, std::move(f));
}

void Close(int fileNo) {
    auto it = table().find(fileNo);
    if (it == table().end())
        return;
    std::unique_ptr<OpenFile> f = std::move(it->second);
    table().erase(it);
    errno = 0;
    const bool flushed = !f->writable || f->file.flush();
    const int e = errno;
    f->file.close();
    if (!flushed)
        raiseWriteFailure(f->file, e);
}

void CloseAll() {
    std::vector<int> numbers;
    for (const auto& [n, f] : table())
        numbers.push_back(n);
    int firstError = 0;
    for (int n : numbers) {
        try {
            Close(n);
        } catch (const VbError& e) {
            if (!firstError)
                firstError = e.number();
        }
    }
    if (firstError)
        Raise(firstError);
}

QString PrintForm(const FileValue& value) {
    struct V {
        QString operator()(std::monostate) const { return {}; }
        QString operator()(const QString& s) const { return s; }
        QString operator()(double d) const { return printNumber(d); }
        QString operator()(qint64 i) const {
            return (i >= 0 ? QStringLiteral(" ") : QString()) + QString::number(i) + QLatin1Char(' ');
        }
        QString operator()(bool b) const { return b ? QStringLiteral("True") : QStringLiteral("False"); }
        QString operator()(const QDateTime& d) const { return GeneralDateText(d); }
    };
    return std::visit(V{}, value.v);
}

void Print(int fileNo, const QString& line) { writeText(fileNo, line + QStringLiteral("\r\n")); }

void PrintNoNewline(int fileNo, const QString& text) { writeText(fileNo, text); }

void PrintValues(int fileNo, std::initializer_list<FileValue> values) {
    QString line;
    for (const FileValue& v : values)
        line += PrintForm(v);
    Print(fileNo, line);
}

void WriteValues(int fileNo, std::initializer_list<FileValue> values) {
    QString line;
    bool first = true;
    for (const FileValue& v : values) {
        if (!first)
            line += QLatin1Char(',');
        first = false;
        line += writeForm(v);
    }
    Print(fileNo, line);
}

QString LineInput(int fileNo) {
    OpenFile& f = textReader(fileNo);
    QByteArray bytes;
    if (!readLineBytes(f.file, bytes))
        Raise(errInputPastEnd);
    return DecodeText(bytes);
}

QString InputField(int fileNo) {
    QFile& f = textReader(fileNo).file;
    char c = 0;
    // Blanks before the field do not count.
    while (f.peek(&c, 1) == 1 && (c == ' ' || c == '\t'))
        f.getChar(&c);
    if (f.atEnd())
        Raise(errInputPastEnd);
    QByteArray bytes;
    auto endOfLine = [&](char ch) {
        if (ch == '\r') {
            char n = 0;
            if (f.peek(&n, 1) == 1 && n == '\n')
                f.getChar(&n);
        }
    };
    if (f.peek(&c, 1) == 1 && c == '"') {
        f.getChar(&c);
        while (f.getChar(&c) && c != '"')
            bytes += c;
        // Up to and including the delimiter after the closing quote.
        while (f.getChar(&c)) {
            if (c == ',')
                break;
            if (c == '\r' || c == '\n') {
                endOfLine(c);
                break;
            }
        }
        return DecodeText(bytes);
    }
    while (f.getChar(&c)) {
        if (c == ',')
            break;
        if (c == '\r' || c == '\n') {
            endOfLine(c);
            break;
        }
        bytes += c;
    }
    while (!bytes.isEmpty() && (bytes.back() == ' ' || bytes.back() == '\t'))
        bytes.chop(1);
    return DecodeText(bytes);
}

void Input(int fileNo, QString& value) { value = InputField(fileNo); }

void Input(int fileNo, double& value) { value = Val(InputField(fileNo)); }

void Input(int fileNo, qint16& value) { value = CInt(Val(InputField(fileNo))); }

void Input(int fileNo, qint32& value) { value = CLng(Val(InputField(fileNo))); }

void Input(int fileNo, bool& value) {
    const QString s = InputField(fileNo).trimmed();
    if (s.compare(QLatin1String("#TRUE#"), Qt::CaseInsensitive) == 0 ||
        s.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        value = true;
    else if (s.compare(QLatin1String("#FALSE#"), Qt::CaseInsensitive) == 0 ||
             s.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        value = false;
    else
        value = Val(s) != 0;
}

void Input(int fileNo, QDateTime& value) {
    QString s = InputField(fileNo).trimmed();
    if (s.size() >= 2 && s.startsWith(QLatin1Char('#')) && s.endsWith(QLatin1Char('#')))
        s = s.mid(1, s.size() - 2);
    value = CDate(s);
}

QString InputChars(int count, int fileNo) {
    if (count < 0)
        Raise(errInvalidCall);
    OpenFile& f = fileFor(fileNo);
    if (sequentialOutput(f.mode))
        Raise(errBadFileMode);
    if (f.mode == OpenMode::Input) {
        QString out;
        for (int i = 0; i < count; ++i)
            if (!readChar(f.file, out))
                Raise(errInputPastEnd);
        return out;
    }
    const QByteArray bytes = f.file.read(count);
    if (bytes.size() < count)
        Raise(errInputPastEnd);
    return DecodeCp1252(bytes);
}

bool Eof(int fileNo) {
    OpenFile& f = fileFor(fileNo);
    switch (f.mode) {
    case OpenMode::Input:
        return f.file.atEnd();
    case OpenMode::Output:
    case OpenMode::Append:
        return true;
    case OpenMode::Binary:
    case OpenMode::Random:
        return f.getCameShort || f.file.pos() >= f.file.size();
    }
    return true;
}

qint64 Lof(int fileNo) {
    OpenFile& f = fileFor(fileNo);
    if (f.writable)
        f.file.flush();
    return f.file.size();
}

qint64 Seek(int fileNo) {
    OpenFile& f = fileFor(fileNo);
    const qint64 pos = sequentialOutput(f.mode) && f.mode == OpenMode::Append ? f.file.size() : f.file.pos();
    if (f.mode == OpenMode::Random)
        return pos / f.recordLength + 1;
    return pos + 1;
}

void Seek(int fileNo, qint64 position) {
    OpenFile& f = fileFor(fileNo);
    if (position < 1)
        Raise(errBadRecordNumber);
    const qint64 byte = f.mode == OpenMode::Random ? (position - 1) * f.recordLength : position - 1;
    if (f.mode == OpenMode::Append)
        return;  // appending always writes at the end
    if (!f.file.seek(byte))
        Raise(errBadRecordNumber);
    f.getCameShort = false;
}

qint64 Loc(int fileNo) {
    OpenFile& f = fileFor(fileNo);
    const qint64 pos = f.mode == OpenMode::Append ? f.file.size() : f.file.pos();
    switch (f.mode) {
    case OpenMode::Binary:
        return pos;
    case OpenMode::Random:
        return pos / f.recordLength;
    default:
        return pos / 128;
    }
}

namespace {
// The file of a Get, placed at its 1-based position (0: where it stands),
// and the length to read.
OpenFile& getAt(int fileNo, qint64 position, qint64& length) {
    OpenFile& f = recordFile(fileNo);
    if (position < 0)
        Raise(errBadRecordNumber);
    if (f.mode == OpenMode::Random && length <= 0)
        length = f.recordLength;
    if (length < 0)
        Raise(errInvalidCall);
    if (position > 0) {
        const qint64 byte = f.mode == OpenMode::Random ? (position - 1) * f.recordLength : position - 1;
        if (!f.file.seek(byte))
            Raise(errBadRecordNumber);
    }
    return f;
}
}  // namespace

QByteArray Get(int fileNo, qint64 position, qint64 length) {
    OpenFile& f = getAt(fileNo, position, length);
    const QByteArray bytes = f.file.read(length);
    f.getCameShort = bytes.size() < length;
    return bytes;
}

qint64 GetInto(int fileNo, qint64 position, char* out, qint64 length) {
    OpenFile& f = getAt(fileNo, position, length);
    const qint64 got = std::max<qint64>(f.file.read(out, length), 0);
    f.getCameShort = got < length;
    return got;
}

void Put(int fileNo, qint64 position, const QByteArray& bytes) {
    OpenFile& f = recordFile(fileNo);
    if (position < 0)
        Raise(errBadRecordNumber);
    if (f.mode == OpenMode::Random && bytes.size() > f.recordLength)
        Raise(59);
    if (position > 0) {
        const qint64 byte = f.mode == OpenMode::Random ? (position - 1) * f.recordLength : position - 1;
        if (!f.file.seek(byte))
            Raise(errBadRecordNumber);
    }
    const qint64 start = f.file.pos();
    writeBytes(f, bytes, false);
    if (f.mode == OpenMode::Random && bytes.size() < f.recordLength)
        f.file.seek(start + f.recordLength);
}

}  // namespace vb
