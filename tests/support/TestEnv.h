// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QMap>
#include <QString>

// Every test process gets a fresh HOME (so the settings database, the C:
// drive and the config folder are its own) and a fresh portable app folder
// <root>/app/Vaultora beside <root>/app/Common (a copy of data/Common).
namespace testenv {

QString root();          // host path of the process's temporary root
QString home();          // host path of $HOME
QString programDir();    // host path of the program folder
QString commonDir();     // host path of the Common folder beside it
QString tempDir(const QString& name);  // a new empty folder below root()

void writeFile(const QString& hostPath, const QByteArray& data);
QByteArray readFile(const QString& hostPath);
// Every file below a folder (hidden ones too) by relative path, with its content.
QMap<QString, QByteArray> treeContents(const QString& hostRoot);
// n bytes that look random, the same for the same seed.
QByteArray randomBytes(qsizetype n, quint32 seed);
bool isRoot();           // running as root (tmpfs mounts are allowed)

// The built program and its data, for process tests.
QString builtProgram();  // <build>/app/Vaultora/vaultora
QString sourceDir();

void setUpProcess();     // called once by the test main before QApplication
}
