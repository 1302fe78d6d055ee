// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/VbFolderTree.h"

#include <QApplication>
#include <algorithm>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QSet>
#include <QSignalBlocker>
#include <QStyle>

#include "ui/controls/HostPath.h"
#include "ui/controls/StandardIcon.h"
#include "vb/VbError.h"

namespace ui {

namespace {
constexpr int kPathRole = Qt::UserRole;

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
    auto* it = parent ? new QTreeWidgetItem(parent, QStringList{text}) : new QTreeWidgetItem(QStringList{text});
    it->setData(0, kPathRole, path);
    it->setIcon(0, StandardIcon(path.size() == 3 ? QStyle::SP_DriveHDIcon : QStyle::SP_DirIcon));
    it->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return it;
}

void VbFolderTree::build() {
    const bool old = blockSignals(true);
    clear();
    auto* desktop = new QTreeWidgetItem(this, QStringList{QString::fromLatin1(kDesktop)});
    desktop->setIcon(0, StandardIcon(QStyle::SP_DesktopIcon));
    computer_ = new QTreeWidgetItem(desktop, QStringList{QString::fromLatin1(kMyComputer)});
    computer_->setIcon(0, StandardIcon(QStyle::SP_ComputerIcon));
    syncDrives();
    desktop->setExpanded(true);
    computer_->setExpanded(true);
    blockSignals(old);
}

// The drives under "My Computer", each shown with what it stands for; a
// drive that went away goes, a new one comes in its letter's place.
void VbFolderTree::syncDrives() {
    const QStringList drives = DriveList();
    for (int i = computer_->childCount() - 1; i >= 0; --i) {
        QTreeWidgetItem* node = computer_->child(i);
        if (!drives.contains(node->data(0, kPathRole).toString().left(2)))
            delete node;
    }
    int pos = 0;
    for (const QString& d : drives) {
        const QString root = d + QLatin1Char('\\');
        while (pos < computer_->childCount() && computer_->child(pos)->data(0, kPathRole).toString() < root)
            ++pos;
        QTreeWidgetItem* node = pos < computer_->childCount() ? computer_->child(pos) : nullptr;
        if (!node || node->data(0, kPathRole).toString() != root) {
            node = addFolder(nullptr, QString(), root);
            computer_->insertChild(pos, node);
        }
        node->setText(0, DriveCaption(d));
        node->setToolTip(0, node->text(0));  // a long mount point is cut in a narrow tree
        ++pos;
    }
}

namespace {
bool folderBefore(const QString& a, const QString& b) {
    const int c = a.compare(b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}
}  // namespace

// Reads the subfolders of a node each time it is opened: folders made since
// come in at their place, folders that went away go; the nodes that stay
// keep what was opened below them.
void VbFolderTree::fill(QTreeWidgetItem* item) {
    const QString path = item->data(0, kPathRole).toString();
    if (path.isEmpty())
        return;
    QDir::Filters filters = QDir::Dirs | QDir::NoDotAndDotDot;
    if (showHidden_)
        filters |= QDir::Hidden;
    QStringList names = QDir(HostPath(path)).entryList(filters, QDir::NoSort);
    std::sort(names.begin(), names.end(), folderBefore);
    const QSet<QString> present(names.begin(), names.end());
    const QTreeWidgetItem* current = currentItem();
    auto holdsCurrent = [&](const QTreeWidgetItem* node) {
        for (const QTreeWidgetItem* p = current; p; p = p->parent())
            if (p == node)
                return true;
        return false;
    };
    for (int i = item->childCount() - 1; i >= 0; --i) {
        QTreeWidgetItem* child = item->child(i);
        if (present.contains(child->text(0)))
            continue;
        // A hidden folder that was opened on purpose stays while it exists.
        if (holdsCurrent(child) && QFileInfo(HostPath(child->data(0, kPathRole).toString())).isDir())
            continue;
        delete child;
    }
    int pos = 0;
    for (const QString& n : names) {
        while (pos < item->childCount() && folderBefore(item->child(pos)->text(0), n))
            ++pos;
        if (pos < item->childCount() && item->child(pos)->text(0) == n) {
            ++pos;
            continue;
        }
        item->insertChild(pos++, addFolder(nullptr, n, join(path, n)));
    }
    item->setChildIndicatorPolicy(item->childCount() ? QTreeWidgetItem::ShowIndicator
                                                     : QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

// Reads every opened node again, from the drives down.
void VbFolderTree::refill(QTreeWidgetItem* item) {
    if (!item->isExpanded())
        return;
    fill(item);
    for (int i = 0; i < item->childCount(); ++i)
        refill(item->child(i));
}

void VbFolderTree::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F5 && event->modifiers() == Qt::NoModifier) {
        Refresh();
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
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
        {
            // Opened without the signal, so that it is read once, here.
            const QSignalBlocker quiet(this);
            node->setExpanded(true);
        }
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
    const bool old = blockSignals(true);
    syncDrives();
    for (int i = 0; i < computer_->childCount(); ++i)
        refill(computer_->child(i));
    blockSignals(old);
}

}  // namespace ui
