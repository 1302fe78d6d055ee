// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

// The CD-writer component of the main window: the recorders, the disc in the
// selected one, the disc image that is being collected, and the write.
//
// Recorders are the optical drives of the machine followed by the
// pseudo-drives named in the environment variable VAULTORA_CD_DRIVES
// (addresses separated by ";", e.g. "stdio:/home/me/backup-disc.iso"; a
// trailing "@700M" declares the capacity of that disc, in bytes or with K, M
// or G). A pseudo-drive writes its disc as an ISO 9660 image file.
//
// Amounts of space (DiscFreeSpace, ImageSpace) are 2048-byte sectors;
// ConvertSpace(amount, 1) turns them into bytes. All of them are 64-bit.
//
// A write runs in the background; its progress arrives as the signals below,
// on the thread of the component, while the caller lets events run. Members
// that fail raise a VbError.
namespace platform {

class CDWriterXP : public QObject {
    Q_OBJECT
public:
    explicit CDWriterXP(QObject* parent = nullptr) : QObject(parent) {}
    ~CDWriterXP() override = default;

    // --- settings written before a write ---------------------------------
    bool AfterWriteOption = true;   // false: the write-complete handler calls AfterWriteAction
    bool BurnSetting3 = false;
    bool BurnSetting4 = false;
    bool BurnSetting5 = false;
    qint32 BurnSetting7 = 0;
    bool BurnSetting9 = false;
    QString VolumeLabel = QStringLiteral("NEW_DISC");

    // --- recorders -------------------------------------------------------
    virtual qint16 DeviceCount() = 0;
    // The parts of a recorder's list line: A ": " C " " B.
    virtual QString DeviceTextA(qint16 index) = 0;
    virtual QString DeviceTextB(qint16 index) = 0;
    virtual QString DeviceTextC(qint16 index) = 0;
    // Makes that recorder the one all later calls work on.
    virtual void SelectDevice(qint16 index) = 0;
    virtual qint16 MaxWriteSpeed() = 0;        // speed factor; 0 when unknown
    virtual void SetWriteSpeed(qint16 speed) = 0;
    virtual bool BurnProofSupported() = 0;

    // --- the disc in the selected recorder --------------------------------
    // Reads the disc again; the image starts anew, empty.
    virtual void RefreshDiscInfo() = 0;
    virtual bool DiscReady() = 0;
    // Why the selected recorder cannot be used at all (it cannot be opened,
    // or the image file of a pseudo-drive cannot be created); "" when it can.
    virtual QString NotReadyReason() { return {}; }
    virtual qint32 DiscStatus() = 0;     // 0 empty, 1 open (appendable), 2 closed, 3 other
    virtual qint32 DiscType() = 0;       // 0 CD-DA/CD-ROM, 16 CD-I, 32 CD-ROM XA, 255 undefined
    virtual qint16 SessionCount() = 0;
    virtual qint32 SessionStatus() = 0;  // last session: 0 empty, 1 incomplete, 2 unknown, 3 closed
    virtual qint32 DiscInfoCount() = 0;  // folders in the root of the disc's last session
    // The names of the files in the root of the disc's last session.
    virtual QStringList DiscFiles() = 0;
    virtual qint64 DiscFreeSpace(qint32 unit) = 0;
    virtual qint64 ConvertSpace(qint64 amount, qint32 unit) = 0;
    // Closes the incomplete last session; true when done.
    virtual bool CloseSession(bool flag) = 0;
    // Takes the tree of the disc's last session into the new image; false
    // when it could not be read.
    virtual bool ImportSession(bool flag) = 0;

    // --- the disc image ----------------------------------------------------
    // imagePath is relative, folders separated by "\"; localFile is a
    // Windows path. An entry of the same image path is replaced.
    virtual void AddFile(const QString& imagePath, const QString& localFile) = 0;
    virtual void RemoveFile(const QString& imagePath) = 0;
    // The space the next session takes on the disc with the entries
    // collected so far (0 for none).
    virtual qint64 ImageSpace() = 0;

    // --- the write ---------------------------------------------------------
    // Writes the image as a new session; the image is empty afterwards,
    // whether the write started or not.
    virtual void StartWrite(bool useBurnProof) = 0;
    // True from the moment the write started, also once it has ended.
    virtual bool WriteStarted() = 0;
    // The drive is still writing.
    virtual bool Busy() = 0;
    // Asks a running write to stop; it ends with WriteError.
    virtual void CancelWrite() = 0;
    virtual void AfterWriteAction() = 0;
    virtual QString ExtendedErrorData() = 0;

signals:
    void ClosingDisc();
    void ClosingSession();
    void WriteComplete();
    void PreparingToWrite();
    void CreatingDirectories();
    void PreparingToWriteTrack(qint16 track, qint64 size);
    void WritingTrack(qint16 track, qint64 written, qint64 total);
    void WriteError(qint32 errorType, qint32 code);
    void ClosingTrack(qint32 track);
    void CachingTrack(qint16 track, qint64 total);
    void CachingTrackStatus(qint64 cached);
    void ReadingFile(qint32 number);
    void FileError(qint32 errorType, const QString& fileName);
};

// A pseudo-drive named in VAULTORA_CD_DRIVES.
struct PseudoDrive {
    QString address;        // "stdio:/home/me/backup-disc.iso"
    QString path;           // "/home/me/backup-disc.iso"
    qint64 capacity = -1;   // declared capacity in bytes; -1: the file system's free space
};
QList<PseudoDrive> PseudoDrivesFrom(const QString& setting);

// The component the main window creates: libisoburn's, unless a test put a
// factory of its own in place (an empty one restores libisoburn's).
using CDWriterFactory = std::function<std::unique_ptr<CDWriterXP>()>;
void SetCDWriterFactory(CDWriterFactory factory);
std::unique_ptr<CDWriterXP> CreateCDWriterXP();
std::unique_ptr<CDWriterXP> CreateIsoburnWriter();

}  // namespace platform
