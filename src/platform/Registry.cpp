// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Registry.h"

#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "platform/Database.h"
#include "platform/Paths.h"
#include "platform/SettingsStore.h"
#include "vb/VbError.h"

namespace platform {
namespace {

const QString kSep = QStringLiteral("\\");

struct Root {
    const char* full;
    const char* shortName;
};
// In the order of a full export.
constexpr Root kRoots[] = {
    {"HKEY_LOCAL_MACHINE", "HKLM"}, {"HKEY_CLASSES_ROOT", "HKCR"}, {"HKEY_CURRENT_USER", "HKCU"},
    {"HKEY_USERS", nullptr},        {"HKEY_CURRENT_CONFIG", nullptr},
};

// A key: its path with the root written out, and the folded form that lookups use.
struct Key {
    QString path;
    QString fold;
    QStringList parts;  // root first
};

QString fold(const QString& s) { return s.toCaseFolded(); }

[[noreturn]] void badPath(const QString& path) {
    vb::Raise(vb::errInvalidCall, QStringLiteral("Invalid root in registry key \"%1\".").arg(path));
}

// Parses a key path (no value name); one trailing "\" is allowed when
// `trailing` says so.
Key parseKey(const QString& keyPath, const QString& shownPath, bool trailing = true) {
    QString p = keyPath;
    if (trailing && p.endsWith(kSep))
        p.chop(1);
    QStringList parts = p.split(kSep);
    const QString root = parts.first();
    bool found = false;
    for (const Root& r : kRoots) {
        if (root.compare(QLatin1String(r.full), Qt::CaseInsensitive) == 0 ||
            (r.shortName && root.compare(QLatin1String(r.shortName), Qt::CaseInsensitive) == 0)) {
            parts.first() = QLatin1String(r.full);
            found = true;
            break;
        }
    }
    if (!found)
        badPath(shownPath);
    for (const QString& part : parts)
        if (part.isEmpty())
            vb::Raise(vb::errInvalidCall, QStringLiteral("Invalid registry key \"%1\".").arg(shownPath));
    Key k;
    k.parts = parts;
    k.path = parts.join(kSep);
    k.fold = fold(k.path);
    return k;
}

struct ValuePath {
    Key key;
    QString name;  // "" = the default value
};

// Parses a full path: key and value name, or key and default value for "...\".
ValuePath parseValuePath(const QString& path) {
    ValuePath v;
    if (path.endsWith(kSep)) {
        v.key = parseKey(path, path);
        return v;
    }
    const qsizetype cut = path.lastIndexOf(kSep);
    if (cut < 0)
        badPath(path);
    v.key = parseKey(path.left(cut), path, false);
    v.name = path.mid(cut + 1);
    return v;
}

bool isRoot(const Key& k) { return k.parts.size() == 1; }

bool keyExists(Database& db, const Key& k) {
    if (isRoot(k))
        return true;
    Database::Query q(db, "SELECT 1 FROM reg_keys WHERE fold = ?1");
    q.bind(1, k.fold);
    return q.next();
}

std::optional<QString> getValue(const Key& k, const QString& name) {
    Database& db = Database::shared();
    Database::Query q(db, "SELECT value FROM reg_values WHERE key_fold = ?1 AND name_fold = ?2");
    q.bind(1, k.fold).bind(2, fold(name));
    if (q.next())
        return q.text(0);
    return std::nullopt;
}

// Creates the key and its missing parents. A new key's path is its parent's
// path as stored followed by its own name as written now.
void ensureKey(Database& db, const Key& k) {
    if (keyExists(db, k))
        return;
    QString stored = k.parts.first();
    QString folded = fold(stored);
    for (qsizetype i = 1; i < k.parts.size(); ++i) {
        folded += kSep + fold(k.parts[i]);
        {
            Database::Query ins(db, "INSERT INTO reg_keys(fold, path) VALUES(?1, ?2) ON CONFLICT(fold) DO NOTHING");
            ins.bind(1, folded).bind(2, stored + kSep + k.parts[i]);
            ins.run();
        }
        Database::Query get(db, "SELECT path FROM reg_keys WHERE fold = ?1");
        get.bind(1, folded);
        stored = get.next() ? get.text(0) : stored + kSep + k.parts[i];
    }
}

void setValue(const Key& k, const QString& name, const QString& value) {
    SettingsChanged();
    Database& db = Database::shared();
    db.transaction([&] {
        ensureKey(db, k);
        Database::Query q(db,
                          "INSERT INTO reg_values(key_fold, name_fold, name, value) VALUES(?1, ?2, ?3, ?4) "
                          "ON CONFLICT(key_fold, name_fold) DO UPDATE SET value = excluded.value");
        q.bind(1, k.fold).bind(2, fold(name)).bind(3, name).bind(4, value);
        q.run();
    });
}

bool deleteValue(const Key& k, const QString& name) {
    SettingsChanged();
    Database& db = Database::shared();
    Database::Query q(db, "DELETE FROM reg_values WHERE key_fold = ?1 AND name_fold = ?2 RETURNING 1");
    q.bind(1, k.fold).bind(2, fold(name));
    bool deleted = false;
    while (q.next())
        deleted = true;
    return deleted;
}

// Every key at or below k: "fold = k" or "fold starts with k\". ']' follows
// '\' in the byte order, so the second test is a range on the index.
bool deleteTree(const Key& k) {
    if (isRoot(k))
        vb::Raise(vb::errInvalidCall, QStringLiteral("Unable to remove registry key \"%1\\\".").arg(k.path));
    SettingsChanged();
    Database& db = Database::shared();
    const QString lo = k.fold + kSep, hi = k.fold + QStringLiteral("]");
    bool deleted = false;
    db.transaction([&] {
        Database::Query keys(db, "DELETE FROM reg_keys WHERE fold = ?1 OR (fold >= ?2 AND fold < ?3) RETURNING 1");
        keys.bind(1, k.fold).bind(2, lo).bind(3, hi);
        while (keys.next())
            deleted = true;
        Database::Query values(db, "DELETE FROM reg_values WHERE key_fold = ?1 OR (key_fold >= ?2 AND key_fold < ?3)");
        values.bind(1, k.fold).bind(2, lo).bind(3, hi);
        values.run();
    });
    return deleted;
}

// ---- export ----

struct ExportKey {
    QString path;
    QStringList foldParts;
    QList<QPair<QString, QString>> values;  // ("" = default first)
};

// The keys of a tree, parents before children and siblings sorted.
std::vector<ExportKey> collectTree(Database& db, const Key& top) {
    std::vector<ExportKey> keys;
    ExportKey self;
    self.path = top.path;
    if (!isRoot(top)) {
        Database::Query q(db, "SELECT path FROM reg_keys WHERE fold = ?1");
        q.bind(1, top.fold);
        if (q.next())
            self.path = q.text(0);
    }
    self.foldParts = top.fold.split(kSep);
    keys.push_back(self);
    {
        Database::Query q(db, "SELECT fold, path FROM reg_keys WHERE fold >= ?1 AND fold < ?2");
        q.bind(1, top.fold + kSep).bind(2, top.fold + QStringLiteral("]"));
        while (q.next()) {
            ExportKey k;
            k.foldParts = q.text(0).split(kSep);
            k.path = q.text(1);
            keys.push_back(k);
        }
    }
    std::sort(keys.begin(), keys.end(), [](const ExportKey& a, const ExportKey& b) {
        return std::lexicographical_compare(a.foldParts.begin(), a.foldParts.end(), b.foldParts.begin(),
                                            b.foldParts.end());
    });
    for (ExportKey& k : keys) {
        Database::Query q(db,
                          "SELECT name, value FROM reg_values WHERE key_fold = ?1 "
                          "ORDER BY name_fold <> '', rowid");
        q.bind(1, k.foldParts.join(kSep));
        while (q.next())
            k.values.append({q.text(0), q.text(1)});
    }
    return keys;
}

// The trees to export: the key, or every root for an empty path. Empty when
// the key does not exist. The data of a withheld value is left out.
std::vector<ExportKey> collect(const QString& keyPath, const QStringList& withheld) {
    Database& db = Database::shared();
    std::vector<ExportKey> all;
    auto add = [&](const Key& k) {
        auto tree = collectTree(db, k);
        all.insert(all.end(), tree.begin(), tree.end());
    };
    if (keyPath.isEmpty()) {
        for (const Root& r : kRoots)
            add(parseKey(QLatin1String(r.full), QLatin1String(r.full)));
    } else {
        const Key k = parseKey(keyPath, keyPath);
        if (keyExists(db, k))
            add(k);
    }
    for (ExportKey& k : all)
        for (auto& [name, value] : k.values)
            if (withheld.contains(name, Qt::CaseInsensitive))
                value.clear();
    return all;
}

bool writeFile(const QString& windowsFile, const QString& text) {
    QSaveFile f(platform::ToHost(windowsFile));
    if (!f.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = text.toUtf8();
    if (f.write(bytes) != bytes.size())
        return false;
    return f.commit();
}

QString regQuote(QString s) {
    s.replace(QStringLiteral("\\"), QStringLiteral("\\\\"));
    s.replace(QStringLiteral("\""), QStringLiteral("\\\""));
    return QStringLiteral("\"") + s + QStringLiteral("\"");
}

// The user's full name from the account (the first field of its comment),
// else the login name.
QString AccountFullName() {
    const passwd* pw = getpwuid(getuid());
    if (!pw)
        return QString();
    const QString gecos = pw->pw_gecos ? QString::fromLocal8Bit(pw->pw_gecos).section(QLatin1Char(','), 0, 0).trimmed()
                                       : QString();
    return !gecos.isEmpty() ? gecos : QString::fromLocal8Bit(pw->pw_name);
}

// The host's system-information program, in Windows form; "" when none is
// installed.
QString SystemInformationTool() {
    for (const char* name : {"hardinfo2", "hardinfo", "kinfocenter"}) {
        const QString host = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!host.isEmpty())
            return ToWindows(host);
    }
    return QString();
}

// Values that Windows keeps and this host answers from its own sources. A
// value written into the registry takes their place.
std::optional<QString> HostEquivalent(const ValuePath& v) {
    static const struct {
        const char* key;
        const char* name;
        QString (*answer)();
    } table[] = {
        {"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion", "RegisteredOwner", AccountFullName},
        {"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion", "RegisteredOwner", AccountFullName},
        {"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion", "RegisteredOrganization",
         [] { return QString(); }},
        {"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion", "RegisteredOrganization",
         [] { return QString(); }},
        {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", SystemInformationTool},
        // The tool's folder: the host has no "MSINFO32.EXE" to find in one.
        {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO", [] { return QString(); }},
    };
    for (const auto& row : table)
        if (v.key.fold == fold(QLatin1String(row.key)) && fold(v.name) == fold(QLatin1String(row.name)))
            return row.answer();
    return std::nullopt;
}

}  // namespace

QString RegRead(const QString& path) {
    const ValuePath v = parseValuePath(path);
    if (auto value = getValue(v.key, v.name))
        return *value;
    if (auto value = HostEquivalent(v))
        return *value;
    vb::Raise(kRegistryNotFound, QStringLiteral("Unable to open registry key \"%1\" for reading.").arg(path));
}

void RegWrite(const QString& path, const QString& value) {
    const ValuePath v = parseValuePath(path);
    setValue(v.key, v.name, value);
}

void RegDelete(const QString& path) {
    const ValuePath v = parseValuePath(path);
    const bool deleted = path.endsWith(kSep) ? deleteTree(v.key) : deleteValue(v.key, v.name);
    if (!deleted)
        vb::Raise(kRegistryNotFound, QStringLiteral("Unable to remove registry key \"%1\".").arg(path));
}

std::optional<QString> RegGetValue(const QString& keyPath, const QString& valueName) {
    return getValue(parseKey(keyPath, keyPath), valueName);
}

void RegSetValue(const QString& keyPath, const QString& valueName, const QString& value) {
    setValue(parseKey(keyPath, keyPath), valueName, value);
}

bool RegDeleteValue(const QString& keyPath, const QString& valueName) {
    return deleteValue(parseKey(keyPath, keyPath), valueName);
}

bool RegDeleteTree(const QString& keyPath) { return deleteTree(parseKey(keyPath, keyPath)); }

QList<QPair<QString, QString>> RegEnumValues(const QString& keyPath) {
    const Key k = parseKey(keyPath, keyPath);
    Database::Query q(Database::shared(),
                      "SELECT name, value FROM reg_values WHERE key_fold = ?1 AND name_fold <> '' ORDER BY rowid");
    q.bind(1, k.fold);
    QList<QPair<QString, QString>> out;
    while (q.next())
        out.append({q.text(0), q.text(1)});
    return out;
}

bool ExportRegedit4(const QString& keyPath, const QString& windowsFile, const QStringList& withheld) {
    const auto keys = collect(keyPath, withheld);
    if (keys.empty())
        return false;
    const QString crlf = QStringLiteral("\r\n");
    QString out = QStringLiteral("REGEDIT4") + crlf + crlf;
    for (const ExportKey& k : keys) {
        out += QStringLiteral("[") + k.path + QStringLiteral("]") + crlf;
        for (const auto& [name, value] : k.values)
            out += (name.isEmpty() ? QStringLiteral("@") : regQuote(name)) + QStringLiteral("=") + regQuote(value) + crlf;
        out += crlf;
    }
    return writeFile(windowsFile, out);
}

bool ExportRegistryText(const QString& keyPath, const QString& windowsFile, const QStringList& withheld) {
    const auto keys = collect(keyPath, withheld);
    if (keys.empty())
        return false;
    const QString crlf = QStringLiteral("\r\n");
    auto line = [&](const QString& label, const QString& value) {
        return label.leftJustified(19, QLatin1Char(' ')) + value + crlf;
    };
    QString out;
    for (const ExportKey& k : keys) {
        out += line(QStringLiteral("Key Name:"), k.path);
        out += line(QStringLiteral("Class Name:"), QStringLiteral("<NO CLASS>"));
        int n = 0;
        for (const auto& [name, value] : k.values) {
            out += QStringLiteral("Value %1").arg(n++) + crlf;
            out += line(QStringLiteral("  Name:"), name.isEmpty() ? QStringLiteral("<NO NAME>") : name);
            out += line(QStringLiteral("  Type:"), QStringLiteral("REG_SZ"));
            out += line(QStringLiteral("  Data:"), value);
            out += crlf;
        }
        out += crlf;
    }
    return writeFile(windowsFile, out);
}

}  // namespace platform
