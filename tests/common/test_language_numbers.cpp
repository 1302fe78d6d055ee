// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <map>

#include "CommonTest.h"
#include "common/Globals.h"
#include "common/NRV_Language.h"

// Every text number that the code asks for in the form LangText(<number>)
// has a text in the shipped English file.
TEST(LanguageNumbers, EveryNumberTheCodeUsesHasAnEnglishText) {
    platform::InstallPathLayer();
    const QString source = testenv::sourceDir();
    ASSERT_TRUE(QFile::exists(source + "/data/Common/language/english.lng"));

    static const QRegularExpression call(QStringLiteral("\\bLangText\\(\\s*(\\d+)\\s*\\)"));
    std::map<int, QString> firstUse;  // number -> file that uses it
    QDirIterator it(source + "/src", {"*.cpp"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
        const QString text = QString::fromUtf8(f.readAll());
        for (auto m = call.globalMatch(text); m.hasNext();) {
            const int k = m.next().captured(1).toInt();
            firstUse.emplace(k, path.mid(source.size() + 1));
        }
    }
    ASSERT_FALSE(firstUse.empty());

    LangText.Clear();
    ASSERT_TRUE(set_language("english.lng"));
    for (const auto& [k, file] : firstUse)
        EXPECT_FALSE(LangText(k).isEmpty()) << "text " << k << " (used in " << file.toStdString() << ")";
}
