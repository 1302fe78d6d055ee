// SPDX-License-Identifier: GPL-3.0-or-later
// The CD-writer component on libisoburn: libisofs builds the ISO 9660 image
// (Rock Ridge and Joliet), libburn writes it in its own thread, and
// libisoburn grows an appendable disc by a new session that holds the tree
// of the previous one. The state of a write is polled from a timer on the
// thread of the component and turned into its signals.
#include <stdint.h>
#include <sys/types.h>

// libburn puts itself into a C++ namespace of its own unless it is read as
// plain C declarations; libisoburn names the same structures globally, so
// both are read in the global namespace.
#define DOXYGEN
extern "C" {
#include <libburn/libburn.h>
}
#undef DOXYGEN
namespace burn {
using ::burn_disc_status;   // the one name libisoburn asks for there
}
#include <libisofs/libisofs.h>
#include <libisoburn/libisoburn.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QPointer>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <mutex>
#include <unistd.h>

#include "platform/CDWriterXP.h"
#include "platform/DriveTable.h"
#include "platform/HostFiles.h"
#include "platform/LateLibrary.h"
#include "platform/Paths.h"
#include "vb/VbError.h"

namespace platform {
namespace {

constexpr qint64 kSector = 2048;
// One speed factor of a CD in libburn's kilobytes (1000 bytes) per second.
constexpr double kCdSpeed1x = 176.4;
// A bound on the sectors of a session besides the files' data (system
// area, volume descriptors, path tables, the session alignment of a grown
// image, the padding at its end), and on those of each entry's directory
// records in the three trees. Below it the image surely fits; near the
// disc's free space libisofs works out the session's true size.
constexpr qint64 kImageOverhead = 512;
constexpr qint64 kEntryOverhead = 2;

// The three libraries are loaded with libisoburn, which links the other
// two, at the first use of a recorder: a start that writes no disc does not
// load them. Their functions are called through this table.
#define VAULTORA_DISC_FUNCTIONS(X) \
    X(isoburn_activate_session) X(isoburn_cancel_prepared_write) X(isoburn_disc_available_space) \
    X(isoburn_disc_get_status) X(isoburn_disc_track_lba_nwa) X(isoburn_disc_write) X(isoburn_drive_aquire) \
    X(isoburn_drive_release) X(isoburn_drive_wrote_well) X(isoburn_igopt_destroy) X(isoburn_igopt_new) \
    X(isoburn_igopt_set_extensions) X(isoburn_igopt_set_level) X(isoburn_initialize) \
    X(isoburn_needs_emulation) X(isoburn_prepare_disc) X(isoburn_read_image) X(isoburn_ropt_destroy) \
    X(isoburn_ropt_new) X(isoburn_ropt_set_extensions) X(isoburn_sync_after_write) X(isoburn_toc_disc_free) \
    X(isoburn_toc_disc_get_sessions) X(isoburn_toc_drive_get_disc) \
    X(burn_disc_close_damaged) X(burn_disc_free) X(burn_disc_get_cd_info) X(burn_disc_get_sectors) \
    X(burn_disc_next_track_is_damaged) X(burn_drive_cancel) X(burn_drive_get_status) \
    X(burn_drive_get_write_speed) X(burn_drive_info_free) X(burn_drive_set_speed) X(burn_msgs_obtain) \
    X(burn_msgs_set_severities) X(burn_write_opts_auto_write_type) X(burn_write_opts_free) \
    X(burn_write_opts_new) X(burn_write_opts_set_multi) X(burn_write_opts_set_perform_opc) \
    X(burn_write_opts_set_simulate) X(burn_write_opts_set_underrun_proof) X(burn_write_opts_set_write_type) \
    X(iso_dir_get_children) X(iso_dir_get_node) X(iso_dir_iter_free) X(iso_dir_iter_next) \
    X(iso_image_get_root) X(iso_image_get_volume_id) X(iso_image_set_volume_id) X(iso_image_unref) \
    X(iso_node_get_name) X(iso_node_get_type) X(iso_node_remove) X(iso_obtain_msgs) X(iso_set_msgs_severities) \
    X(iso_tree_add_new_dir) X(iso_tree_add_new_node)

struct DiscLibrary {
#define X(name) decltype(&::name) name = nullptr;
    VAULTORA_DISC_FUNCTIONS(X)
#undef X
};
DiscLibrary lib;
bool g_loaded = false;   // every entry of `lib` is set

// Loads the libraries and looks up the table; the reason when that fails.
bool LoadDiscLibrary(QString* why) {
    void* handle = OpenLateLibrary(VAULTORA_ISOBURN_LIBRARY);
    if (!handle) {
        *why = LateLibraryError();
        return false;
    }
    DiscLibrary found;
    bool complete = true;
#define X(name) complete = complete && Resolve(handle, #name, found.name);
    VAULTORA_DISC_FUNCTIONS(X)
#undef X
    if (!complete) {
        *why = LateLibraryError();
        return false;
    }
    lib = found;
    g_loaded = true;
    return true;
}

// libburn and libisofs are set up once per process. libburn's signal
// handling is never installed, so it can never end the program: what the
// signals did before the set-up is what they do after it.
bool LibraryReady(QString* failure) {
    static std::once_flag once;
    static bool ready = false;
    static QString why;
    std::call_once(once, [] {
        if (!LoadDiscLibrary(&why))
            return;
        struct sigaction saved[NSIG];
        for (int s = 1; s < NSIG; ++s)
            sigaction(s, nullptr, &saved[s]);
        char msg[1024] = {0};
        ready = lib.isoburn_initialize(msg, 0) > 0;
        if (!ready)
            why = QString::fromLocal8Bit(msg);
        for (int s = 1; s < NSIG; ++s)
            if (s != SIGKILL && s != SIGSTOP)
                sigaction(s, &saved[s], nullptr);
        if (ready) {
            // Messages are collected for ExtendedErrorData, never printed.
            lib.burn_msgs_set_severities(const_cast<char*>("SORRY"), const_cast<char*>("NEVER"),
                                     const_cast<char*>("vaultora : "));
            lib.iso_set_msgs_severities(const_cast<char*>("SORRY"), const_cast<char*>("NEVER"),
                                    const_cast<char*>("vaultora : "));
        }
    });
    if (failure)
        *failure = why;
    return ready;
}

// The messages that libburn and libisofs queued since the last call.
QStringList TakeMessages() {
    QStringList out;
    if (!g_loaded)
        return out;
    for (int i = 0; i < 100; ++i) {
        int code = 0, osErrno = 0;
        char text[BURN_MSGS_MESSAGE_LEN] = {0}, severity[80] = {0};
        if (lib.burn_msgs_obtain(const_cast<char*>("ALL"), &code, text, &osErrno, severity) <= 0)
            break;
        out << QString::fromLocal8Bit(text).trimmed();
    }
    for (int i = 0; i < 100; ++i) {
        int code = 0, imgid = 0;
        char text[4096] = {0}, severity[80] = {0};
        if (lib.iso_obtain_msgs(const_cast<char*>("ALL"), &code, &imgid, text, severity) <= 0)
            break;
        out << QString::fromLocal8Bit(text).trimmed();
    }
    out.removeAll(QString());
    return out;
}

struct Device {
    QString address;   // libburn's address: "/dev/sr0" or "stdio:/path"
    QString a, b, c;   // the list line's parts
    bool pseudo = false;
    qint64 capacity = -1;
};

// The optical drives of the machine, found by their device files; they are
// not opened until one is selected.
QList<Device> OpticalDrives() {
    QList<Device> out;
    const QStringList names = QDir(QStringLiteral("/dev")).entryList({QStringLiteral("sr*")}, QDir::System,
                                                                      QDir::Name);
    for (const QString& name : names) {
        auto sys = [&](const char* what) {
            QFile f(QStringLiteral("/sys/block/%1/device/%2").arg(name, QLatin1String(what)));
            return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()).simplified() : QString();
        };
        Device d;
        d.address = QStringLiteral("/dev/") + name;
        d.a = d.address;
        d.c = sys("vendor");
        d.b = sys("model");
        out << d;
    }
    return out;
}

// The files collected for the next session, by image path ("Backup/a.zip"),
// with the sectors their data and their folders take, kept as they change
// (a copy run asks after every file).
class CollectedImage {
public:
    struct Entry {
        QString host;
        QString windows;
        qint64 size = 0;
    };
    const QMap<QString, Entry>& entries() const { return entries_; }
    bool isEmpty() const { return entries_.isEmpty(); }

    // Grows with every change, so that a size worked out for the image can
    // tell whether it still holds.
    quint64 version() const { return version_; }

    void add(const QString& name, const Entry& e) {
        remove(name);
        ++version_;
        entries_.insert(name, e);
        dataSectors_ += Sectors(e.size);
        for (const QString& f : FoldersOf(name))
            ++folders_[f];
    }
    void remove(const QString& name) {
        const auto it = entries_.constFind(name);
        if (it == entries_.cend())
            return;
        ++version_;
        dataSectors_ -= Sectors(it->size);
        for (const QString& f : FoldersOf(name))
            if (--folders_[f] == 0)
                folders_.remove(f);
        entries_.erase(it);
    }
    void clear() {
        ++version_;
        entries_.clear();
        folders_.clear();
        dataSectors_ = 0;
    }
    // Sectors of the files' data and of one directory record for each file
    // and folder.
    qint64 sectors(qint64 perEntry) const {
        return dataSectors_ + (qint64(entries_.size()) + qint64(folders_.size())) * perEntry;
    }

private:
    static qint64 Sectors(qint64 bytes) { return (bytes + kSector - 1) / kSector; }
    // "a/b/c.zip" -> "a/b", "a"
    static QStringList FoldersOf(const QString& name) {
        QStringList out;
        for (int cut = name.lastIndexOf(QLatin1Char('/')); cut > 0; cut = name.lastIndexOf(QLatin1Char('/'), cut - 1))
            out << name.left(cut);
        return out;
    }
    QMap<QString, Entry> entries_;
    QHash<QString, int> folders_;
    qint64 dataSectors_ = 0;
    quint64 version_ = 0;
};

class IsoburnWriter final : public CDWriterXP {
public:
    IsoburnWriter() {
        poll_.setInterval(100);
        connect(&poll_, &QTimer::timeout, this, [this] { Poll(); });
    }

    ~IsoburnWriter() override {
        if (writing_ && drive_) {
            // The program ends during a write: stop it, wait a bounded time.
            lib.burn_drive_cancel(drive_);
            QElapsedTimer t;
            t.start();
            while (lib.burn_drive_get_status(drive_, nullptr) != BURN_DRIVE_IDLE && t.elapsed() < 15000)
                QThread::msleep(50);
            FinishWrite(false);
        }
        Close();
    }

    // --- recorders ----------------------------------------------------------
    qint16 DeviceCount() override {
        LoadDevices();
        return qint16(devices_.size());
    }
    // The drive letter of the recorder where it has one (the list line then
    // begins "E: "): that of the folder of an image file, that of a mounted
    // disc; else its address.
    QString DeviceTextA(qint16 index) override {
        const Device& d = DeviceAt(index);
        if (d.pseudo) {
            const QString folder = ToWindows(QFileInfo(d.b).absolutePath());
            return folder.size() >= 2 && folder.at(1) == QLatin1Char(':') ? folder.left(1) : d.a;
        }
        const std::shared_ptr<const DriveTable> table = DriveTable::Current();
        for (const DriveRoot& r : table->drives())
            if (r.mount && r.mount->source == d.address)
                return QString(r.letter);
        return d.a;
    }
    QString DeviceTextB(qint16 index) override {
        const Device& d = DeviceAt(index);
        return d.pseudo ? ToWindows(d.b) : d.b;
    }
    QString DeviceTextC(qint16 index) override { return DeviceAt(index).c; }

    void SelectDevice(qint16 index) override {
        if (writing_)
            throw vb::VbError(70, QStringLiteral("The recorder is writing a disc."));
        DeviceAt(index);
        Close();
        selected_ = index;
        speed_ = 0;
        Open();
    }

    qint16 MaxWriteSpeed() override {
        if (!Open() || current().pseudo)
            return 0;
        const int kbs = lib.burn_drive_get_write_speed(drive_);
        return kbs > 0 ? qint16(std::min(32767.0, kbs / kCdSpeed1x + 0.5)) : 0;
    }
    void SetWriteSpeed(qint16 speed) override { speed_ = speed; }

    bool BurnProofSupported() override {
        if (!Open() || current().pseudo)
            return false;
        burn_write_opts* o = lib.burn_write_opts_new(drive_);
        if (!o)
            return false;
        const bool yes = lib.burn_write_opts_set_underrun_proof(o, 1) == 1;
        lib.burn_write_opts_free(o);
        return yes;
    }

    // --- the disc -------------------------------------------------------------
    // Reads the disc again, for a new image.
    void RefreshDiscInfo() override {
        if (writing_)
            return;
        entries_.clear();
        Close();
        Open();
    }
    bool DiscReady() override {
        if (!Open())
            return false;
        const burn_disc_status s = lib.isoburn_disc_get_status(drive_);
        return s == BURN_DISC_BLANK || s == BURN_DISC_APPENDABLE || s == BURN_DISC_FULL;
    }
    qint32 DiscStatus() override {
        if (!Open())
            return 3;
        switch (lib.isoburn_disc_get_status(drive_)) {
        case BURN_DISC_BLANK: return 0;
        case BURN_DISC_APPENDABLE: return 1;
        case BURN_DISC_FULL: return 2;
        default: return 3;
        }
    }
    QString NotReadyReason() override {
        Open();
        return notReady_;
    }
    qint32 DiscType() override {
        if (!Open())
            return 255;
        if (current().pseudo)
            return 0;   // an ISO 9660 data image
        char type[80] = {0}, bar[9] = {0};
        unsigned int id = 0;
        int app = 0, valid = 0;
        if (lib.burn_disc_get_cd_info(drive_, type, &id, bar, &app, &valid) <= 0 || !(valid & 1))
            return 255;
        const QString t = QString::fromLatin1(type);
        if (t == QLatin1String("CD-DA or CD-ROM"))
            return 0;
        if (t == QLatin1String("CD-I"))
            return 16;
        if (t == QLatin1String("CD-ROM XA"))
            return 32;
        return 255;
    }
    qint16 SessionCount() override {
        if (!Open())
            return 0;
        const burn_disc_status s = lib.isoburn_disc_get_status(drive_);
        if (s != BURN_DISC_APPENDABLE && s != BURN_DISC_FULL)
            return 0;
        isoburn_toc_disc* toc = lib.isoburn_toc_drive_get_disc(drive_);
        if (!toc)
            return 0;
        int n = 0;
        lib.isoburn_toc_disc_get_sessions(toc, &n);
        lib.isoburn_toc_disc_free(toc);
        return qint16(std::clamp(n, 0, 32767));
    }
    qint32 SessionStatus() override {
        if (!Open())
            return 2;
        switch (lib.isoburn_disc_get_status(drive_)) {
        case BURN_DISC_BLANK: return 0;
        case BURN_DISC_FULL: return 3;
        case BURN_DISC_APPENDABLE:
            if (!current().pseudo && lib.burn_disc_next_track_is_damaged(drive_, 0) > 0)
                return 1;
            return 3;
        default: return 2;
        }
    }
    qint32 DiscInfoCount() override {
        if (!Open() || !image_)
            return 0;
        return RootFolders(image_);
    }
    QStringList DiscFiles() override {
        QStringList names;
        IsoDirIter* it = nullptr;
        if (!Open() || !image_ || lib.iso_dir_get_children(lib.iso_image_get_root(image_), &it) < 0)
            return names;
        IsoNode* node = nullptr;
        while (lib.iso_dir_iter_next(it, &node) == 1)
            if (lib.iso_node_get_type(node) == LIBISO_FILE)
                names << QString::fromUtf8(lib.iso_node_get_name(node));
        lib.iso_dir_iter_free(it);
        return names;
    }
    qint64 DiscFreeSpace(qint32 unit) override {
        if (!Open())
            return 0;
        return FreeBytes() / kSector;
    }
    qint64 ConvertSpace(qint64 amount, qint32 unit) override {
        if (unit != 1)
            throw vb::VbError(5);
        return amount * kSector;
    }
    bool CloseSession(bool flag) override {
        if (!Open())
            return false;
        if (current().pseudo || lib.burn_disc_next_track_is_damaged(drive_, 0) <= 0)
            return true;   // nothing is left open
        burn_write_opts* o = lib.burn_write_opts_new(drive_);
        if (!o)
            return false;
        lib.burn_write_opts_set_write_type(o, BURN_WRITE_TAO, BURN_BLOCK_MODE1);
        const bool done = lib.burn_disc_close_damaged(o, 0) > 0;
        lib.burn_write_opts_free(o);
        RefreshDiscInfo();
        return done;
    }
    bool ImportSession(bool flag) override {
        if (!Open())
            return false;
        if (!flag || lib.isoburn_disc_get_status(drive_) == BURN_DISC_BLANK)
            return true;
        return image_ != nullptr;
    }

    // --- the image ----------------------------------------------------------
    void AddFile(const QString& imagePath, const QString& localFile) override {
        const QString name = ImageName(imagePath);
        const QString host = ToHost(localFile);
        const QFileInfo info(host);
        if (host.isEmpty() || !info.isFile())
            throw vb::VbError(53);
        if (name.isEmpty())
            throw vb::VbError(5);
        entries_.add(name, {host, localFile, info.size()});
    }
    void RemoveFile(const QString& imagePath) override { entries_.remove(ImageName(imagePath)); }
    qint64 ImageSpace() override {
        if (entries_.isEmpty())
            return 0;
        const qint64 bound = kImageOverhead + importedNodes_ * kEntryOverhead + entries_.sectors(kEntryOverhead);
        if (!Open() || bound <= FreeBytes() / kSector)
            return bound;
        return MeasuredSectors(bound);
    }

    // --- the write ----------------------------------------------------------
    void StartWrite(bool useBurnProof) override {
        if (writing_)
            throw vb::VbError(70, QStringLiteral("The recorder is writing a disc."));
        started_ = false;
        messages_.clear();
        TakeMessages();
        // A write takes the image, also one that fails: its files are the
        // run's temporary ones, gone by the next write.
        struct ClearImage {
            CollectedImage& e;
            ~ClearImage() { e.clear(); }
        } clearImage{entries_};
        if (!Open() || !DiscReady())
            return;   // no disc: the write does not start
        const burn_disc_status status = lib.isoburn_disc_get_status(drive_);
        if (status == BURN_DISC_FULL) {
            Fail(3, 1021);
            return;
        }
        if (entries_.isEmpty()) {
            Fail(4, 0);
            return;
        }
        if (!image_) {
            if (status != BURN_DISC_BLANK) {
                Fail(3, 1031);   // the last session cannot be read: nothing is written over it
                return;
            }
            ReadImage();
            if (!image_) {
                Fail(1, 0);
                return;
            }
        }
        if (!CreateImageFile())
            return;
        if (!BuildTree(true))
            return;

        burn_disc* disc = PrepareDisc(false);
        if (!disc) {
            Fail(5, 0);
            return;
        }
        const qint64 bytes = qint64(lib.burn_disc_get_sectors(disc)) * kSector;
        if (bytes > FreeBytes()) {
            messages_ << QStringLiteral("The image needs %1 bytes, the disc has %2 free.")
                             .arg(bytes)
                             .arg(FreeBytes());
            lib.isoburn_cancel_prepared_write(drive_, nullptr, 0);
            lib.burn_disc_free(disc);
            Fail(3, 1021);
            return;
        }
        burn_write_opts* wo = lib.burn_write_opts_new(drive_);
        if (!wo) {
            lib.isoburn_cancel_prepared_write(drive_, nullptr, 0);
            lib.burn_disc_free(disc);
            Fail(1, 0);
            return;
        }
        lib.burn_write_opts_set_perform_opc(wo, 0);
        // The disc stays appendable: a recorder's disc by an open session,
        // an image file or other overwritable medium by libisoburn's own
        // session table.
        lib.burn_write_opts_set_multi(wo, lib.isoburn_needs_emulation(drive_) == 1 ? 0 : 1);
        lib.burn_write_opts_set_underrun_proof(wo, useBurnProof ? 1 : 0);
        lib.burn_write_opts_set_simulate(wo, 0);
        char reasons[BURN_REASONS_LEN] = {0};
        if (lib.burn_write_opts_auto_write_type(wo, disc, reasons, 0) == BURN_WRITE_NONE) {
            messages_ << QString::fromLocal8Bit(reasons);
            lib.isoburn_cancel_prepared_write(drive_, nullptr, 0);
            lib.burn_disc_free(disc);
            lib.burn_write_opts_free(wo);
            Fail(3, 1028);
            return;
        }
        lib.burn_drive_set_speed(drive_, 0, speed_ > 0 ? int(speed_ * kCdSpeed1x) : 0);

        disc_ = disc;
        writeOpts_ = wo;
        writing_ = true;
        started_ = true;
        announcedTrack_ = closingTrack_ = closingSession_ = false;
        trackBytes_ = bytes;
        Post([this] {
            emit PreparingToWrite();
            emit CreatingDirectories();
        });
        lib.isoburn_disc_write(wo, disc);
        poll_.start();
    }
    bool WriteStarted() override { return started_; }
    bool Busy() override { return writing_; }
    void CancelWrite() override {
        if (writing_ && drive_) {
            cancelled_ = true;
            lib.burn_drive_cancel(drive_);
        }
    }
    void AfterWriteAction() override {
        // Nothing follows a write: the disc stays in the drive, appendable.
    }
    QString ExtendedErrorData() override {
        messages_ << TakeMessages();
        messages_.removeDuplicates();
        return messages_.join(QStringLiteral("; "));
    }

private:
    void LoadDevices() {
        if (loaded_)
            return;
        loaded_ = true;
        devices_ = OpticalDrives();
        for (const PseudoDrive& p : PseudoDrivesFrom(qEnvironmentVariable("VAULTORA_CD_DRIVES"))) {
            Device d;
            d.address = p.address;
            d.a = QStringLiteral("stdio");
            d.c = QStringLiteral("Image file");
            d.b = QFileInfo(p.path).absoluteFilePath();
            d.pseudo = true;
            d.capacity = p.capacity;
            devices_ << d;
        }
    }
    const Device& DeviceAt(qint16 index) {
        LoadDevices();
        if (index < 0 || index >= devices_.size())
            throw vb::VbError(9);
        return devices_.at(index);
    }
    const Device& current() const { return devices_.at(selected_); }

    // The selected recorder, acquired, with the tree of its disc's last
    // session read. False when there is no recorder or it cannot be opened.
    bool Open() {
        if (drive_)
            return true;
        notReady_.clear();
        QString failure;
        if (selected_ < 0 || selected_ >= devices_.size())
            return false;
        if (!LibraryReady(&failure)) {
            notReady_ = QStringLiteral("The disc writer library cannot be set up: ") + failure;
            return false;
        }
        if (current().pseudo && !ImageFileCanBeMade(&notReady_))
            return false;
        const QByteArray adr = current().address.toLocal8Bit();
        burn_drive_info* infos = nullptr;
        if (lib.isoburn_drive_aquire(&infos, const_cast<char*>(adr.constData()), 0) <= 0 || !infos) {
            const QStringList why = TakeMessages();
            messages_ << why;
            notReady_ = QStringLiteral("The recorder %1 cannot be opened").arg(DeviceTextB(qint16(selected_))) +
                        (why.isEmpty() ? QString() : QStringLiteral(": ") + why.join(QStringLiteral("; ")));
            return false;
        }
        infos_ = infos;
        drive_ = infos[0].drive;
        if (lib.isoburn_disc_get_status(drive_) == BURN_DISC_APPENDABLE ||
            lib.isoburn_disc_get_status(drive_) == BURN_DISC_FULL || lib.isoburn_disc_get_status(drive_) == BURN_DISC_BLANK)
            ReadImage();
        return true;
    }

    void Close() {
        measuredVersion_ = ~quint64(0);
        if (image_) {
            lib.iso_image_unref(image_);
            image_ = nullptr;
        }
        importedNodes_ = 0;
        if (drive_) {
            lib.isoburn_drive_release(drive_, 0);
            drive_ = nullptr;
        }
        if (infos_) {
            lib.burn_drive_info_free(infos_);
            infos_ = nullptr;
        }
    }

    void ReadImage() {
        if (image_) {
            lib.iso_image_unref(image_);
            image_ = nullptr;
        }
        isoburn_read_opts* ro = nullptr;
        if (lib.isoburn_ropt_new(&ro, 0) <= 0)
            return;
        lib.isoburn_ropt_set_extensions(ro, isoburn_ropt_noaaip | isoburn_ropt_noacl | isoburn_ropt_noea);
        IsoImage* image = nullptr;
        if (lib.isoburn_read_image(drive_, ro, &image) > 0 && image) {
            image_ = image;
            importedNodes_ = CountNodes(lib.iso_image_get_root(image_));
            const char* id = lib.iso_image_get_volume_id(image_);
            if (id && *id && lib.isoburn_disc_get_status(drive_) != BURN_DISC_BLANK)
                VolumeLabel = QString::fromUtf8(id);
        } else {
            messages_ << TakeMessages();
        }
        lib.isoburn_ropt_destroy(&ro, 0);
    }

    static qint64 CountNodes(IsoDir* dir) {
        qint64 n = 0;
        IsoDirIter* it = nullptr;
        if (!dir || lib.iso_dir_get_children(dir, &it) < 0)
            return 0;
        IsoNode* node = nullptr;
        while (lib.iso_dir_iter_next(it, &node) == 1) {
            ++n;
            if (lib.iso_node_get_type(node) == LIBISO_DIR)
                n += CountNodes(reinterpret_cast<IsoDir*>(node));
        }
        lib.iso_dir_iter_free(it);
        return n;
    }
    static qint32 RootFolders(IsoImage* image) {
        qint32 n = 0;
        IsoDirIter* it = nullptr;
        if (lib.iso_dir_get_children(lib.iso_image_get_root(image), &it) < 0)
            return 0;
        IsoNode* node = nullptr;
        while (lib.iso_dir_iter_next(it, &node) == 1)
            if (lib.iso_node_get_type(node) == LIBISO_DIR)
                ++n;
        lib.iso_dir_iter_free(it);
        return n;
    }

    // Free bytes of the disc: what libburn says, within a declared capacity.
    qint64 FreeBytes() {
        qint64 free = qint64(lib.isoburn_disc_available_space(drive_, nullptr));
        if (current().capacity >= 0) {
            int lba = 0, nwa = 0;
            qint64 used = 0;
            // (A blank image file starts its first session at sector 32.)
            if (lib.isoburn_disc_track_lba_nwa(drive_, nullptr, 0, &lba, &nwa) == 1)
                used = qint64(nwa) * kSector;
            free = std::min(free, current().capacity - used);
        }
        return std::max<qint64>(0, free);
    }

    // "Backup\Docs\a.zip" -> "Backup/Docs/a.zip"
    static QString ImageName(const QString& imagePath) {
        QStringList parts = QString(imagePath).replace(QLatin1Char('\\'), QLatin1Char('/')).split(QLatin1Char('/'));
        parts.removeAll(QString());
        return parts.join(QLatin1Char('/'));
    }

    // Puts the image's entries into the tree of the new session; an entry
    // of the same path from the previous session is replaced.
    bool BuildTree(bool report) {
        lib.iso_image_set_volume_id(image_, VolumeLabel.left(32).toUtf8().constData());
        const QMap<QString, CollectedImage::Entry>& entries = entries_.entries();
        for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
            IsoDir* dir = lib.iso_image_get_root(image_);
            const QStringList parts = it.key().split(QLatin1Char('/'));
            bool ok = true;
            for (int i = 0; i + 1 < parts.size() && ok; ++i) {
                const QByteArray name = parts.at(i).toUtf8();
                IsoNode* node = nullptr;
                if (lib.iso_dir_get_node(dir, name.constData(), &node) == 1 && lib.iso_node_get_type(node) == LIBISO_DIR) {
                    dir = reinterpret_cast<IsoDir*>(node);
                    continue;
                }
                if (node)
                    lib.iso_node_remove(node);
                IsoDir* made = nullptr;
                ok = lib.iso_tree_add_new_dir(dir, name.constData(), &made) >= 0 && made;
                dir = made;
            }
            const QByteArray name = parts.last().toUtf8();
            IsoNode* old = nullptr;
            if (ok && lib.iso_dir_get_node(dir, name.constData(), &old) == 1 && old)
                lib.iso_node_remove(old);
            IsoNode* added = nullptr;
            if (!ok || !QFileInfo(it->host).isFile() ||
                lib.iso_tree_add_new_node(image_, dir, name.constData(), QFile::encodeName(it->host).constData(),
                                      &added) < 0) {
                const QString file = it->windows;
                const QStringList why = TakeMessages();
                // The tree holds part of the entries now: it is read again
                // before another write.
                ReadImage();
                if (report) {
                    messages_ << why;
                    Post([this, file] { emit FileError(0, file); });
                    Fail(2, 0);
                }
                return false;
            }
        }
        return true;
    }

    // The session's layout worked out by libisoburn: the disc to write, or
    // with `sizeOnly` one only to be measured and given up again. Null when
    // it cannot be laid out.
    burn_disc* PrepareDisc(bool sizeOnly) {
        isoburn_imgen_opts* opts = nullptr;
        if (lib.isoburn_igopt_new(&opts, 0) <= 0)
            return nullptr;
        lib.isoburn_igopt_set_level(opts, 3);   // files of 4 GB and more
        lib.isoburn_igopt_set_extensions(opts, isoburn_igopt_rockridge | isoburn_igopt_joliet |
                                               (sizeOnly ? isoburn_igopt_will_cancel : 0));
        burn_disc* disc = nullptr;
        const int prepared = lib.isoburn_prepare_disc(drive_, &disc, opts);
        lib.isoburn_igopt_destroy(&opts, 0);
        if (prepared <= 0 || !disc) {
            if (disc)
                lib.burn_disc_free(disc);
            return nullptr;
        }
        return disc;
    }

    // The sectors of the session that the collected entries make, as
    // libisofs lays it out, with the sectors before it that the disc skips
    // (a grown image file aligns each session); `bound` when the image cannot
    // be laid out. The tree of the disc is read anew afterwards.
    qint64 MeasuredSectors(qint64 bound) {
        if (measuredVersion_ == entries_.version())
            return measured_;
        if (!image_)
            ReadImage();
        qint64 sectors = bound;
        if (image_ && BuildTree(false)) {
            if (burn_disc* disc = PrepareDisc(true)) {
                sectors = lib.burn_disc_get_sectors(disc);
                lib.isoburn_cancel_prepared_write(drive_, nullptr, 0);
                lib.burn_disc_free(disc);
            }
            ReadImage();
        }
        TakeMessages();
        measured_ = sectors;
        measuredVersion_ = entries_.version();
        return sectors;
    }

    // A pseudo-drive's image file exists, or its folder takes a new one; the
    // reason otherwise.
    bool ImageFileCanBeMade(QString* why) {
        const QFileInfo file(current().b);
        if (file.exists() || file.isSymLink())
            return true;
        const QString folder = file.absolutePath();
        const QByteArray f = QFile::encodeName(folder);
        QString reason;
        if (!QFileInfo(folder).isDir())
            reason = QStringLiteral("the folder %1 does not exist").arg(ToWindows(folder));
        else if (::access(f.constData(), W_OK | X_OK) != 0)
            reason = QString::fromLocal8Bit(std::strerror(errno));
        if (reason.isEmpty())
            return true;
        *why = QStringLiteral("The disc image file %1 cannot be created: %2").arg(ToWindows(file.filePath()), reason);
        return false;
    }

    // The image file of a pseudo-drive that is not there yet is made before
    // the write, readable by its owner only, like the archives it holds.
    bool CreateImageFile() {
        if (!current().pseudo)
            return true;
        const QString path = current().b;
        if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
            return true;
        try {
            PreparePrivateFile(path, false);
        } catch (const vb::VbError& e) {
            QString why;
            if (ImageFileCanBeMade(&why))
                why = QStringLiteral("The disc image file %1 cannot be created: %2").arg(ToWindows(path), e.description());
            messages_ << why;
            Fail(3, 1051);
            return false;
        }
        return true;
    }

    // Emits an event as the component's next message.
    template <class F>
    void Post(F&& f) {
        QMetaObject::invokeMethod(this, std::forward<F>(f), Qt::QueuedConnection);
    }
    void Fail(qint32 type, qint32 code) {
        messages_ << TakeMessages();
        Post([this, type, code] { emit WriteError(type, code); });
    }

    void Poll() {
        if (!writing_ || !drive_) {
            poll_.stop();
            return;
        }
        burn_progress p{};
        const burn_drive_status st = lib.burn_drive_get_status(drive_, &p);
        const qint64 total = p.sectors > 0 ? qint64(p.sectors) * kSector : trackBytes_;
        switch (st) {
        case BURN_DRIVE_WRITING:
        case BURN_DRIVE_WRITING_PREGAP:
        case BURN_DRIVE_WRITING_LEADIN:
        case BURN_DRIVE_WRITING_LEADOUT:
            Announce(total);
            emit WritingTrack(1, qint64(std::max(0, p.sector)) * kSector, total);
            break;
        case BURN_DRIVE_CLOSING_TRACK:
            Announce(total);
            if (!closingTrack_) {
                closingTrack_ = true;
                emit ClosingTrack(1);
            }
            break;
        case BURN_DRIVE_CLOSING_SESSION:
            Announce(total);
            if (!closingSession_) {
                closingSession_ = true;
                emit ClosingSession();
            }
            break;
        case BURN_DRIVE_IDLE: {
            poll_.stop();
            const bool well = !cancelled_ && lib.isoburn_drive_wrote_well(drive_) > 0;
            const bool ok = FinishWrite(well);
            if (ok) {
                Announce(trackBytes_);
                emit WritingTrack(1, trackBytes_, trackBytes_);
                if (!closingSession_)
                    emit ClosingSession();
                emit WriteComplete();
            } else {
                emit WriteError(3, 1051);
            }
            break;
        }
        default:
            break;
        }
    }
    void Announce(qint64 total) {
        if (announcedTrack_)
            return;
        announcedTrack_ = true;
        trackBytes_ = total;
        emit PreparingToWriteTrack(1, total);
    }

    // Ends a write whose drive is idle: completes the new session and drops
    // the image's entries (the write took them). True when the session is on
    // the disc. The disc is read again at the next question.
    bool FinishWrite(bool well) {
        bool ok = well;
        if (well && lib.isoburn_activate_session(drive_) <= 0)
            ok = false;
        lib.isoburn_sync_after_write(drive_, nullptr, 0);
        if (disc_)
            lib.burn_disc_free(disc_);
        if (writeOpts_)
            lib.burn_write_opts_free(writeOpts_);
        disc_ = nullptr;
        writeOpts_ = nullptr;
        writing_ = false;
        cancelled_ = false;
        if (!ok) {
            messages_ << TakeMessages();
            if (messages_.isEmpty())
                messages_ << QStringLiteral("The write did not end well.");
        }
        entries_.clear();
        Close();
        return ok;
    }

    QList<Device> devices_;
    bool loaded_ = false;
    int selected_ = -1;
    qint16 speed_ = 0;
    burn_drive_info* infos_ = nullptr;
    burn_drive* drive_ = nullptr;
    IsoImage* image_ = nullptr;
    qint64 importedNodes_ = 0;
    CollectedImage entries_;
    quint64 measuredVersion_ = ~quint64(0);
    qint64 measured_ = 0;
    QString notReady_;

    QTimer poll_;
    burn_disc* disc_ = nullptr;
    burn_write_opts* writeOpts_ = nullptr;
    bool writing_ = false;
    bool started_ = false;
    bool cancelled_ = false;
    bool announcedTrack_ = false, closingTrack_ = false, closingSession_ = false;
    qint64 trackBytes_ = 0;
    QStringList messages_;
};

}  // namespace

std::unique_ptr<CDWriterXP> CreateIsoburnWriter() { return std::make_unique<IsoburnWriter>(); }

}  // namespace platform
