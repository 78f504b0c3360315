// orvane-wake run as a process, and its Qt-free reading of the settings file.

#include "core/PlainSettings.h"
#include "core/SettingsFile.h"
#include "core/WakeLoopback.h"
#include "support/TempDir.h"

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

SettingsGrid blank()
{
    SettingsGrid g;
    for (int r = 0; r < SettingsRows; ++r)
        for (int c = 0; c < SettingsColumns; ++c)
            g.set(r, c, QString());
    return g;
}

SettingsGrid settings(quint16 port, const QString &count = "2")
{
    SettingsGrid g = blank();
    g.set(0, 0, QString::number(port));
    g.set(0, 1, count);
    g.set(1, 0, "Server");
    g.set(1, 1, "127.0.0.1");
    const char *mac[] = {"00", "11", "22", "33", "44", "55"};
    for (int i = 0; i < 6; ++i)
        g.set(1, 2 + i, mac[i]);
    g.set(1, 8, "1");
    g.set(1, 9, "07:30:00");
    // A name too long for its record in code page 932, and one it can't hold at all.
    g.set(2, 0, QString::fromUtf8("開発用の高速なサーバー機と予備の端末です"));
    g.set(2, 1, "::1");
    g.set(3, 0, QString::fromUtf8("ｻｰﾊﾞ"));
    g.set(4, 0, QString::fromUtf8("Zoë 😀"));
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

TEST_F(WakeTool, WakesPcFromSettingsFile)
{
    LoopbackTarget target;
    ASSERT_TRUE(target.ok());
    ASSERT_TRUE(writeSettingsFile("System.ini", settings(target.port())));
    const ToolRun r = runTool({"1"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    const auto got = target.rx().receive(2);
    ASSERT_EQ(got.size(), 2);
    for (const auto &d : got) {
        EXPECT_EQ(d.data, expectedPacket(QByteArray("\x00\x11\x22\x33\x44\x55", 6)));
        EXPECT_EQ(d.senderPort, target.port() + 1);
    }
}

TEST_F(WakeTool, RefusalsGoToStandardErrorWithStatusOne)
{
    LoopbackTarget target;
    ASSERT_TRUE(target.ok());
    SettingsGrid g = settings(target.port());
    ASSERT_TRUE(writeSettingsFile("System.ini", g));
    ToolRun r = runTool({"5"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, QString::fromUtf8("Host or IPアドレスが設定されていません！\n"));
    g.set(0, 1, "many");
    ASSERT_TRUE(writeSettingsFile("System.ini", g));
    r = runTool({"1"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, QString::fromUtf8("PC1「Server」のマジックパケット送信回数「many」が正しくありません！\n"
                                       "送信回数は 32767 以下の整数で設定してください。\n"));
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(target.rx().receive(1, QuietMs).isEmpty());
}

TEST_F(WakeTool, MissingSettingsFileIsReportedNotCreated)
{
    const ToolRun r = runTool({"1"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, QString::fromUtf8("カレントディレクトリに System.ini がありません！\n"));
    EXPECT_FALSE(QFileInfo::exists("System.ini"));
    EXPECT_EQ(runTool({"--list"}).exitCode, 1);
}

TEST_F(WakeTool, SettingsPathThatIsNoFileIsRefusedWithoutBlocking)
{
    // A FIFO would block a plain read for ever; the tool must refuse it at once, as a folder.
    ASSERT_EQ(::mkfifo("System.ini", 0644), 0);
    ToolRun r = runTool({"--list"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.toStdString(), "System.ini を読み込めません！\n");
    ASSERT_EQ(::unlink("System.ini"), 0);
    ASSERT_TRUE(QDir().mkdir("System.ini"));
    r = runTool({"1"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.toStdString(), "System.ini を読み込めません！\n");
}

TEST_F(WakeTool, ListShowsTheSettings)
{
    ASSERT_TRUE(writeSettingsFile("System.ini", settings(9)));
    const ToolRun r = runTool({"--list"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QString::fromUtf8("9\n2\n"
                                       "1\tServer\t127.0.0.1\t00:11:22:33:44:55\t1\t07:30:00\n"
                                       "2\t開発用の高速なサーバー機と予備の端末です\t::1\t:::::\t\t\n"
                                       "3\tｻｰﾊﾞ\t\t:::::\t\t\n"
                                       "4\tZoë 😀\t\t:::::\t\t\n"
                                       "5\t\t\t:::::\t\t\n"));
}

// The tool takes a field's whole text from the trailer, whatever the other fields hold: a lone
// surrogate (which UTF-8 can't express, so it prints as the '?' of its record) in one field
// doesn't cost the accented name or the long kanji name theirs.
TEST_F(WakeTool, ListReadsTheTrailerBesideALoneSurrogate)
{
    SettingsGrid g = settings(9);
    g.set(2, 0, QString::fromUtf8("Café"));
    for (int i = 0; i < 6; ++i)
        g.set(2, 2 + i, QStringLiteral("0") + QString::number(i));
    g.set(3, 0, QString::fromUtf8("開発用高速サーバー予備機")); // 12 kanji: 24 bytes
    g.set(4, 0, QStringLiteral("PC") + QChar(0xD83D) + QStringLiteral("!"));
    ASSERT_TRUE(writeSettingsFile("System.ini", g));
    ToolRun r = runTool({"--list"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.toStdString(), "9\n2\n"
                                   "1\tServer\t127.0.0.1\t00:11:22:33:44:55\t1\t07:30:00\n"
                                   "2\tCafé\t::1\t00:01:02:03:04:05\t\t\n"
                                   "3\t開発用高速サーバー予備機\t\t:::::\t\t\n"
                                   "4\tPC?!\t\t:::::\t\t\n"
                                   "5\t\t\t:::::\t\t\n");

    // The name reaches the messages whole as well.
    g.set(0, 1, "many");
    ASSERT_TRUE(writeSettingsFile("System.ini", g));
    r = runTool({"2"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(
        r.err.startsWith(QString::fromUtf8("PC2「Café」のマジックパケット送信回数「many」が正しくありません！")))
        << r.err.toStdString();
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

    r = runTool({"--mac", "00:11:22:33:44", "--host", "::1", "--port", port});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.startsWith(QString::fromUtf8("指定したPCのMACアドレス「00:11:22:33:44」が正しくありません！")));
    r = runTool({"--mac", "00:11:22:33:44:55", "--host", "::1", "--port", "0"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.startsWith(QString::fromUtf8("指定したPCのポート番号「0」が正しくありません！")));
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
