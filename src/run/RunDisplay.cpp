// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/RunDisplay.h"

#include <QApplication>
#include <QHash>
#include <QPointer>

#include "common/Globals.h"
#include "common/NRV_PlaySound.h"
#include "platform/Paths.h"
#include "run/Vaultora_Main.h"
#include "settings/Speech.h"
#include "ui/frmMain_BackUp.h"
#include "vb/Clock.h"
#include "vb/ErrorHandling.h"
#include "vb/Strings.h"

namespace run_display {
namespace {

constexpr qint64 kFrameMs = 40;
constexpr int kLogLimit = 2000;

}  // namespace

void RepaintSoon(QWidget* widget) {
    if (!widget)
        return;
    static QHash<QWidget*, qint64> lastPaint;
    const qint64 now = vb::MonotonicMs();
    auto it = lastPaint.find(widget);
    if (it != lastPaint.end() && now - it.value() < kFrameMs && now >= it.value()) {
        widget->update();
        return;
    }
    lastPaint.insert(widget, now);
    widget->repaint();
}

void SetText(ui::VbTextBox* box, const QString& text) {
    if (box->Text() != text)
        box->setText(text);
}

void SetCounter(ui::VbTextBox* box, const QString& text) {
    if (box->Text() != text)
        box->setTextSoon(text);
}

void SetBar(ui::VbProgressBar* bar, int value, bool now) {
    static QHash<ui::VbProgressBar*, qint64> lastMove;
    const qint64 t = vb::MonotonicMs();
    auto it = lastMove.find(bar);
    if (!now && value != 0 && value != bar->Max() && it != lastMove.end() && t - it.value() < kFrameMs &&
        t >= it.value())
        return;
    lastMove.insert(bar, t);
    bar->setValue(value);
}

void StatusText(const QString& text) {
    if (!fMainForm || !fMainForm->txtNews)
        return;
    SetText(fMainForm->txtNews, text);
    RepaintSoon(fMainForm->txtNews);
}

void Status(int langTextNumber) { StatusText(LangText(langTextNumber)); }

void LogLine(const QString& line) {
    if (!fMainForm || !fMainForm->RtbNews1)
        return;
    // The newest line first, and no more than the limit: made in one piece,
    // as it is for every file.
    const QString& old = fMainForm->RtbNews1->Text();
    QString text;
    text.reserve(kLogLimit);
    text += QStringView(line).left(kLogLimit);
    if (text.size() < kLogLimit)
        text += QStringView(vb::vbCrLf).left(kLogLimit - text.size());
    if (text.size() < kLogLimit)
        text += QStringView(old).left(kLogLimit - text.size());
    fMainForm->RtbNews1->setTextSoon(text);
}

void SetLog(const QString& text) {
    if (fMainForm && fMainForm->RtbNews1)
        fMainForm->RtbNews1->setText(text);
}

void StopClip() {
    if (fMainForm && fMainForm->Animation1)
        vb::Quiet([] { fMainForm->Animation1->Stop(); });
}

void PlayClip(const QString& clip) {
    if (!fMainForm || !fMainForm->Animation1)
        return;
    ui::VbAnimation* a = fMainForm->Animation1;
    // A clip nobody can see is neither read nor played.
    if (UnseenStart())
        return;
    vb::Quiet([&] {
        a->Stop();
        a->Open(platform::ProgramFolder() + QStringLiteral("\\..\\Common\\avi\\") + clip);
        a->show();
        a->Play();
    });
}

void Speak(const QString& text) {
    if (fMainForm && fMainForm->chkSound->Value() == 1)
        ::Speak(text);
}

void PlayCloseSound() {
    if (fMainForm && fMainForm->chkSound->Value() == 1 && bSoundAvailable) {
        PlaySoundOnce(QStringLiteral("close"), true);
        return;
    }
    QApplication::beep();
}

}  // namespace run_display
