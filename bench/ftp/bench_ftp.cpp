// SPDX-License-Identifier: GPL-3.0-or-later
// Uploads one file to an FTP server through the program's FTP module,
// offscreen, and prints two wall times in seconds: the transfer itself (the
// SEND command from its start to its end) and the whole upload operation as
// a run makes it (connection, folder walk, SEND, CLOSE and the settle wait
// after each command).
//   BENCH_FTP_PASSWORD=... bench_ftp <host> <port> <user> <remote folder> <file>
// The password comes from the environment, never from the command line.
#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

#include "../BenchSession.h"

#include "destinations/NRV_InetFTP.h"
#include "platform/InetControl.h"
#include "platform/Paths.h"
#include "ui/frmMain_BackUp.h"

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: BENCH_FTP_PASSWORD=... bench_ftp <host> <port> <user> <folder> <file>\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (!bench::StartSession())
        return 2;
    frmMain_BackUp form;
    form.txtFTPserver->setText(QString::fromLocal8Bit(argv[1]));
    form.txtFTPport->setText(QString::fromLocal8Bit(argv[2]));
    form.txtFTPuser->setText(QString::fromLocal8Bit(argv[3]));
    form.txtFTPpassword->setText(qEnvironmentVariable("BENCH_FTP_PASSWORD"));
    form.txtFTPdir->setText(QString::fromLocal8Bit(argv[4]));
    form.chkProxy->setValue(0);
    const QString local = platform::ToWindows(QString::fromLocal8Bit(argv[5]));
    const QString remote = QStringLiteral("bench.zip");

    // The transfer alone, on the module's control.
    if (!FTP_ini(true, QString()))
        return 1;
    platform::InetControl& inet = FtpControl();
    QElapsedTimer t;
    t.start();
    inet.Execute(platform::FtpCommand::send(local, remote));
    while (inet.StillExecuting())
        inet.WaitForProgress(50);
    const double transfer = double(t.elapsed()) / 1000.0;
    const bool sent = !inet.LastRequestFailed();
    FTP_Close();

    // The operation as a run calls it.
    t.restart();
    const bool copied = FTPcopy_files(false, local, remote);
    const double operation = double(t.elapsed()) / 1000.0;
    if (!sent || !copied)
        return 1;
    std::printf("%.3f %.3f\n", transfer, operation);
    return 0;
}
