#include "core/SettingsFile.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

// The 1,200-byte layout built from the record rules, independent of the writer.
QByteArray expectedFile(const QList<QPair<int, QByteArray>> &records)
{
    QByteArray bytes(RecordAreaBytes, ' ');
    for (const auto &[record, text] : records)
        bytes.replace((record - 1) * RecordBytes, text.size(), text);
    return bytes;
}

SettingsGrid blankGrid()
{
    SettingsGrid g;
    for (int r = 0; r < SettingsRows; ++r)
        for (int c = 0; c < SettingsColumns; ++c)
            g.set(r, c, QString());
    return g;
}

} // namespace

TEST(SettingsFile, PortAndCountGiveTheDocumentedLayout)
{
    TempCwd cwd;
    SettingsGrid g = blankGrid();
    g.set(0, 0, QStringLiteral("9"));
    g.set(0, 1, QStringLiteral("5"));
    g.set(1, 0, QStringLiteral("Server"));
    ASSERT_TRUE(writeSettingsFile(QStringLiteral("System.ini"), g));
    const QByteArray bytes = readAll(QStringLiteral("System.ini"));
    EXPECT_EQ(bytes, expectedFile({{1, "9"}, {2, "5"}, {11, "Server"}}));
    EXPECT_EQ(bytes.mid(200, 6), QByteArray("Server"));
}

TEST(SettingsFile, KanjiNameSurvivesSaveAndLoad)
{
    TempCwd cwd;
    SettingsGrid g = blankGrid();
    const QString name = QString::fromUtf8("開発用の高速なサーバー機と予備の端末です"); // 20 kanji/kana
    ASSERT_EQ(name.size(), 20);
    g.set(1, 0, name);
    ASSERT_TRUE(writeSettingsFile(QStringLiteral("System.ini"), g));
    SettingsGrid loaded;
    readSettingsFile(QStringLiteral("System.ini"), loaded);
    EXPECT_EQ(loaded.value(1, 0), name);
    EXPECT_EQ(loaded, g);
}
