// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include <vector>

#include "platform/ZipDirectory.h"

using platform::ZipDirectory;
using platform::ZipEntryHead;
using platform::ZipNameIndex;

namespace {

// Names that share beginnings with the one before in every way: longer,
// shorter, equal, a prefix, nothing in common, empty, bytes that are not
// UTF-8; enough of them to cross the points where a whole name is kept.
std::vector<QByteArray> awkwardNames() {
    std::vector<QByteArray> names;
    for (int i = 0; i < 40; ++i) {
        names.push_back("folder/sub/file" + QByteArray::number(i) + ".txt");
        if (i % 7 == 0)
            names.push_back("folder/sub/file" + QByteArray::number(i) + ".txt");  // the same again
        if (i % 9 == 0)
            names.push_back("folder/sub");                                     // a prefix of the one before
        if (i % 11 == 0)
            names.push_back({});
        if (i % 13 == 0)
            names.push_back(QByteArray("caf\xe9/\xff\xfe name", 12));
    }
    names.push_back(QByteArray(3000, 'x'));
    names.push_back(QByteArray(3000, 'x') + "y");
    return names;
}

TEST(ZipDirectory, EveryEntryComesBackAsItWasAppended) {
    const std::vector<QByteArray> names = awkwardNames();
    ZipDirectory d;
    for (size_t i = 0; i < names.size(); ++i) {
        ZipEntryHead h;
        h.crc = quint32(i * 2654435761u);
        h.localOffset = quint64(i) << 33;
        h.uncompressedSize = i;
        d.append(h, names[i], i % 3 ? QByteArrayView() : QByteArrayView("\x55\x54\x05\x00\x01\x02\x03\x04\x05", 9),
                 i % 5 ? QByteArrayView() : QByteArrayView("comment"));
    }
    ASSERT_EQ(d.size(), names.size());
    QByteArray walked;
    for (size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(i);
        d.nextRawName(i, &walked);
        EXPECT_EQ(walked, names[i]);
        EXPECT_EQ(d.rawName(i), names[i]);
        EXPECT_EQ(d.rawNameSize(i), size_t(names[i].size()));
        EXPECT_EQ(d.head(i).crc, quint32(i * 2654435761u));
        EXPECT_EQ(d.head(i).localOffset, quint64(i) << 33);
        EXPECT_EQ(d.extra(i).size(), i % 3 ? 0 : 9);
        EXPECT_EQ(d.comment(i).toByteArray(), i % 5 ? QByteArray() : QByteArray("comment"));
    }
    // Random access in any order gives the same names as the walk.
    for (size_t i = names.size(); i-- > 0;)
        EXPECT_EQ(d.rawName(i), names[i]) << i;
    d.clear();
    EXPECT_TRUE(d.empty());
}

TEST(ZipNameIndex, FindsTheNewestEntryOfEachNameEvenWhenHashesCollide) {
    ZipDirectory d;
    std::vector<QString> names;
    for (int i = 0; i < 5000; ++i)
        names.push_back(QStringLiteral("f%1/n%2.txt").arg(i % 50).arg(i));
    names.push_back(names[10]);  // a second entry of one name replaces the first in the index
    for (const QString& n : names)
        d.append(ZipEntryHead{}, n.toUtf8());
    ZipNameIndex index;
    for (size_t i = 0; i < names.size(); ++i) {
        const QString n = d.name(i);
        index.set(d, n, ZipNameIndex::hashOf(n), int(i));
    }
    EXPECT_EQ(index.find(d, names[10], ZipNameIndex::hashOf(names[10])), int(names.size() - 1));
    EXPECT_EQ(index.find(d, names[11], ZipNameIndex::hashOf(names[11])), 11);
    EXPECT_EQ(index.find(d, "missing", ZipNameIndex::hashOf("missing")), -1);

    // Every name under one hash: the names themselves still tell them apart.
    ZipNameIndex same;
    for (size_t i = 0; i < 200; ++i)
        same.set(d, d.name(i), 7, int(i));
    for (size_t i = 0; i < 200; ++i)
        EXPECT_EQ(same.find(d, d.name(i), 7), int(i)) << i;
    EXPECT_EQ(same.find(d, d.name(300), 7), -1);
}

}  // namespace
