// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/VbFolderTree.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QStyle>

#include "ui/controls/HostPath.h"
#include "vb/VbError.h"

namespace ui {

namespace {
constexpr int kPathRole = Qt::UserRole;
constexpr int kFilledRole = Qt::UserRole + 1;

QString join(const QString& folder, const QString& name) {
    return folder.endsWith(QLatin1Char('\\')) ? folder + name : folder + QLatin1Char('\\') + name;
}
}  // namespace

VbFolderTree::VbFolderTree(const QString& name, QWidget* parent) : QTreeWidget(parent) {
    setObjectName(name);
    setHeaderHidden(true);
    setColumnCount(1);
    setUniformRowHeights(true);
    header()->setStretchLastSection(true);
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* it) { fill(it); });
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* now, QTreeWidgetItem* before) {
                if (now && now != before)
                    emit Select();
            });
    build();
}

QTreeWidgetItem* VbFolderTree::addFolder(QTreeWidgetItem* parent, const QString& text,
                                         const QString& path) {
    auto* it = new QTreeWidgetItem(parent, QStringList{text});
    it->setData(0, kPathRole, path);
    it->setIcon(0, style()->standardIcon(path.size() == 3 ? QStyle::SP_DriveHDIcon : QStyle::SP_DirIcon));
    it->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return it;
}

void VbFolderTree::build() {
    const bool old = blockSignals(true);
    clear();
    auto* desktop = new QTreeWidgetItem(this, QStringList{QString::fromLatin1(kDesktop)});
    desktop->setIcon(0, style()->standardIcon(QStyle::SP_DesktopIcon));
    computer_ = new QTreeWidgetItem(desktop, QStringList{QString::fromLatin1(kMyComputer)});
    computer_->setIcon(0, style()->standardIcon(QStyle::SP_ComputerIcon));
    for (const QString& d : DriveList())
        addFolder(computer_, d + QLatin1Char('\\'), d + QLatin1Char('\\'));
    desktop->setExpanded(true);
    computer_->setExpanded(true);
    blockSignals(old);
}

// Reads the subfolders of a node the first time it is opened.
void VbFolderTree::fill(QTreeWidgetItem* item) {
    const QString path = item->data(0, kPathRole).toString();
    if (path.isEmpty() || item->data(0, kFilledRole).toBool())
        return;
    item->setData(0, kFilledRole, true);
    QDir::Filters filters = QDir::Dirs | QDir::NoDotAndDotDot;
    if (showHidden_)
        filters |= QDir::Hidden;
    const QStringList names = QDir(HostPath(path)).entryList(filters, QDir::Name | QDir::IgnoreCase);
    for (const QString& n : names)
        addFolder(item, n, join(path, n));
    if (names.isEmpty())
        item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

QString VbFolderTree::SelectedFolder() const {
    const QTreeWidgetItem* it = currentItem();
    if (!it)
        return {};
    const QString path = it->data(0, kPathRole).toString();
    return path.isEmpty() ? it->text(0) : path;
}

void VbFolderTree::setSelectedFolder(const QString& windowsPath) {
    QString p = windowsPath.trimmed();
    while (p.size() > 3 && p.endsWith(QLatin1Char('\\')))
        p.chop(1);
    if (p.size() < 2 || p[1] != QLatin1Char(':') || !QFileInfo(HostPath(p)).isDir())
        vb::Raise(76);
    const QStringList parts = p.mid(3).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    QTreeWidgetItem* node = nullptr;
    const QString drive = p.left(2).toUpper() + QLatin1Char('\\');
    for (int i = 0; i < computer_->childCount(); ++i)
        if (computer_->child(i)->data(0, kPathRole).toString().compare(drive, Qt::CaseInsensitive) == 0)
            node = computer_->child(i);
    if (!node)
        vb::Raise(76);
    for (const QString& part : parts) {
        fill(node);
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < node->childCount() && !next; ++i)
            if (node->child(i)->text(0) == part)
                next = node->child(i);
        for (int i = 0; i < node->childCount() && !next; ++i)
            if (node->child(i)->text(0).compare(part, Qt::CaseInsensitive) == 0)
                next = node->child(i);
        if (!next) {
            // A hidden folder while hidden ones are not listed.
            next = addFolder(node, part, join(node->data(0, kPathRole).toString(), part));
        }
        node->setExpanded(true);
        node = next;
    }
    setCurrentItem(node);
    scrollToItem(node);
}

void VbFolderTree::setShowHidden(bool on) {
    if (on == showHidden_)
        return;
    showHidden_ = on;
    Refresh();
}

void VbFolderTree::Refresh() {
    const QString keep = SelectedFolder();
    build();
    if (keep.size() >= 3 && keep[1] == QLatin1Char(':')) {
        const bool old = blockSignals(true);
        try {
            setSelectedFolder(keep);
        } catch (const vb::VbError&) {
            // The folder is gone; nothing stays selected.
        }
        blockSignals(old);
    }
}

}  // namespace ui
