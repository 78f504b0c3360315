// orvane-wake run as a process, and its Qt-free reading of the settings file.

#include "core/PlainSettings.h"
#include "core/SettingsFile.h"
#include "support/SettingsData.h"
#include "support/TempDir.h"
#include "support/WakeLoopback.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <random>
#include <sys/stat.h>
#include <unistd.h>

using namespace orvane;
using namespace orvane::test;

namespace {

QString toolPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../tools/orvane-wake");
}

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

ToolRun runTool(const QStringList &args)
{
    QProcess p;
    p.setProgram(toolPath());
    p.setArguments(args);
    p.start();
    ToolRun r;
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// A run that ends with status 1 and says nothing on standard output; what it says on standard error.
std::string refusal(const QStringList &args)
{
    const ToolRun r = runTool(args);
    EXPECT_EQ(r.exitCode, 1) << args.join(' ').toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    return r.err.toStdString();
}

SettingsGrid settings(quint16 port)
{
    SettingsGrid g = grid({{0, 0, QString::number(port)}, {0, 1, "2"}});
    setPc(g, 1, "Server", "127.0.0.1", ServerMac, "1", "07:30:00");
    // A name too long for its record in code page 932, and one it can't hold at all.
    setPc(g, 2, "開発用の高速なサーバー機と予備の端末です", "::1");
    g.set(3, 0, "ｻｰﾊﾞ");
    g.set(4, 0, "Zoë 😀");
    return g;
}

class WakeTool : public testing::Test {
protected:
    void SetUp() override
    {
        if (!QFileInfo(toolPath()).isExecutable())
            GTEST_SKIP() << "orvane-wake not built next to the tests: " << toolPath().toStdString();
    }
    TempCwd cwd;
};

} // namespace

TEST_F(WakeTool, WakesAPcFromTheSettingsFileOrSaysWhyNot)
{
    LoopbackTarget target;
    ASSERT_TRUE(target.ok());
    SettingsGrid g = settings(target.port());
    ASSERT_TRUE(writeSettingsFile("System.ini", g));
    const ToolRun r = runTool({"1"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty() && r.out.isEmpty()) << r.err.toStdString();

    EXPECT_EQ(refusal({"5"}), "Host or IPアドレスが設定されていません！\n");
    g.set(0, 1, "many");
    ASSERT_TRUE(writeSettingsFile("System.ini", g));
    EXPECT_EQ(refusal({"1"}), "PC1「Server」のマジックパケット送信回数「many」が正しくありません！\n"
                              "送信回数は 32767 以下の整数で設定してください。\n");
    const auto got = target.rx().receive(3, QuietMs);
    ASSERT_EQ(got.size(), 2);
    for (const auto &d : got) {
        EXPECT_EQ(d.data, expectedPacket(QByteArray::fromHex("001122334455")));
        EXPECT_EQ(d.senderPort, target.port() + 1);
    }
}

TEST_F(WakeTool, AMissingOrUnreadableSettingsFileIsReportedNotCreatedAndNeverBlocks)
{
    EXPECT_EQ(refusal({"1"}), "カレントディレクトリに System.ini がありません！\n");
    EXPECT_FALSE(QFileInfo::exists("System.ini"));
    EXPECT_EQ(runTool({"--list"}).exitCode, 1);
    // A FIFO would block a plain read for ever; the tool must refuse it at once, as a folder.
    ASSERT_EQ(::mkfifo("System.ini", 0644), 0);
    EXPECT_EQ(refusal({"--list"}), "System.ini を読み込めません！\n");
    ASSERT_EQ(::unlink("System.ini"), 0);
    ASSERT_TRUE(QDir().mkdir("System.ini"));
    EXPECT_EQ(refusal({"1"}), "System.ini を読み込めません！\n");
}

// The tool takes a field's whole text from the trailer, whatever the other fields hold: a lone
// surrogate (which UTF-8 can't express, so it prints as the '?' of its record) in one field
// doesn't cost the accented name or the long kanji name theirs.
TEST_F(WakeTool, ListShowsTheSettingsWithTheWholeTextOfEveryField)
{
    auto listed = [](const SettingsGrid &g) {
        EXPECT_TRUE(writeSettingsFile("System.ini", g));
        const ToolRun r = runTool({"--list"});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        return r.out.toStdString();
    };
    const std::string first = "9\n2\n1\tServer\t127.0.0.1\t00:11:22:33:44:55\t1\t07:30:00\n";
    const std::string last = "5\t\t\t:::::\t\t\n";
    SettingsGrid g = settings(9);
    EXPECT_EQ(listed(g), first +
                             "2\t開発用の高速なサーバー機と予備の端末です\t::1\t:::::\t\t\n"
                             "3\tｻｰﾊﾞ\t\t:::::\t\t\n"
                             "4\tZoë 😀\t\t:::::\t\t\n" +
                             last);

    setPc(g, 2, "Café", "::1", {"00", "01", "02", "03", "04", "05"});
    g.set(3, 0, "開発用高速サーバー予備機"); // 12 kanji: 24 bytes
    g.set(4, 0, QStringLiteral("PC") + QChar(0xD83D) + QStringLiteral("!"));
    EXPECT_EQ(listed(g), first +
                             "2\tCafé\t::1\t00:01:02:03:04:05\t\t\n"
                             "3\t開発用高速サーバー予備機\t\t:::::\t\t\n"
                             "4\tPC?!\t\t:::::\t\t\n" +
                             last);

    // The name reaches the messages whole as well.
    g.set(0, 1, "many");
    ASSERT_TRUE(writeSettingsFile("System.ini", g));
    EXPECT_EQ(refusal({"2"}).rfind("PC2「Café」のマジックパケット送信回数「many」が正しくありません！", 0), 0u);
}

TEST_F(WakeTool, AdHocWakeOverIPv6)
{
    LoopbackTarget target(QHostAddress::LocalHostIPv6);
    if (!target.ok())
        GTEST_SKIP() << "no IPv6 loopback on this machine";
    const QString port = QString::number(target.port());
    ToolRun r = runTool({"--mac", "00-11-22-33-44-0a", "--host", "::1", "--port", port, "--count", "2"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    r = runTool({"--host=[::1]", "--mac=0:1:2:3:4:5", "--port=" + port, "--count=1"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const auto got = target.rx().receive(3);
    ASSERT_EQ(got.size(), 3);
    EXPECT_EQ(got[0].data, expectedPacket(QByteArray("\x00\x11\x22\x33\x44\x0A", 6)));
    EXPECT_EQ(got[2].data, expectedPacket(QByteArray("\x00\x01\x02\x03\x04\x05", 6)));
    EXPECT_EQ(got[2].senderPort, target.port() + 1);

    EXPECT_EQ(refusal({"--mac", "00:11:22:33:44", "--host", "::1", "--port", port})
                  .rfind("指定したPCのMACアドレス「00:11:22:33:44」が正しくありません！", 0),
              0u);
    EXPECT_EQ(refusal({"--mac", "00:11:22:33:44:55", "--host", "::1", "--port", "0"})
                  .rfind("指定したPCのポート番号「0」が正しくありません！", 0),
              0u);
}

TEST_F(WakeTool, WrongUsagePrintsUsageWithStatusTwo)
{
    const QList<QStringList> wrong = {{},          {"0"},      {"6"},          {"12"},          {"abc"},
                                      {"--bogus"}, {"1", "2"}, {"--mac", "x"}, {"--host", "h"}, {"--list", "1"},
                                      {"--mac"}};
    for (const QStringList &args : wrong) {
        const ToolRun r = runTool(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8("使い方: orvane-wake N"))) << args.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    ToolRun r = runTool({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.contains("--count"));
    r = runTool({"--version"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "orvane-wake 1.0.0\n");
}

// The tool reads the file without Qt; it must see what the program sees.
TEST(PlainSettings, AgreesWithTheProgramsReader)
{
    auto compare = [](const QByteArray &bytes, const char *what) {
        SettingsGrid grid;
        decodeSettings(bytes, grid);
        const SettingsValues plain = decodeSettingsValues(std::string_view(bytes.constData(), bytes.size()));
        for (int r = 0; r < SettingsRows; ++r)
            for (int c = 0; c < SettingsColumns; ++c)
                ASSERT_EQ(plain[r][c], grid.value(r, c).toStdString()) << what << " field " << r << "," << c;
    };
    SettingsGrid g = settings(9);
    g.set(5, 0, QString::fromUtf8("①②③ＡＢＣ～￢"));
    g.set(5, 1, QString::fromUtf8("\\~\x7f\x1a end   "));
    g.set(5, 2, QString::fromUtf8("Café"));
    g.set(5, 3, QStringLiteral("x") + QChar(0xDC00) + QChar(0xD800) + QStringLiteral("y"));
    const QByteArray bytes = encodeSettings(g);
    ASSERT_GT(bytes.size(), RecordAreaBytes); // has a trailer
    compare(bytes, "whole");
    for (int cut : {0, 1, 19, 20, 199, 1199, 1200, 1205, 1210, static_cast<int>(bytes.size()) - 1})
        compare(bytes.left(cut), "cut");

    // Damaged files: random bytes in the records and the trailer.
    std::mt19937 random(12345);
    for (int i = 0; i < 400; ++i) {
        QByteArray damaged = bytes;
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int f = 0; f < flips; ++f)
            damaged[static_cast<int>(random() % damaged.size())] = static_cast<char>(random() % 256);
        compare(damaged, "damaged");
    }
    QByteArray noise(1200, '\0');
    for (int i = 0; i < 200; ++i) {
        for (char &b : noise)
            b = static_cast<char>(random() % 256);
        compare(noise, "noise");
    }
}
