// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FolderDialog.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace platform {

namespace {
QString Clean(const QString& hostPath) {
    if (hostPath.isEmpty())
        return {};
    const QString real = QFileInfo(hostPath).canonicalFilePath();
    return QDir::cleanPath(real.isEmpty() ? QFileInfo(hostPath).absoluteFilePath() : real);
}
}  // namespace

FolderDialog::FolderDialog(QWidget* owner, const QString& prompt, const QString& start, const QString& root,
                           bool includeFiles)
    : QFileDialog(owner, prompt), root_(Clean(root)), includeFiles_(includeFiles) {
    setOption(QFileDialog::DontUseNativeDialog, true);
    setFileMode(QFileDialog::Directory);
    setOption(QFileDialog::ShowDirsOnly, !includeFiles);
    setAcceptMode(QFileDialog::AcceptOpen);
    setLabelText(QFileDialog::Accept, tr("&Choose"));
    if (!root_.isEmpty()) {
        setSidebarUrls({QUrl::fromLocalFile(root_)});
        connect(this, &QFileDialog::directoryEntered, this, &FolderDialog::keepInsideRoot);
    }
    QString first = Clean(start);
    if (first.isEmpty() || !QFileInfo(first).isDir() || !insideRoot(first))
        first = root_;
    if (!first.isEmpty())
        setDirectory(first);
}

bool FolderDialog::insideRoot(const QString& hostPath) const {
    if (root_.isEmpty())
        return true;
    const QString p = Clean(hostPath);
    if (root_ == QLatin1String("/"))
        return p.startsWith(QLatin1Char('/'));
    return p == root_ || p.startsWith(root_ + QLatin1Char('/'));
}

void FolderDialog::keepInsideRoot(const QString& folder) {
    if (!insideRoot(folder))
        setDirectory(root_);
}

void FolderDialog::accept() {
    QString pick;
    const QStringList selected = selectedFiles();
    if (!selected.isEmpty())
        pick = Clean(selected.first());
    if (pick.isEmpty() || !QFileInfo::exists(pick))
        pick = Clean(directory().absolutePath());
    const QFileInfo info(pick);
    if (info.isDir() || (includeFiles_ && info.isFile())) {
        if (!insideRoot(pick)) {
            setDirectory(root_);
            return;
        }
        chosen_ = pick;
        QDialog::accept();
        return;
    }
    // A file while folders only are chosen: take the folder it is in.
    if (info.isFile() && insideRoot(info.absolutePath())) {
        chosen_ = Clean(info.absolutePath());
        QDialog::accept();
    }
}

}  // namespace platform
