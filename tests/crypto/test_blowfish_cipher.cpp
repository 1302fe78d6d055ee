// SPDX-License-Identifier: GPL-3.0-or-later
// The block cipher and the key schedule: against published vectors and
// OpenSSL with the textbook table layout, and against the known values of the
// archive layout.
#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "OpenSslReference.h"
#include "vb/Cp1252.h"
#include "crypto/clsBlowfish.h"

namespace {

using Layout = clsBlowfish::SBoxLayout;

QByteArray FromHex(const char* hex) { return QByteArray::fromHex(hex); }

// The key text whose Windows-1252 bytes are `bytes`.
QString KeyText(const QByteArray& bytes) { return vb::DecodeCp1252(bytes); }

QByteArray RandomKeyBytes(QRandomGenerator& rng, int n) {
    QByteArray k;
    while (k.size() < n)
        k.append(char(rng.bounded(256)));
    return k;
}

bool SameTables(const clsBlowfish& a, const clsBlowfish& b) {
    for (int i = 0; i < 18; ++i)
        if (a.PWord(i) != b.PWord(i))
            return false;
    for (int box = 0; box < 4; ++box)
        for (int j = 0; j < 256; ++j)
            if (a.SWord(box, j) != b.SWord(box, j))
                return false;
    return true;
}

}  // namespace

TEST(BlowfishCipher, PublishedVectorsWithTextbookLayout) {
    struct Case {
        const char *key, *plain, *cipher;
    };
    const Case cases[] = {
        {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
        {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
        {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
        {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
        {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
        {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    };
    for (const Case& c : cases) {
        clsBlowfish bf(Layout::Published);
        bf.Key(KeyText(FromHex(c.key)));
        const QByteArray plain = FromHex(c.plain);
        quint32 l = qFromBigEndian<quint32>(plain.constData()), r = qFromBigEndian<quint32>(plain.constData() + 4);
        bf.EncryptBlock(l, r);
        unsigned char out[8];
        qToBigEndian(l, out);
        qToBigEndian(r, out + 4);
        EXPECT_EQ(QByteArray(reinterpret_cast<char*>(out), 8).toHex().toUpper(), QByteArray(c.cipher)) << c.key;
        bf.DecryptBlock(l, r);
        EXPECT_EQ(l, qFromBigEndian<quint32>(plain.constData())) << c.key;
        EXPECT_EQ(r, qFromBigEndian<quint32>(plain.constData() + 4)) << c.key;
    }
}

TEST(BlowfishCipher, MatchesOpenSslEcbForKeysOf1To80Bytes) {
    QRandomGenerator rng(4711);
    for (int len = 1; len <= 80; ++len) {
        const QByteArray key = RandomKeyBytes(rng, len);
        clsBlowfish bf(Layout::Published);
        bf.Key(KeyText(key));
        for (int block = 0; block < 4; ++block) {
            const quint32 l0 = rng.generate(), r0 = rng.generate();
            quint32 l = l0, r = r0, el = l0, er = r0;
            bf.EncryptBlock(l, r);
            reference::EcbEncrypt(key, el, er);
            ASSERT_EQ(l, el) << "key length " << len;
            ASSERT_EQ(r, er) << "key length " << len;
            bf.DecryptBlock(l, r);
            ASSERT_EQ(l, l0);
            ASSERT_EQ(r, r0);
        }
    }
}

TEST(BlowfishCipher, NonAsciiKeyTextBecomesWindows1252Bytes) {
    struct Case {
        QString text;
        QByteArray bytes;
    };
    const Case cases[] = {
        {QStringLiteral("Passwört"), QByteArray("Passw\xF6rt")},
        {QString::fromUtf16(u"T6:w_\u20AC\u0160\u0178\u2122Kd/4%"), QByteArray("T6:w_\x80\x8A\x9F\x99Kd/4%")},
        {QString::fromUtf16(u"\u0081\u008D\u00FF"), QByteArray("\x81\x8D\xFF")},
        // characters Windows-1252 cannot hold fall back to UTF-8
        {QString::fromUtf16(u"a\u03A9b"), QByteArray("a\xCE\xA9" "b")},
        {QString::fromUtf16(u"\u0080x"), QByteArray("\xC2\x80x")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(vb::EncodeCp1252(c.text), c.bytes);
        clsBlowfish bf(Layout::Published);
        bf.Key(c.text);
        quint32 l = 0x01234567, r = 0x89ABCDEF, el = l, er = r;
        bf.EncryptBlock(l, r);
        reference::EcbEncrypt(c.bytes, el, er);
        EXPECT_EQ(l, el) << c.text.toStdString();
        EXPECT_EQ(r, er) << c.text.toStdString();
    }
    // every byte value has its character and comes back unchanged
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString chars = vb::DecodeCp1252(all);
    EXPECT_EQ(chars.size(), 256);
    EXPECT_EQ(chars[0x80], QChar(0x20AC));
    EXPECT_EQ(chars[0x9F], QChar(0x0178));
    EXPECT_EQ(vb::EncodeCp1252(chars), all);
}

TEST(BlowfishCipher, ArchiveLayoutDealsTheWordsOutToTheBoxesInTurn) {
    clsBlowfish bf;
    EXPECT_EQ(bf.SWord(0, 0), 0xD1310BA6u);
    EXPECT_EQ(bf.SWord(0, 1), 0xB8E1AFEDu);
    EXPECT_EQ(bf.SWord(1, 0), 0x98DFB5ACu);
    EXPECT_EQ(bf.SWord(1, 1), 0x6A267E96u);
    EXPECT_EQ(bf.SWord(2, 0), 0x2FFD72DBu);
    EXPECT_EQ(bf.SWord(3, 0), 0xD01ADFB7u);
    EXPECT_EQ(bf.SWord(0, 64), 0x4B7A70E9u);
    EXPECT_EQ(bf.SWord(3, 255), 0x3AC372E6u);
    EXPECT_EQ(bf.PWord(0), 0x243F6A88u);
    EXPECT_EQ(bf.PWord(17), 0x8979FB1Bu);

    clsBlowfish published(Layout::Published);
    EXPECT_EQ(published.SWord(1, 0), 0x4B7A70E9u);
    EXPECT_EQ(published.SWord(0, 255), 0x6E85076Au);
}

TEST(BlowfishCipher, UnkeyedZeroBlock) {
    struct Case {
        Layout layout;
        bool setEmptyKey;
        quint32 left, right;
    };
    const Case cases[] = {
        {Layout::Archive, false, 0xF155B7CF, 0xC1E56C7B},
        {Layout::Archive, true, 0xF155B7CF, 0xC1E56C7B},
        {Layout::Published, false, 0x706D9FCC, 0x1792D23A},
    };
    for (const Case& c : cases) {
        clsBlowfish bf(c.layout);
        if (c.setEmptyKey) {
            bf.Key(QStringLiteral("something"));
            bf.Key(QString());
        }
        quint32 l = 0, r = 0;
        bf.EncryptBlock(l, r);
        EXPECT_EQ(l, c.left);
        EXPECT_EQ(r, c.right);
    }
}

TEST(BlowfishCipher, KeyScheduleRules) {
    const QString a = QStringLiteral("T6:w_secretKd/4%"), b = QStringLiteral("T6:w_otherKd/4%");
    clsBlowfish fresh;
    fresh.Key(a);

    clsBlowfish twice;
    twice.Key(a);
    twice.Key(a);
    EXPECT_TRUE(SameTables(twice, fresh));

    clsBlowfish aba;
    aba.Key(a);
    aba.Key(b);
    EXPECT_FALSE(SameTables(aba, fresh));
    aba.Key(a);
    EXPECT_TRUE(SameTables(aba, fresh));

    clsBlowfish caseCounts;
    caseCounts.Key(a.toUpper());
    EXPECT_FALSE(SameTables(caseCounts, fresh));

    // a one-character key is that byte in every one of the 72 positions
    clsBlowfish one, seventyTwo;
    one.Key(QStringLiteral("x"));
    seventyTwo.Key(QString(72, QLatin1Char('x')));
    EXPECT_TRUE(SameTables(one, seventyTwo));

    // bytes beyond the 72nd have no effect; those up to it all do
    const QString base = QString(60, QLatin1Char('p')) + QStringLiteral("0123456789AB");
    clsBlowfish k72, k80, k71;
    k72.Key(base);
    k80.Key(base + QStringLiteral("tail-tai"));
    k71.Key(base.left(71) + QLatin1Char('C'));
    EXPECT_TRUE(SameTables(k72, k80));
    EXPECT_FALSE(SameTables(k72, k71));
}

TEST(BlowfishCipher, DecryptInvertsEncrypt) {
    QRandomGenerator rng(99);
    clsBlowfish bf;
    bf.Key(QStringLiteral("T6:w_Kd/4%"));
    for (int i = 0; i < 200; ++i) {
        const quint32 l0 = rng.generate(), r0 = rng.generate();
        quint32 l = l0, r = r0;
        bf.EncryptBlock(l, r);
        EXPECT_FALSE(l == l0 && r == r0);
        bf.DecryptBlock(l, r);
        ASSERT_EQ(l, l0);
        ASSERT_EQ(r, r0);
    }
}
