// SPDX-License-Identifier: GPL-3.0-or-later
// The ".cry" container: byte, string, hexadecimal and file forms, progress,
// and what happens to the files when something goes wrong.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTimer>
#include <limits>
#include <vector>

#include "OpenSslReference.h"
#include "support/TestEnv.h"
#include "crypto/clsBlowfish.h"
#include "platform/Paths.h"
#include "vb/ErrorHandling.h"


namespace {

using Layout = clsBlowfish::SBoxLayout;

const QString kKey = QStringLiteral("T6:w_geheim\u00E4Kd/4%");
const QString kOtherKey = QStringLiteral("T6:w_geheimaKd/4%");
constexpr qint64 kChunk = clsBlowfish::kChunkBytes;
// A 16-byte container of kKey whose stored length is -1.
constexpr char kNegativeLengthCrash[] = "dafc8ad727556de9cceebc1119422dd1";

QString Win(const QString& hostPath) { return platform::ToWindows(hostPath); }

QByteArray RandomBytes(qint64 n, quint32 seed) {
    QRandomGenerator rng(seed);
    QByteArray b(n, Qt::Uninitialized);
    for (qint64 i = 0; i < n; ++i)
        b[i] = char(rng.bounded(256));
    return b;
}

qint64 ContainerSize(qint64 n) { return (n + 12 + 7) / 8 * 8; }

class CryContainer : public ::testing::Test {
protected:
    void SetUp() override {
        dir = testenv::tempDir(QStringLiteral("cry"));
        vb::SetErrorSink([this](const vb::ErrorReport& r) { errors.push_back(r); });
    }
    void TearDown() override { vb::SetErrorSink({}); }

    QString Host(const QString& name) const { return dir + QLatin1Char('/') + name; }
    QString Path(const QString& name) const { return Win(Host(name)); }
    QStringList Entries() const { return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot); }

    bool LoggedSizeError() const {
        for (const auto& e : errors)
            if (e.label == QLatin1String("DecryptByte of Klassenmodul clsBlowfish") &&
                e.err.Number == -2147221504 &&
                e.err.Description == QLatin1String("Incorrect size descriptor in Blowfish decryption"))
                return true;
        return false;
    }

    QString dir;
    std::vector<vb::ErrorReport> errors;
};

}  // namespace

TEST_F(CryContainer, ByteArraySizesAndRoundTrip) {
    struct Case {
        qint64 length, container;
    };
    const Case cases[] = {{0, 16}, {1, 16}, {4, 16}, {5, 24}, {7, 24}, {8, 24}, {9, 24}, {12, 24}, {13, 32}};
    for (const Case& c : cases) {
        const QByteArray data = RandomBytes(c.length, quint32(c.length));
        QByteArray a = data;
        clsBlowfish enc;
        enc.EncryptByte(a, kKey);
        EXPECT_EQ(a.size(), c.container) << c.length;
        clsBlowfish dec;
        EXPECT_TRUE(dec.DecryptByte(a, kKey)) << c.length;
        EXPECT_EQ(a, data) << c.length;
    }
    EXPECT_TRUE(errors.empty());
}

// With the textbook layout the container must be plain CBC Blowfish with a
// zero initial value, so OpenSSL reads what we write and the other way round.
TEST_F(CryContainer, LayoutAgreesWithOpenSslCbc) {
    QRandomGenerator rng(17);
    for (int keyLength : {1, 5, 10, 56, 57, 72, 80}) {
        QByteArray keyBytes;
        for (int i = 0; i < keyLength; ++i)
            keyBytes.append(char(0x20 + rng.bounded(0x5F)));
        const QString key = QString::fromLatin1(keyBytes);
        for (qint64 length : {0, 3, 4, 5, 8, 100, 4096 + 3}) {
            const QByteArray data = RandomBytes(length, rng.generate());
            QByteArray a = data;
            clsBlowfish(Layout::Published).EncryptByte(a, key);
            const QByteArray plain = reference::Cbc(keyBytes, a, false);
            ASSERT_EQ(plain.size(), ContainerSize(length));
            EXPECT_EQ(qFromLittleEndian<qint32>(plain.constData() + 8), length);
            EXPECT_EQ(plain.mid(12, length), data);
            EXPECT_EQ(plain.mid(12 + length), QByteArray(plain.size() - 12 - length, '\0'));
            EXPECT_EQ(uchar(plain[3]) & 0x80, 0);  // the random words are below 2^31
            EXPECT_EQ(uchar(plain[7]) & 0x80, 0);

            QByteArray made = QByteArray(8, '\x11') + QByteArray(4, '\0') + data;
            qToLittleEndian<qint32>(qint32(length), made.data() + 8);
            made.append(QByteArray(ContainerSize(length) - made.size(), '\0'));
            QByteArray cipher = reference::Cbc(keyBytes, made, true);
            ASSERT_TRUE(clsBlowfish(Layout::Published).DecryptByte(cipher, key));
            EXPECT_EQ(cipher, data);
        }
    }
}

TEST_F(CryContainer, TwoEncryptionsDifferAndBothDecrypt) {
    const QByteArray data("the same archive");
    QByteArray a = data, b = data;
    clsBlowfish().EncryptByte(a, kKey);
    clsBlowfish().EncryptByte(b, kKey);
    EXPECT_NE(a, b);
    EXPECT_TRUE(clsBlowfish().DecryptByte(a, kKey));
    EXPECT_TRUE(clsBlowfish().DecryptByte(b, kKey));
    EXPECT_EQ(a, data);
    EXPECT_EQ(b, data);
}

TEST_F(CryContainer, WrongKeyOrBadLengthFailsTheSizeCheck) {
    QByteArray a("payload of an archive");
    clsBlowfish().EncryptByte(a, kKey);
    const QByteArray sealed = a;
    EXPECT_FALSE(clsBlowfish().DecryptByte(a, kOtherKey));
    EXPECT_EQ(a.size(), sealed.size());  // not cut
    EXPECT_TRUE(LoggedSizeError());

    for (qint64 n : {0, 8, 15, 17, 23}) {
        errors.clear();
        QByteArray b = sealed.left(n);
        EXPECT_FALSE(clsBlowfish().DecryptByte(b, kKey)) << n;
        EXPECT_TRUE(LoggedSizeError()) << n;
    }
}

TEST_F(CryContainer, StringsAndHexRoundTrip) {
    const QString text = QString::fromUtf16(u"Grüße \u20AC \u0178 \u0081 and a line\r\n");
    for (bool inHex : {false, true}) {
        clsBlowfish enc;
        const QString sealed = enc.EncryptString(text, kKey, inHex);
        const qint64 bytes = ContainerSize(text.size());
        EXPECT_EQ(sealed.size(), inHex ? 2 * bytes : bytes);
        if (inHex) {
            EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9A-F]*$")).match(sealed).hasMatch());
        }
        QString in = sealed;
        bool ok = false;
        clsBlowfish dec;
        EXPECT_EQ(dec.DecryptString(in, kKey, inHex, &ok), text);
        EXPECT_TRUE(ok);
        if (inHex) {  // the caller's text is replaced by its decoded form
            EXPECT_EQ(in.size(), bytes);
        }
        QString wrong = sealed;
        EXPECT_TRUE(dec.DecryptString(wrong, kOtherKey, inHex, &ok).isEmpty());
        EXPECT_FALSE(ok);
    }
}

TEST_F(CryContainer, HexForms) {
    clsBlowfish bf;
    EXPECT_EQ(bf.EnHex(QString(QChar(10))), QStringLiteral("0A"));
    EXPECT_EQ(bf.EnHex(QString::fromUtf16(u"\u0000\u00FF\u20AC", 3)), QStringLiteral("00FF80"));
    struct Case {
        QString hex;
        QString text;
    };
    const Case cases[] = {
        {QStringLiteral("0A1B2"), QString::fromUtf16(u"\u000A\u001B\u0002")},  // last digit alone
        {QStringLiteral("ff80"), QString::fromUtf16(u"\u00FF\u20AC")},
        {QStringLiteral("zz41G1"), QString::fromUtf16(u"\u0000A\u0000", 3)},     // no hex number: 0
        {QString(), QString()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(bf.DeHex(c.hex), c.text) << c.hex.toStdString();
    // a long text goes through the builder whole
    const QString big = bf.EnHex(QString(5000, QChar(0xAB)));
    EXPECT_EQ(big, QStringLiteral("AB").repeated(5000));
    EXPECT_EQ(bf.DeHex(big), QString(5000, QChar(0xAB)));
}

TEST_F(CryContainer, ProgressIsMonotonicAndEndsWith100) {
    {
        clsBlowfish bf;
        std::vector<qint32> seen;
        QObject::connect(&bf, &clsBlowfish::Progress, [&](qint32 p) { seen.push_back(p); });
        QByteArray a(4, 'x');  // N = 16
        bf.EncryptByte(a, kKey);
        EXPECT_EQ(seen, (std::vector<qint32>{0, 50, 100}));
        seen.clear();
        EXPECT_TRUE(bf.DecryptByte(a));
        EXPECT_EQ(seen, (std::vector<qint32>{0, 50, 100}));
    }
    const QByteArray data = RandomBytes(3 * kChunk + 77, 5);
    testenv::writeFile(Host("big.zip"), data);
    for (bool encrypt : {true, false}) {
        clsBlowfish bf;
        std::vector<qint32> seen;
        QObject::connect(&bf, &clsBlowfish::Progress, [&](qint32 p) { seen.push_back(p); });
        ASSERT_TRUE(encrypt ? bf.EncryptFile(Path("big.zip"), Path("big.zip.cry"), true, kKey)
                            : bf.DecryptFile(Path("big.zip.cry"), Path("back.zip"), true, kKey));
        ASSERT_GE(seen.size(), 90u);
        EXPECT_LE(seen.size(), 102u);
        EXPECT_EQ(seen.front(), 0);
        EXPECT_EQ(seen.back(), 100);
        for (size_t i = 1; i < seen.size(); ++i)
            EXPECT_GT(seen[i], seen[i - 1]);
    }
    EXPECT_EQ(testenv::readFile(Host("back.zip")), data);
}

TEST_F(CryContainer, FileRoundTrips) {
    // around the piece boundaries too: the header shifts the data by 12 bytes
    const qint64 sizes[] = {0, 1, 7, 8, 9, 1 << 20, kChunk - 12, kChunk - 11, kChunk - 4, kChunk + 3, 2 * kChunk - 13};
    for (bool inHex : {false, true}) {
        for (qint64 n : sizes) {
            if (inHex && n > kChunk + 3)
                continue;
            const QByteArray data = RandomBytes(n, quint32(n) + 3);
            testenv::writeFile(Host("a.zip"), data);
            ASSERT_TRUE(clsBlowfish().EncryptFile(Path("a.zip"), Path("a.zip.cry"), true, kKey, inHex)) << n;
            const QByteArray sealed = testenv::readFile(Host("a.zip.cry"));
            ASSERT_EQ(sealed.size(), (inHex ? 2 : 1) * ContainerSize(n)) << n;
            ASSERT_TRUE(clsBlowfish().DecryptFile(Path("a.zip.cry"), Path("b.zip"), true, kKey, inHex)) << n;
            EXPECT_EQ(testenv::readFile(Host("b.zip")), data) << n << " hex " << inHex;
            if (!inHex && n < 100000) {  // the file form is the byte form
                QByteArray a = sealed;
                ASSERT_TRUE(clsBlowfish().DecryptByte(a, kKey));
                EXPECT_EQ(a, data);
            }
        }
    }
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(Entries(), (QStringList{"a.zip", "a.zip.cry", "b.zip"}));  // no temporary files left
}

TEST_F(CryContainer, FileFromByteFormAndOpenSsl) {
    const QByteArray data = RandomBytes(kChunk + 1000, 8);
    QByteArray sealed = data;
    clsBlowfish().EncryptByte(sealed, kKey);
    testenv::writeFile(Host("m.cry"), sealed);
    ASSERT_TRUE(clsBlowfish().DecryptFile(Path("m.cry"), Path("m.zip"), true, kKey));
    EXPECT_EQ(testenv::readFile(Host("m.zip")), data);

    const QByteArray keyBytes("T6:w_pw\xE4Kd/4%");
    const QString key = QString::fromLatin1(keyBytes);
    ASSERT_TRUE(clsBlowfish(Layout::Published).EncryptFile(Path("m.zip"), Path("o.cry"), true, key));
    const QByteArray plain = reference::Cbc(keyBytes, testenv::readFile(Host("o.cry")), false);
    EXPECT_EQ(qFromLittleEndian<qint32>(plain.constData() + 8), data.size());
    EXPECT_EQ(plain.mid(12, data.size()), data);
}

TEST_F(CryContainer, OverwriteRules) {
    testenv::writeFile(Host("a.zip"), "new archive");
    testenv::writeFile(Host("a.zip.cry"), QByteArray(1000, 'o'));
    EXPECT_FALSE(clsBlowfish().EncryptFile(Path("a.zip"), Path("a.zip.cry"), false, kKey));
    EXPECT_EQ(testenv::readFile(Host("a.zip.cry")), QByteArray(1000, 'o'));
    EXPECT_EQ(testenv::readFile(Host("a.zip")), QByteArray("new archive"));

    EXPECT_TRUE(clsBlowfish().EncryptFile(Path("a.zip"), Path("a.zip.cry"), true, kKey));
    EXPECT_EQ(testenv::readFile(Host("a.zip.cry")).size(), 24);  // replaced, not appended to

    testenv::writeFile(Host("old.zip"), QByteArray(5000, 'z'));
    EXPECT_FALSE(clsBlowfish().DecryptFile(Path("a.zip.cry"), Path("old.zip"), false, kKey));
    EXPECT_EQ(testenv::readFile(Host("old.zip")), QByteArray(5000, 'z'));
    EXPECT_TRUE(clsBlowfish().DecryptFile(Path("a.zip.cry"), Path("old.zip"), true, kKey));
    EXPECT_EQ(testenv::readFile(Host("old.zip")), QByteArray("new archive"));
    EXPECT_TRUE(errors.empty());
}

TEST_F(CryContainer, FailedDecryptionLeavesTheTargetAsItWas) {
    const QByteArray data = RandomBytes(70000, 11);
    testenv::writeFile(Host("a.zip"), data);
    ASSERT_TRUE(clsBlowfish().EncryptFile(Path("a.zip"), Path("a.cry"), true, kKey));
    const QByteArray sealed = testenv::readFile(Host("a.cry"));
    testenv::writeFile(Host("target.zip"), "what was there");

    EXPECT_FALSE(clsBlowfish().DecryptFile(Path("a.cry"), Path("target.zip"), true, kOtherKey));
    EXPECT_TRUE(LoggedSizeError());

    // truncated, or grown by a byte: the size no longer fits the length field
    for (qint64 n : {qint64(0), qint64(8), qint64(15), qint64(16), sealed.size() - 8, sealed.size() - 1,
                     sealed.size() + 1, sealed.size() + 8}) {
        errors.clear();
        QByteArray cut = sealed.left(n);
        if (n > sealed.size())
            cut.append(QByteArray(n - sealed.size(), '\0'));
        testenv::writeFile(Host("cut.cry"), cut);
        EXPECT_FALSE(clsBlowfish().DecryptFile(Path("cut.cry"), Path("target.zip"), true, kKey)) << n;
        EXPECT_TRUE(LoggedSizeError()) << n;
        EXPECT_FALSE(clsBlowfish().DecryptFile(Path("cut.cry"), Path("fresh.zip"), true, kKey)) << n;
    }
    EXPECT_EQ(testenv::readFile(Host("target.zip")), QByteArray("what was there"));
    EXPECT_FALSE(QFile::exists(Host("fresh.zip")));

    // random data is no container
    for (int i = 0; i < 50; ++i) {
        testenv::writeFile(Host("noise.cry"), RandomBytes(8 * (2 + i), 100 + i));
        EXPECT_FALSE(clsBlowfish().DecryptFile(Path("noise.cry"), Path("target.zip"), true, kKey));
        EXPECT_FALSE(clsBlowfish().DecryptFile(Path("noise.cry"), Path("target.zip"), true, kKey, true));
    }
    EXPECT_EQ(testenv::readFile(Host("target.zip")), QByteArray("what was there"));
    EXPECT_EQ(Entries(), (QStringList{"a.cry", "a.zip", "cut.cry", "noise.cry", "target.zip"}));
}

TEST_F(CryContainer, SameFileInAndOut) {
    const QByteArray data = RandomBytes(kChunk * 2 + 5, 21);
    testenv::writeFile(Host("a.zip"), data);
    ASSERT_TRUE(clsBlowfish().EncryptFile(Path("a.zip"), Path("a.zip"), true, kKey));
    EXPECT_EQ(testenv::readFile(Host("a.zip")).size(), ContainerSize(data.size()));
    EXPECT_FALSE(clsBlowfish().DecryptFile(Path("a.zip"), Path("a.zip"), true, kOtherKey));
    EXPECT_EQ(testenv::readFile(Host("a.zip")).size(), ContainerSize(data.size()));
    ASSERT_TRUE(clsBlowfish().DecryptFile(Path("a.zip"), Path("a.zip"), true, kKey));
    EXPECT_EQ(testenv::readFile(Host("a.zip")), data);
    EXPECT_EQ(Entries(), QStringList{"a.zip"});
}

TEST_F(CryContainer, FileErrorsReturnFalseAndWriteNothing) {
    EXPECT_FALSE(clsBlowfish().EncryptFile(Path("missing.zip"), Path("x.cry"), true, kKey));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].label, QStringLiteral("EncryptFile of Klassenmodul clsBlowfish"));
    EXPECT_EQ(errors[0].err.Number, 53);
    EXPECT_FALSE(QFile::exists(Host("x.cry")));

    errors.clear();
    EXPECT_FALSE(clsBlowfish().DecryptFile(Path("missing.cry"), Path("x.zip"), true, kKey));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].label, QStringLiteral("DecryptFile of Klassenmodul clsBlowfish"));

    testenv::writeFile(Host("a.zip"), "data");
    errors.clear();
    EXPECT_FALSE(clsBlowfish().EncryptFile(Path("a.zip"), Path("no\\such\\folder\\a.cry"), true, kKey));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].err.Number, 76);

    // paths that map to no host path
    errors.clear();
    EXPECT_FALSE(clsBlowfish().EncryptFile(QString(), Path("a.cry"), true, kKey));
    EXPECT_FALSE(clsBlowfish().EncryptFile(Path("a.zip"), QString(), true, kKey));
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].err.Number, 53);
    EXPECT_EQ(errors[1].err.Number, 76);
    EXPECT_EQ(Entries(), QStringList{"a.zip"});
}

// A container whose stored length is negative or more than it can hold is
// no container, in the byte and in the file form. In a 16-byte container the
// lengths -1 to -3 leave a distance of 17 to 19 bytes to the container's size,
// which alone would pass; the byte decoder then moved a negative number of
// bytes. The first case is that input as the fuzz target found it.
TEST_F(CryContainer, ANegativeOrImpossibleStoredLengthIsASizeError) {
    // Flipping bits of the first cipher block flips the same bits of the
    // second plain block, where the length lies: any length can be stored.
    const auto withLength = [](qint32 length) {
        QByteArray a("four");
        clsBlowfish().EncryptByte(a, kKey);
        uchar from[4], to[4];
        qToLittleEndian<qint32>(4, from);
        qToLittleEndian<qint32>(length, to);
        for (int i = 0; i < 4; ++i)
            a[i] = char(uchar(a[i]) ^ from[i] ^ to[i]);
        return a;
    };
    std::vector<QByteArray> inputs = {QByteArray::fromHex(kNegativeLengthCrash)};
    for (qint32 length : {-1, -2, -3, -4, std::numeric_limits<qint32>::min(), 5, 8, 1000,
                          std::numeric_limits<qint32>::max()})
        inputs.push_back(withLength(length));
    for (const QByteArray& input : inputs) {
        SCOPED_TRACE(input.toHex().constData());
        errors.clear();
        QByteArray bytes = input;
        EXPECT_FALSE(clsBlowfish().DecryptByte(bytes, kKey));
        EXPECT_EQ(bytes.size(), input.size());  // not cut
        EXPECT_TRUE(LoggedSizeError());

        errors.clear();
        testenv::writeFile(Host("odd.cry"), input);
        QFile::remove(Host("odd.zip"));
        EXPECT_FALSE(clsBlowfish().DecryptFile(Path("odd.cry"), Path("odd.zip"), true, kKey));
        EXPECT_FALSE(QFile::exists(Host("odd.zip")));  // no empty file
        EXPECT_TRUE(LoggedSizeError());
    }
    // The same bit flip to a length that fits still decodes.
    QByteArray fits = withLength(3);
    ASSERT_TRUE(clsBlowfish().DecryptByte(fits, kKey));
    EXPECT_EQ(fits, QByteArray("fou"));
}

// The length field is a signed 32-bit number: a file of 2 GiB could be
// written but never read back, so it is refused before anything is written.
TEST_F(CryContainer, RefusesInputOf2GiB) {
    {
        QFile f(Host("huge.zip"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(qint64(1) << 31));  // sparse
    }
    testenv::writeFile(Host("huge.zip.cry"), "old");
    EXPECT_FALSE(clsBlowfish().EncryptFile(Path("huge.zip"), Path("huge.zip.cry"), true, kKey));
    EXPECT_EQ(testenv::readFile(Host("huge.zip.cry")), QByteArray("old"));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].label, QStringLiteral("EncryptFile of Klassenmodul clsBlowfish"));
    EXPECT_EQ(errors[0].err.Number, clsBlowfish::kTooLargeErrorNumber);
    QFile::remove(Host("huge.zip"));
}

TEST_F(CryContainer, EventsRunDuringALongFile) {
    testenv::writeFile(Host("a.zip"), RandomBytes(4 * kChunk, 2));
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    clsBlowfish bf;
    bool firedBeforeEnd = false;
    QObject::connect(&bf, &clsBlowfish::Progress, [&](qint32 p) {
        if (p == 100)
            firedBeforeEnd = fired;
    });
    ASSERT_TRUE(bf.EncryptFile(Path("a.zip"), Path("a.cry"), true, kKey));
    EXPECT_TRUE(firedBeforeEnd);
}
