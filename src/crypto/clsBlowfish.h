// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QObject>
#include <QString>

// The archive cipher: Blowfish (16 rounds, 18-word P-array, four 256-word
// S-boxes, the usual key schedule) in CBC mode with a zero initial value,
// and the ".cry" container that every encrypted archive is:
//
//   offset 0   4 bytes  random word R1 (0 to 2147483647), little-endian
//   offset 4   4 bytes  random word R2, little-endian
//   offset 8   4 bytes  L, the data length, little-endian signed 32-bit
//   offset 12  L bytes  the data
//   then 0 to 7 zero bytes up to a multiple of 8;
//
// the whole of it is ciphertext. Cipher words are big-endian.
//
// The S-boxes start with the usual initial words, but dealt out to the boxes
// in turn: box b, entry j is word 4j + b of the 1024 words (SBoxLayout::Archive).
// That arrangement is part of the ".cry" format. SBoxLayout::Published puts
// the words box after box as in the textbook cipher; it exists so that the
// block cipher and the chaining can be checked against other implementations.
//
// Texts become bytes in Windows-1252 (the code page of the machines the
// archives were made on); a key character that code page cannot hold becomes
// its UTF-8 bytes.
//
// Errors never leave the class: each member logs what goes wrong through
// vb::Handler ("<member> of Klassenmodul clsBlowfish") and returns its default
// (false for the file members).
//
// The object works on the GUI thread and lets pending events run between
// blocks of work (every kChunkBytes) and at the end of each member, so Stop
// clicks and timers keep working during a long file. Progress is reported by
// the signal Progress(percent), about once per percent and always ending with
// 100; the percentage is passed by value because handlers only read it.
class clsBlowfish : public QObject {
    Q_OBJECT
public:
    enum class SBoxLayout { Archive, Published };

    // Bytes of container handled between two looks at the event queue; files
    // are read and written in pieces of this size (a multiple of 8).
    static constexpr qint64 kChunkBytes = 256 * 1024;

    // The largest data length the container's signed 32-bit field can carry.
    static constexpr qint64 kMaxDataBytes = 0x7FFFFFFF;

    // The error of a failed size check (wrong key, or no ".cry" container).
    static constexpr int kSizeErrorNumber = -2147221504;  // &H80040000
    // The error of an input too large for the length field.
    static constexpr int kTooLargeErrorNumber = -2147221503;

    explicit clsBlowfish(QObject* parent = nullptr);
    explicit clsBlowfish(SBoxLayout layout, QObject* parent = nullptr);

    // Encrypts the array into a container, in place. A key that is not empty
    // is set first; an empty one keeps the object's key.
    void EncryptByte(QByteArray& byteArray, const QString& key = {});
    // Decrypts a container in place and cuts it to the data. Returns false
    // when the size check fails (the array is then left uncut) or on another
    // error.
    bool DecryptByte(QByteArray& byteArray, const QString& key = {});

    // The text's bytes encrypted, one character per byte, or their
    // hexadecimal form. Empty after an error.
    QString EncryptString(const QString& text, const QString& key = {}, bool inHex = false);
    // With inHex the caller's text is first replaced by its decoded form.
    // Returns the decrypted text; empty, with *ok false, when the size check
    // fails or another error happens.
    QString DecryptString(QString& text, const QString& key = {}, bool inHex = false, bool* ok = nullptr);

    // Sets the key (write-only). The same key text again changes nothing; a
    // new one resets the tables and runs the key schedule; an empty one
    // leaves the object unkeyed, with the initial tables.
    void Key(const QString& newValue);

    // Windows paths. When outPath exists and overwrite is false: false, and
    // nothing is touched. Otherwise the input is encrypted (decrypted) piece
    // by piece into a temporary file in outPath's folder, which replaces
    // outPath only when it is complete; on any failure outPath is left as it
    // was. inPath and outPath may be the same file. EncryptFile refuses an
    // input of 2 GiB or more (the length field could not hold it).
    bool EncryptFile(const QString& inPath, const QString& outPath, bool overwrite, const QString& key,
                     bool inHex = false);
    bool DecryptFile(const QString& inPath, const QString& outPath, bool overwrite, const QString& key,
                     bool inHex = false);

    // Two upper-case hexadecimal digits per character code (Windows-1252).
    QString EnHex(const QString& data);
    // Pairs of hexadecimal digits back to characters; a lone last digit is a
    // character of its own, a pair that is no hexadecimal number gives code 0.
    QString DeHex(const QString& data);

    // The block cipher on the current tables; left and right words in place.
    void EncryptBlock(quint32& left, quint32& right) const;
    void DecryptBlock(quint32& left, quint32& right) const;

    // The current tables, for inspection.
    quint32 PWord(int index) const { return p_[index]; }
    quint32 SWord(int box, int entry) const { return s_[box][entry]; }

signals:
    void Progress(qint32 percent);

private:
    struct Chain {
        quint32 left = 0, right = 0;  // the previous ciphertext block
    };
    struct ProgressState {
        qint64 total = 0;
        qint32 percent = 0;
        qint64 threshold = 0;
    };

    void ResetTables();
    void KeySchedule(const QByteArray& keyBytes);
    void SetKeyIfGiven(const QString& key);

    // CBC over whole blocks, no checks, no events.
    void CbcEncrypt(uchar* data, qint64 bytes, Chain& chain) const;
    void CbcDecrypt(uchar* data, qint64 bytes, Chain& chain) const;
    // CBC over blocks at container offset `offset`, raising Progress at the
    // blocks where the percentage moves on.
    void RunBlocks(bool encrypt, uchar* data, qint64 bytes, qint64 offset, Chain& chain,
                   ProgressState& progress);
    // Whole arrays, with the events between chunks.
    void RunArray(bool encrypt, uchar* data, qint64 bytes);

    bool EncryptBytes(QByteArray& bytes);
    bool DecryptBytes(QByteArray& bytes);
    bool FileJob(bool encrypt, const QString& inPath, const QString& outPath, bool overwrite,
                 const QString& key, bool inHex);

    // The text builder of the hexadecimal forms.
    void Append(const QByteArray& piece);
    QString GData() const;
    void Reset();
    QByteArray text_;

    SBoxLayout layout_;
    QString keyText_;
    quint32 p_[18];
    quint32 s_[4][256];
};
