// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// OpenSSL's own Blowfish, the reference the cipher is checked against. The
// low-level BF_* functions are deprecated in OpenSSL 3 but still the plain
// textbook cipher, which is exactly what is wanted here.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/blowfish.h>

#include <QByteArray>
#include <QString>
#include <QtEndian>

namespace reference {

inline BF_KEY MakeKey(const QByteArray& key) {
    BF_KEY k;
    BF_set_key(&k, int(key.size()), reinterpret_cast<const unsigned char*>(key.constData()));
    return k;
}

// One block, left and right word as the cipher class takes them.
inline void EcbEncrypt(const QByteArray& key, quint32& left, quint32& right) {
    BF_KEY k = MakeKey(key);
    unsigned char in[8], out[8];
    qToBigEndian(left, in);
    qToBigEndian(right, in + 4);
    BF_ecb_encrypt(in, out, &k, BF_ENCRYPT);
    left = qFromBigEndian<quint32>(out);
    right = qFromBigEndian<quint32>(out + 4);
}

// CBC with an all-zero initial value over whole blocks.
inline QByteArray Cbc(const QByteArray& key, const QByteArray& data, bool encrypt) {
    BF_KEY k = MakeKey(key);
    unsigned char iv[8] = {};
    QByteArray out(data.size(), '\0');
    BF_cbc_encrypt(reinterpret_cast<const unsigned char*>(data.constData()),
                   reinterpret_cast<unsigned char*>(out.data()), long(data.size()), &k, iv,
                   encrypt ? BF_ENCRYPT : BF_DECRYPT);
    return out;
}

}  // namespace reference
