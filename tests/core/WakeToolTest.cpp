// orvane-wake run as a process: the command line's path from the settings file to the wire.

#include "core/settings/SettingsFile.h"
#include "support/SettingsData.h"
#include "support/TempDir.h"
#include "support/WakeLoopback.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>

using namespace orvane;
using namespace orvane::test;

namespace {

// Exit status, standard output and standard error of a run.
std::tuple<int, std::string, std::string> run(const QStringList &args,
                                              const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QCoreApplication::applicationDirPath() + "/../tools/orvane-wake", args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit)
        return {-1, "", ""};
    return {p.exitCode(), p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
}

// A refusal: status 1, nothing on standard output, the message on standard error.
std::tuple<int, std::string, std::string> refused(const std::string &message)
{
    return {1, "", message + "\n"};
}

} // namespace

TEST(WakeTool, WakesAPcFromTheSettingsFileListsThemAndSaysWhyNot)
{
    TempCwd cwd;
    LoopbackTarget target;
    ASSERT_TRUE(target.ok());
    SettingsGrid g = grid({{0, 0, QString::number(target.port())}, {0, 1, "2"}});
    setPc(g, 1, "Server", "127.0.0.1", ServerMac, "1", "07:30:00");
    setPc(g, 2, "開発用の高速なサーバー機と予備の端末です", "::1", {"00", "01", "02", "03", "04", "05"});
    g.set(4, 0, QStringLiteral("Zoë 😀") + QChar(0xD83D) + "!"); // a lone surrogate shows as its record's '?'
    ASSERT_TRUE(writeSettingsFile("System.ini", g));
    EXPECT_EQ(run({"1"}), std::tuple(0, "", ""));
    const auto got = target.rx().receive(3, QuietMs);
    EXPECT_EQ(got.size(), 2);
    for (const auto &d : got)
        EXPECT_TRUE(d.data == expectedPacket(QByteArray::fromHex("001122334455")) && d.senderPort == target.port() + 1);
    const std::string list = "1\tServer\t127.0.0.1\t00:11:22:33:44:55\t1\t07:30:00\t\t毎日\n"
                             "2\t開発用の高速なサーバー機と予備の端末です\t::1\t00:01:02:03:04:05\t\t\t\t毎日\n"
                             "3\t\t\t:::::\t\t\t\t毎日\n"
                             "4\tZoë 😀?!\t\t:::::\t\t\t\t毎日\n"
                             "5\t\t\t:::::\t\t\t\t毎日\n";
    EXPECT_EQ(run({"--list"}), std::tuple(0, std::to_string(target.port()) + "\n2\n" + list, ""));
    // The timer's days from Orvane.ini: a PC whose every day is off has no next wake.
    writeAll("Orvane.ini", "[PC1]\ndays = mon-fri\nholidays = skip\nskip = 2000-01-01..2099-12-31\n");
    EXPECT_TRUE(
        std::get<1>(run({"--list"})).find("07:30:00\t\tmon-fri、祝日は休み、休み 2000-01-01..2099-12-31\n2\t") !=
        std::string::npos);
    EXPECT_EQ(run({"--next"}),
              std::tuple(0,
                         "1\tServer\t次の起動 なし\n2\t開発用の高速なサーバー機と予備の端末です\tタイマー OFF\n"
                         "3\t\tタイマー OFF\n4\tZoë 😀?!\tタイマー OFF\n5\t\tタイマー OFF\n",
                         ""));
    // One wake skipped, kept in Orvane.ini, and taken back.
    writeAll("Orvane.ini", "; mine\n");
    const std::string next = std::get<1>(run({"--next"}));
    const auto [skipped, said, none] = run({"--skip", "1"});
    EXPECT_EQ(skipped, 0);
    EXPECT_EQ(said.rfind("PC1「Server」の ", 0), 0u) << said;
    EXPECT_NE(said.find(" 07:30:00 の起動を休みます\n"), std::string::npos) << said;
    EXPECT_EQ(readAll("Orvane.ini").left(26), "; mine\n\n[PC1]\nskip_next = ");
    EXPECT_NE(std::get<1>(run({"--next"})), next) << "the next wake is a later one";
    EXPECT_EQ(run({"--unskip", "1"}), std::tuple(0, "PC1「Server」の次の起動を休むのをやめました\n", ""));
    EXPECT_EQ(readAll("Orvane.ini"), "; mine\n\n[PC1]\n") << "its section stays";
    EXPECT_EQ(std::get<1>(run({"--next"})), next);
    EXPECT_EQ(run({"--skip", "2"}),
              refused("PC2「開発用の高速なサーバー機と予備の端末です」にはタイマーで起動する予定がありません！"));
    QFile::remove("Orvane.ini");
    EXPECT_EQ(run({"5"}), refused("Host or IPアドレスが設定されていません！"));
    g.set(0, 1, "many");
    ASSERT_TRUE(writeSettingsFile("System.ini", g));
    EXPECT_EQ(run({"1"}), refused("PC1「Server」のマジックパケット送信回数「many」が正しくありません！\n"
                                  "送信回数は 32767 以下の整数で設定してください。"));
    ASSERT_TRUE(QFile::remove("System.ini") && QDir().mkdir("System.ini"));
    EXPECT_EQ(run({"--list"}), refused("System.ini を読み込めません！"));
}

TEST(WakeTool, WakesAnyPcGivenOnTheCommandLine)
{
    LoopbackTarget target(QHostAddress::LocalHostIPv6);
    if (!target.ok())
        GTEST_SKIP() << "no IPv6 loopback on this machine";
    const QString port = QString::number(target.port());
    EXPECT_EQ(run({"--mac", "00-11-22-33-44-0a", "--host", "::1", "--port", port, "--count", "2"}),
              std::tuple(0, "", ""));
    EXPECT_EQ(run({"--host=[::1]", "--mac=0:1:2:3:4:5", "--port=" + port, "--count=1"}), std::tuple(0, "", ""));
    const auto got = target.rx().receive(3);
    EXPECT_EQ(got.size(), 3);
    EXPECT_EQ(got.value(2).data, expectedPacket(QByteArray::fromHex("000102030405")));
    // The SecureOn password after the sixteen copies: 108 bytes.
    EXPECT_EQ(run({"--mac=0:1:2:3:4:5", "--host=::1", "--port=" + port, "--count=1", "--secureon=01-23-45-67-89-ab"}),
              std::tuple(0, "", ""));
    EXPECT_EQ(target.rx().receive(4).value(3).data,
              expectedPacket(QByteArray::fromHex("000102030405")) + QByteArray::fromHex("0123456789ab"));
    EXPECT_EQ(run({"--mac", "00:11:22:33:44", "--host", "::1"}),
              refused("指定したPCのMACアドレス「00:11:22:33:44」が正しくありません！\n"
                      "MACアドレスは 16進数 6 個を \":\" で区切って指定してください。"));
}

// Which file is read: the current folder's, else the desktop program's, or --dir's.
TEST(WakeTool, ReadsTheSettingsOfTheCurrentFolderElseTheDesktopProgramsOrTheFolderGiven)
{
    TempCwd cwd;
    const QString xdg = cwd.file("xdg"), home = cwd.file("home");
    EnvGuard xdgGuard("XDG_CONFIG_HOME", QFile::encodeName(xdg)), homeGuard("HOME", QFile::encodeName(home));
    const auto write = [](const QString &folder, const QString &port) {
        return QDir().mkpath(folder) && writeSettingsFile(folder + "/System.ini", grid({{0, 0, port}}));
    };
    const auto port = [](const QStringList &args) { return std::get<1>(run(args)).substr(0, 3); }; // --list's first
    ASSERT_TRUE(write(home + "/.config/orvane", "70"));
    EXPECT_EQ(run({"1"}), refused("カレントディレクトリに System.ini がありません！\n" + xdg.toStdString() +
                                  "/orvane/System.ini もありません。"));
    EXPECT_FALSE(QFileInfo::exists("System.ini") || QFileInfo::exists(xdg));
    xdgGuard.set({});
    EXPECT_EQ(port({"--list"}), "70\n");
    xdgGuard.set(QFile::encodeName(xdg));
    ASSERT_TRUE(write(xdg + "/orvane", "71"));
    EXPECT_EQ(port({"--list"}), "71\n");
    ASSERT_TRUE(write(".", "72") && write("d", "73"));
    EXPECT_EQ(port({"--list"}), "72\n");
    EXPECT_EQ(port({"--dir", "d/", "--list"}), "73\n");
    EXPECT_EQ(run({"--list", "--dir=e"}), refused("e/System.ini がありません！"));
}

// Each argument one PC: a failure is its own line and the others still go; the status is the worst.
TEST(WakeTool, WakesSeveralPcsByNumberNameOrAllAndTakesAWholeMacInEveryForm)
{
    TempCwd cwd;
    LoopbackTarget target;
    ASSERT_TRUE(target.ok());
    const QString port = QString::number(target.port());
    SettingsGrid g = grid({{0, 0, port}, {0, 1, "1"}});
    const QStringList names{"NAS", "Desk", "nas", "Zoë", "Spare"};
    for (int pc = 1; pc <= 5; ++pc)
        setPc(g, pc, names[pc - 1], pc < 5 ? "127.0.0.1" : "", {"00", "11", "22", "33", "44", QString("0%1").arg(pc)});
    ASSERT_TRUE(writeSettingsFile("System.ini", g));
    const std::string failures = "名前が「nas」の PC が複数あります: PC1「NAS」、PC3「nas」\n番号で指定してください。\n"
                                 "名前が「Des」の PC がありません！\nHost or IPアドレスが設定されていません！\n";
    // Arguments, status, standard error, each packet's MAC.
    const std::tuple<QStringList, int, std::string, QByteArray> cases[]{
        {{"1", "4", "2", "4"}, 0, "", "001122334401 001122334404 001122334402"},
        {{"DESK", "ZOË", "--all"}, 0, "", "001122334402 001122334404 001122334401 001122334403"},
        {{"5", "2", "nas", "Des"}, 1, failures, "001122334402"},
        {{"--mac", " 0011.2233.44aB ", "--host", "127.0.0.1", "--port", port, "--count", "1"}, 0, "", "0011223344ab"}};
    qsizetype seen = 0;
    for (const auto &[args, status, err, expected] : cases) {
        EXPECT_EQ(run(args), std::tuple(status, "", err)) << args.join(' ').toStdString();
        const auto got = target.rx().receive(int(seen + expected.count(' ') + 2), QuietMs).mid(seen);
        seen += got.size();
        QByteArrayList macs;
        for (const auto &d : got)
            macs << d.data.right(6).toHex();
        EXPECT_EQ(macs.join(' '), expected) << args.join(' ').toStdString();
    }
}

TEST(WakeTool, WrongUsagePrintsUsageWithStatusTwo)
{
    const QStringList wrong[] = {{},         {"0"},          {"6"},           {"12"},          {"--dir"}, {"--bogus"},
                                 {"1", "7"}, {"--mac", "x"}, {"--host", "h"}, {"--list", "1"}, {"--mac"}};
    for (const QStringList &args : wrong) {
        const auto [status, out, err] = run(args);
        EXPECT_TRUE(status == 2 && out.empty() && err.find("使い方: orvane-wake N\n") != std::string::npos)
            << args.join(' ').toStdString() << ": " << status << err;
    }
    EXPECT_EQ(run({"--version"}), std::tuple(0, "orvane-wake 1.0.0\n", ""));
}

// Exit status 0 says that packets went out: a count of 0 sends nothing, which is a failure here.
TEST(WakeTool, ACountOfZeroSendsNothingAndSaysSo)
{
    EXPECT_EQ(
        run({"--mac", "00:11:22:33:44:55", "--host", "127.0.0.1", "--count", "0"}),
        refused("指定したPCへは何も送信しませんでした！\nマジックパケット送信回数が「0」です。1 以上にしてください。"));
}

// Text from the arguments or System.ini never reaches the terminal raw.
TEST(WakeTool, ControlCharactersArePrintedEscaped)
{
    TempCwd cwd;
    SettingsGrid g = grid({{0, 0, "9\x1b[2J"}, {0, 1, "3"}});
    setPc(g, 1, "Tab\there", QStringLiteral("pc\x07") + QChar(0x9B), ServerMac);
    // Characters that reorder or hide the line; U+2010 just beside them is printed.
    setPc(g, 2, QString::fromUtf16(u"a\u202Eb\u2028\u200B\uFEFF\u061C\u2069\u2066\u2060\u2010"), {});
    ASSERT_TRUE(writeSettingsFile("System.ini", g));
    EXPECT_EQ(std::get<1>(run({"--list"})),
              "9\\x1B[2J\n3\n1\tTab\\x09here\tpc\\x07\\xC2\\x9B\t00:11:22:33:44:55\t\t\t\t毎日\n"
              "2\ta\\xE2\\x80\\xAEb\\xE2\\x80\\xA8\\xE2\\x80\\x8B\\xEF\\xBB\\xBF\\xD8\\x9C"
              "\\xE2\\x81\\xA9\\xE2\\x81\\xA6\\xE2\\x81\\xA0\u2010\t\t:::::\t\t\t\t毎日\n3\t\t\t:::::\t\t\t\t毎日\n"
              "4\t\t\t:::::\t\t\t\t毎日\n5\t\t\t:::::\t\t\t\t毎日\n");
    EXPECT_EQ(std::get<2>(run({"--mac", "x", "--host", "h", "--bogus\r\x1b]0;t\x07"}))
                  .rfind("orvane-wake: 不明な引数です: --bogus\\x0D\\x1B]0;t\\x07\n", 0),
              0u);
}

// Where the locale names English, every text is English: the usage, its errors, the settings'
// columns, Orvane.ini's problems and a refusal built around a PC's name.
TEST(WakeTool, SpeaksEnglishWhereTheLocaleDoes)
{
    TempCwd cwd;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("LC_ALL");
    env.insert("LANG", "en_US.UTF-8");
    SettingsGrid g = grid({{0, 0, "9"}, {0, 1, "many"}});
    setPc(g, 1, "Server", "127.0.0.1", ServerMac, "1", "07:30:00");
    ASSERT_TRUE(writeSettingsFile("System.ini", g));
    writeAll("Orvane.ini", "[PC1]\nholidays = skip\nbogus = 1\n");
    const auto english = [&env](const QStringList &args) {
        const auto result = run(args, env);
        const std::string all = std::get<1>(result) + std::get<2>(result);
        EXPECT_TRUE(std::all_of(all.begin(), all.end(), [](char c) { return c > 0; })) << all;
        return result;
    };
    const auto [status, help, none] = english({"--help"});
    EXPECT_TRUE(status == 0 && help.rfind("Usage: orvane-wake N\n", 0) == 0 &&
                help.find("\nExit status: 0 sent") != std::string::npos && none.empty())
        << help;
    EXPECT_EQ(std::get<2>(english({"--bogus"})).substr(0, 60),
              "orvane-wake: Unknown argument: --bogus\nUsage: orvane-wake N\n");
    const std::string problems =
        "Orvane.ini, line 3: \"bogus\" is no key that Orvane knows\nThese lines are left out.\n";
    EXPECT_EQ(english({"--list"}),
              std::tuple(0,
                         "9\nmany\n1\tServer\t127.0.0.1\t00:11:22:33:44:55\t1\t07:30:00\t\tevery day, off on holidays\n"
                         "2\t\t\t:::::\t\t\t\tevery day\n3\t\t\t:::::\t\t\t\tevery day\n"
                         "4\t\t\t:::::\t\t\t\tevery day\n5\t\t\t:::::\t\t\t\tevery day\n",
                         problems));
    EXPECT_EQ(english({"1"}),
              std::tuple(1, "",
                         problems + "The magic packet send count \"many\" of PC1 \"Server\" is not valid!\n"
                                    "Set the send count as a whole number up to 32767.\n"));
}
