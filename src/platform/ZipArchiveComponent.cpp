// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ZipArchiveComponent.h"

#include "platform/ZipArchiveState.h"
#include "vb/ErrorHandling.h"

namespace platform {

void ZipArchiveComponent::SetWhileAdding(std::function<void()> callback) {
    ZipArchiveState::WhileAdding() = std::move(callback);
}

ZipArchiveComponent::ZipArchiveComponent()
    : state_(std::make_shared<ZipArchiveState>()), files_(state_) {}

ZipArchiveComponent::~ZipArchiveComponent() {
    vb::Quiet([&] { state_->close(); });
}

void ZipArchiveComponent::Create(const QString& path) { state_->create(path); }
void ZipArchiveComponent::Open(const QString& path) { state_->open(path); }
void ZipArchiveComponent::OpenToRead(const QString& path) { state_->open(path, true); }
void ZipArchiveComponent::Close() { state_->close(); }

QString ZipArchiveComponent::Comment() const { return state_->isOpen() ? state_->comment() : QString(); }
void ZipArchiveComponent::SetComment(const QString& text) { state_->setComment(text); }

}  // namespace platform
