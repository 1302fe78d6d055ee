// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/VbAnimation.h"

#include <QFileInfo>
#include <QMovie>

#include "ui/controls/HostPath.h"
#include "vb/VbError.h"

namespace ui {

VbAnimation::VbAnimation(const QString& name, QWidget* parent) : QLabel(parent) {
    setObjectName(name);
    setAlignment(Qt::AlignCenter);
    // A clip's transparent pixels show the form's own colour, as a windowed
    // animation control does, not the text of a control it lies over.
    setAutoFillBackground(true);
}

VbAnimation::~VbAnimation() { Close(); }

void VbAnimation::Open(const QString& windowsPath) {
    Close();
    const QString host = HostPath(windowsPath);
    if (!QFileInfo(host).isFile())
        vb::Raise(53);
    auto* movie = new QMovie(host, QByteArray(), this);
    if (!movie->isValid()) {
        delete movie;
        vb::Raise(35752, QStringLiteral("Unable to open AVI file"));
    }
    movie_ = movie;
    // Play repeats the clip until Stop.
    connect(movie_, &QMovie::finished, movie_, [m = movie_] { m->start(); });
    setMovie(movie_);
    movie_->jumpToFrame(0);
    if (!movie_->currentPixmap().isNull())
        resize(movie_->currentPixmap().size().expandedTo(size()));
}

void VbAnimation::Play() {
    if (!movie_)
        vb::Raise(5);
    if (movie_->state() == QMovie::Paused)
        movie_->setPaused(false);
    else if (movie_->state() == QMovie::NotRunning)
        movie_->start();
}

void VbAnimation::Stop() {
    if (movie_ && movie_->state() == QMovie::Running)
        movie_->setPaused(true);
}

void VbAnimation::Close() {
    if (!movie_)
        return;
    QMovie* m = movie_;
    movie_ = nullptr;
    m->disconnect(this);
    m->stop();
    setMovie(nullptr);
    clear();
    delete m;
}

bool VbAnimation::isPlaying() const { return movie_ && movie_->state() == QMovie::Running; }

}  // namespace ui
