// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestEnv.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QUuid>
#include <cstdlib>
#include <unistd.h>

namespace testenv {
namespace {
QString g_root;

void copyTree(const QString& from, const QString& to) {
    QDir().mkpath(to);
    QDir src(from);
    for (const QFileInfo& fi : src.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
        const QString target = to + "/" + fi.fileName();
        if (fi.isDir())
            copyTree(fi.filePath(), target);
        else
            QFile::copy(fi.filePath(), target);
    }
}
}  // namespace

void setUpProcess() {
    char tmpl[] = "/tmp/vaultora-test-XXXXXX";
    const char* made = mkdtemp(tmpl);
    g_root = QString::fromLocal8Bit(made ? made : "/tmp/vaultora-test");
    QDir().mkpath(g_root + "/home");
    QDir().mkpath(g_root + "/app/Vaultora");
    copyTree(sourceDir() + "/data/Common", g_root + "/app/Common");
    setenv("HOME", (g_root + "/home").toLocal8Bit().constData(), 1);
    setenv("XDG_CONFIG_HOME", (g_root + "/home/.config").toLocal8Bit().constData(), 1);
    setenv("XDG_DATA_HOME", (g_root + "/home/.local/share").toLocal8Bit().constData(), 1);
    setenv("XDG_RUNTIME_DIR", (g_root + "/run").toLocal8Bit().constData(), 1);
    QDir().mkpath(g_root + "/run");
    QFile::setPermissions(g_root + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    setenv("VAULTORA_PROGRAM_DIR", (g_root + "/app/Vaultora").toLocal8Bit().constData(), 1);
    if (!getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // No test may reach the machine's logind: a run that ends the session
    // would end it for real. Tests that need logind start their own bus.
    setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + g_root + "/run/no-system-bus").toLocal8Bit().constData(), 1);
}

QString root() { return g_root; }
QString home() { return g_root + "/home"; }
QString programDir() { return g_root + "/app/Vaultora"; }
QString commonDir() { return g_root + "/app/Common"; }

QString tempDir(const QString& name) {
    const QString p = g_root + "/t/" + name + "-" + QUuid::createUuid().toString(QUuid::Id128).left(8);
    QDir().mkpath(p);
    return p;
}

void writeFile(const QString& hostPath, const QByteArray& data) {
    QDir().mkpath(QFileInfo(hostPath).absolutePath());
    QFile f(hostPath);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(data);
}

QByteArray readFile(const QString& hostPath) {
    QFile f(hostPath);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QByteArray randomBytes(qsizetype n, quint32 seed) {
    QByteArray b(n, Qt::Uninitialized);
    quint32 x = seed * 2654435761u + 1;   // xorshift32
    for (qsizetype i = 0; i < n; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b[i] = char(x & 0xFF);
    }
    return b;
}

QMap<QString, QByteArray> treeContents(const QString& hostRoot) {
    QMap<QString, QByteArray> out;
    QDirIterator it(hostRoot, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString p = it.next();
        out.insert(p.mid(hostRoot.size() + 1), readFile(p));
    }
    return out;
}

bool isRoot() { return geteuid() == 0; }

QString builtProgram() { return QStringLiteral(VAULTORA_APP_DIR "/vaultora"); }
QString sourceDir() { return QStringLiteral(VAULTORA_SOURCE_DIR); }
}  // namespace testenv
