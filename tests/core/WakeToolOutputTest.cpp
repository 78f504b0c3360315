// What orvane-wake tells the terminal: exit status 0 only when packets went out, and text from the
// arguments or System.ini never raw.

#include "core/SettingsFile.h"
#include "support/SettingsData.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QProcess>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

struct ToolRun {
    int exitCode = -1;
    QByteArray out, err;
};

ToolRun wakeTool(const QStringList &args)
{
    QProcess p;
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../tools/orvane-wake"), args);
    ToolRun r;
    if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit)
        r = {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
    return r;
}

} // namespace

// The same answer for a count of 0 stored in System.ini: both go the same way.
TEST(WakeToolOutput, ACountOfZeroSendsNothingAndSaysSo)
{
    const ToolRun r = wakeTool({"--mac", "00:11:22:33:44:55", "--host", "127.0.0.1", "--count", "0"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err,
              "指定したPCへは何も送信しませんでした！\nマジックパケット送信回数が「0」です。1 以上にしてください。\n");
}

TEST(WakeToolOutput, ControlCharactersArePrintedEscaped)
{
    TempCwd cwd;
    SettingsGrid g = grid({{0, 0, "9\x1b[2J"}, {0, 1, "3"}});
    setPc(g, 1, "Tab\there", QStringLiteral("pc\x07") + QChar(0x9B), ServerMac);
    ASSERT_TRUE(writeSettingsFile("System.ini", g));
    EXPECT_EQ(wakeTool({"--list"}).out, "9\\x1B[2J\n3\n1\tTab\\x09here\tpc\\x07\\xC2\\x9B\t00:11:22:33:44:55\t\t\n"
                                        "2\t\t\t:::::\t\t\n3\t\t\t:::::\t\t\n4\t\t\t:::::\t\t\n5\t\t\t:::::\t\t\n");
    EXPECT_TRUE(wakeTool({"--mac", "x", "--host", "h", "--bogus\r\x1b]0;t\x07"})
                    .err.startsWith("orvane-wake: 不明な引数です: --bogus\\x0D\\x1B]0;t\\x07\n"));
}
