// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/VbFileListBox.h"

#include <QDir>
#include <QFileInfo>
#include <QMouseEvent>

#include "ui/controls/HostPath.h"
#include "vb/Like.h"
#include "ui/controls/VbControl.h"
#include "vb/VbError.h"

namespace ui {

namespace {

// "C:" and "C:\" name the drive's root; other folders lose a trailing "\".
QString normalFolder(QString p) {
    p = p.trimmed();
    if (p.size() == 2 && p[1] == QLatin1Char(':'))
        return p + QLatin1Char('\\');
    while (p.size() > 3 && p.endsWith(QLatin1Char('\\')))
        p.chop(1);
    return p;
}

bool wildcardMatch(const QString& mask, const QString& name) {
    if (mask == QLatin1String("*.*") || mask == QLatin1String("*"))
        return true;
    // "x.*" also matches "x" without an extension, as Windows does.
    QString m = mask;
    if (m.endsWith(QLatin1String(".*")) && !name.contains(QLatin1Char('.')))
        m.chop(2);
    return vb::WildcardMatch(name, m, Qt::CaseInsensitive);
}

}  // namespace

VbFileListBox::VbFileListBox(const QString& name, QWidget* parent) : QListWidget(parent) {
    setObjectName(name);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformItemSizes(true);
    setSortingEnabled(false);
    connect(this, &QListWidget::currentRowChanged, this, [this](int) { emit Click(); });
}

void VbFileListBox::setPath(const QString& windowsPath) {
    const QString folder = normalFolder(windowsPath);
    if (folder.isEmpty() || !QFileInfo(HostPath(folder)).isDir())
        vb::Raise(76);
    path_ = folder;
    Refresh();
}

void VbFileListBox::setPattern(const QString& pattern) {
    pattern_ = pattern.isEmpty() ? QStringLiteral("*.*") : pattern;
    Refresh();
}

void VbFileListBox::setHidden(bool on) {
    hidden_ = on;
    Refresh();
}

void VbFileListBox::setSystem(bool on) {
    system_ = on;
    Refresh();
}

bool VbFileListBox::matches(const QString& name) const {
    for (const QString& mask : pattern_.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        if (wildcardMatch(mask.trimmed(), name))
            return true;
    return false;
}

void VbFileListBox::Refresh() {
    const bool old = blockSignals(true);
    clear();
    if (!path_.isEmpty()) {
        QDir::Filters filters = QDir::Files | QDir::NoDotAndDotDot;
        if (hidden_)
            filters |= QDir::Hidden;
        const QDir dir(HostPath(path_));
        for (const QString& n : dir.entryList(filters, QDir::Name | QDir::IgnoreCase))
            if (matches(n))
                addItem(n);
    }
    blockSignals(old);
}

QString VbFileListBox::List(int index) const {
    if (index < 0 || index >= count())
        return {};
    return item(index)->text();
}

bool VbFileListBox::Selected(int index) const {
    if (index < 0 || index >= count())
        RaiseInvalidIndex();
    return item(index)->isSelected();
}

void VbFileListBox::setSelected(int index, bool selected) {
    if (index < 0 || index >= count())
        RaiseInvalidIndex();
    item(index)->setSelected(selected);
}

void VbFileListBox::setListIndex(int index) {
    if (index < -1 || index >= count())
        RaiseInvalidValue();
    setCurrentRow(index);
}

QString VbFileListBox::FileName() const {
    const int i = currentRow();
    return i < 0 ? QString() : item(i)->text();
}

void VbFileListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QListWidget::mouseDoubleClickEvent(event);
    if (itemAt(event->position().toPoint()))
        emit DblClick();
}

}  // namespace ui
