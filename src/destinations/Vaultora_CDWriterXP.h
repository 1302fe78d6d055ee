// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

namespace platform {
class CDWriterXP;
}

// Putting a run's results on a disc in the selected CD recorder: prepare the
// disc, add and remove files of the disc image, write the image, and the
// texts of the writer's errors.

// A disc write is under way: set by BurnCD, cleared by the write's end.
extern bool CdWriting;
// Size of the track being written and total of the track being cached, in
// bytes, from the writer's events.
extern qint64 CdTrackSize;
extern qint64 CdCacheTotal;

// Prepares the disc in the selected recorder for a new image: a closed disc
// is refused, an appendable one gets its incomplete session closed and its
// last session imported.
void OpenCopy2CD();

// Adds `FilePath` to the disc image in the folder `CdPath` ("" the disc's
// root; a drive or network prefix is dropped). False when it is not in the
// image (the error is logged).
bool AddImage2CD(const QString& CdPath, const QString& FilePath);

// Takes that entry out of the disc image again.
void RemoveImage2CD(const QString& CdPath, const QString& FilePath);

// Writes the collected image to the disc as a new session and waits for the
// end (at most about 30 minutes; then the write is cancelled). True when the
// disc holds the image now; an empty image is not written and is true. A
// write that failed leaves its reason in CdWriteFailure.
bool BurnCD();
extern QString CdWriteFailure;
// Set by the write-complete event: the last write ended well.
extern bool CdWriteCompleted;

// The disc folder of an image entry: trimmed, without a drive ("D:\", also a
// bare "D:") or network prefix, without leading "\", ending in "\" unless it
// is the root ("").
QString CdImageFolder(const QString& CdPath);

// Bytes of the disc image collected so far, comparable with FreeCdSpace.
double CdImageSize();

// The files in the root of the disc (its last session) whose names match the
// Windows pattern, such as "P_BackUp_d20040307__*.zip": the archives a
// run numbers its next volume after.
QStringList CdDiscFiles(const QString& pattern);

// The texts of the writer's errors.
QString GetWriteErrorText(platform::CDWriterXP& writer, qint32 errorType, qint32 code);
QString GetFileErrorText(qint32 errorType, const QString& fileName);
QString DeviceErrorText(qint32 code);
