// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <concepts>
#include <functional>
#include <initializer_list>
#include <variant>

// VB's file numbers: Open ... For Input/Output/Append/Binary/Random As #n.
// Paths are Windows paths, turned into host paths by the resolver that the
// path layer installs. Text is written as UTF-8 with CR LF line ends; reading
// accepts CR LF, CR or LF and takes a line that is not valid UTF-8 as
// Windows-1252. Errors are VB's: 52 bad file number, 53 file not found,
// 54 bad file mode, 55 file already open, 62 input past end of file,
// 67 too many files, 75 path/file access error, 76 path not found.
namespace vb {

enum class OpenMode { Input, Output, Append, Binary, Random };

void SetHostPathResolver(std::function<QString(const QString&)> resolver);  // empty: identity
QString ResolveHostPath(const QString& windowsPath);

// The lowest free number from 1 to 255 (error 67 when none).
int FreeFile();
// fileNo 1..511. recordLength: Random mode's record size (default 128).
void Open(const QString& windowsPath, OpenMode mode, int fileNo, int recordLength = 0);
void Close(int fileNo);  // closing a number that is not open does nothing, like VB
void CloseAll();
bool IsOpen(int fileNo);

// A value of a Print # / Write # list, or of Input #.
struct FileValue {
    std::variant<std::monostate, QString, double, qint64, bool, QDateTime> v;
    FileValue() = default;
    FileValue(const QString& s) : v(s) {}
    FileValue(const char* s) : v(QString::fromUtf8(s)) {}
    FileValue(double d) : v(d) {}
    FileValue(float d) : v(double(d)) {}
    template <std::integral T>
        requires(!std::same_as<T, bool>)
    FileValue(T i) : v(qint64(i)) {}
    FileValue(bool b) : v(b) {}
    FileValue(const QDateTime& d) : v(d) {}
};

// The print form of a value: text unchanged, numbers with a leading blank
// when not negative and a trailing blank, True/False, a date in the short
// date form (with the time when it has one), nothing for an empty value.
QString PrintForm(const FileValue& value);

// Print #n, line   (the text and CR LF)
void Print(int fileNo, const QString& line = {});
// Print #n, text;  (no line end)
void PrintNoNewline(int fileNo, const QString& text);
// Print #n, a; b; c   (the print forms joined, then CR LF)
void PrintValues(int fileNo, std::initializer_list<FileValue> values);

// Write #n, a, b, c: texts in double quotes, numbers bare, #TRUE#/#FALSE#,
// dates as #yyyy-mm-dd hh:mm:ss#, an empty value as nothing; comma separated,
// then CR LF.
void WriteValues(int fileNo, std::initializer_list<FileValue> values);
template <class... T>
void Write(int fileNo, const T&... values) {
    WriteValues(fileNo, {FileValue(values)...});
}

// Line Input #n (error 62 at the end).
QString LineInput(int fileNo);
// Input #n: the next comma/line-separated field; quotes removed.
QString InputField(int fileNo);
void Input(int fileNo, QString& value);
void Input(int fileNo, double& value);
void Input(int fileNo, qint16& value);
void Input(int fileNo, qint32& value);
void Input(int fileNo, bool& value);
void Input(int fileNo, QDateTime& value);
template <class A, class B, class... R>
void Input(int fileNo, A& a, B& b, R&... rest) {
    Input(fileNo, a);
    Input(fileNo, b, rest...);
}
// Input$(count, #n): count characters (Input mode) or bytes (Binary).
QString InputChars(int count, int fileNo);

bool Eof(int fileNo);
qint64 Lof(int fileNo);
// The position of the next read/write: 1-based byte (record for Random).
qint64 Seek(int fileNo);
void Seek(int fileNo, qint64 position);
qint64 Loc(int fileNo);

// Binary/Random: read `length` bytes at 1-based `position` (0: where the file
// stands; Random: a record number). Fewer bytes at the end of the file.
QByteArray Get(int fileNo, qint64 position, qint64 length);
// The same into the caller's memory: the number of bytes read.
qint64 GetInto(int fileNo, qint64 position, char* out, qint64 length);
void Put(int fileNo, qint64 position, const QByteArray& bytes);

}  // namespace vb
