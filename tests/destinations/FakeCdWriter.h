// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A scripted CD-writer component: recorders, the disc and the outcome of a
// write are set by the test; every call that changes something is recorded.
#include <QList>
#include <QMap>
#include <QMetaObject>
#include <QStringList>
#include <functional>

#include "platform/CDWriterXP.h"
#include "vb/VbError.h"

class FakeCdWriter : public platform::CDWriterXP {
public:
    struct Recorder {
        QString a, b, c;
        qint16 maxSpeed = 0;
        bool burnProof = false;
    };
    enum class Outcome { Complete, Error, NeverEnds, NotStarted };

    // --- script ---
    QList<Recorder> recorders;
    bool ready = true;
    qint32 status = 0, type = 0, sessionStatus = 0, infoCount = 0;
    qint16 sessions = 0;
    qint64 freeSectors = 1000;
    bool closeOk = true, importOk = true;
    Outcome outcome = Outcome::Complete;
    qint32 errorType = 3, errorCode = 1008;
    QString extended = QStringLiteral("sense 3 0C 00");
    std::function<void()> onExtendedErrorData;

    // --- record ---
    QStringList calls;
    QMap<QString, QString> image;   // image path -> local file
    qint16 selected = -1;
    bool busy = false, started = false;

    qint16 DeviceCount() override { return qint16(recorders.size()); }
    QString DeviceTextA(qint16 i) override { return at(i).a; }
    QString DeviceTextB(qint16 i) override { return at(i).b; }
    QString DeviceTextC(qint16 i) override { return at(i).c; }
    void SelectDevice(qint16 i) override {
        at(i);
        selected = i;
        calls << QStringLiteral("SelectDevice(%1)").arg(i);
    }
    qint16 MaxWriteSpeed() override { return at(selected).maxSpeed; }
    void SetWriteSpeed(qint16 s) override { calls << QStringLiteral("SetWriteSpeed(%1)").arg(s); }
    bool BurnProofSupported() override { return at(selected).burnProof; }

    void RefreshDiscInfo() override { calls << QStringLiteral("RefreshDiscInfo"); }
    bool DiscReady() override { return ready; }
    QString notReady;
    QString NotReadyReason() override { return notReady; }
    qint32 DiscStatus() override { return status; }
    qint32 DiscType() override { return type; }
    qint16 SessionCount() override { return sessions; }
    qint32 SessionStatus() override { return sessionStatus; }
    qint32 DiscInfoCount() override { return infoCount; }
    QStringList discFiles;
    QStringList DiscFiles() override { return discFiles; }
    qint64 DiscFreeSpace(qint32 unit) override { return freeSectors; }
    qint64 ConvertSpace(qint64 amount, qint32 unit) override { return amount * 2048; }
    bool CloseSession(bool flag) override {
        calls << QStringLiteral("CloseSession(%1)").arg(flag ? "true" : "false");
        return closeOk;
    }
    bool ImportSession(bool flag) override {
        calls << QStringLiteral("ImportSession(%1)").arg(flag ? "true" : "false");
        return importOk;
    }
    void AddFile(const QString& imagePath, const QString& localFile) override {
        calls << QStringLiteral("AddFile(%1)").arg(imagePath);
        image.insert(imagePath, localFile);
    }
    void RemoveFile(const QString& imagePath) override {
        calls << QStringLiteral("RemoveFile(%1)").arg(imagePath);
        image.remove(imagePath);
    }
    qint64 ImageSpace() override { return image.size() * 100; }   // 100 sectors an entry

    void StartWrite(bool useBurnProof) override {
        calls << QStringLiteral("StartWrite(%1) label=%2 after=%3 settings=%4%5%6%7%8")
                     .arg(useBurnProof ? "true" : "false", VolumeLabel, AfterWriteOption ? "1" : "0")
                     .arg(int(BurnSetting3))
                     .arg(int(BurnSetting4))
                     .arg(int(BurnSetting5))
                     .arg(BurnSetting7)
                     .arg(int(BurnSetting9));
        if (outcome == Outcome::NotStarted)
            return;
        started = busy = true;
        if (outcome == Outcome::NeverEnds)
            return;
        QMetaObject::invokeMethod(
            this,
            [this] {
                emit PreparingToWrite();
                emit PreparingToWriteTrack(1, 4096);
                emit WritingTrack(1, 2048, 4096);
                busy = false;
                image.clear();
                if (outcome == Outcome::Complete)
                    emit WriteComplete();
                else
                    emit WriteError(errorType, errorCode);
            },
            Qt::QueuedConnection);
    }
    bool WriteStarted() override { return started; }
    bool Busy() override { return busy; }
    void CancelWrite() override { calls << QStringLiteral("CancelWrite"); }
    void AfterWriteAction() override { calls << QStringLiteral("AfterWriteAction"); }
    QString ExtendedErrorData() override {
        if (onExtendedErrorData)
            onExtendedErrorData();
        return extended;
    }

private:
    const Recorder& at(qint16 i) const {
        if (i < 0 || i >= recorders.size())
            throw vb::VbError(9);
        return recorders.at(i);
    }
};
