#include "common/QzCmn14.h"

#include "support/FakeDesktop.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

QString utf8(const char *text)
{
    return QString::fromUtf8(text);
}

} // namespace

TEST(CommonServices, PropertiesAfterCreation)
{
    const QzCmn14 c;
    EXPECT_EQ(c.AppVersion, QStringLiteral("1.00")) << "version 1.0.0: minor and revision run together";
    EXPECT_EQ(c.KindErr, QStringLiteral("err"));
    EXPECT_EQ(c.KindChk, QStringLiteral("chk"));
    EXPECT_EQ(c.KindInfo, QStringLiteral("info"));
    EXPECT_EQ(c.KindOkc, QStringLiteral("okc"));
    EXPECT_EQ(c.KindYnc, QStringLiteral("ync"));
    EXPECT_EQ(c.KindYn, QStringLiteral("yn"));
    EXPECT_EQ(c.KindRc, QStringLiteral("rc"));
    EXPECT_TRUE(c.WaitStartTime.isEmpty());
    EXPECT_TRUE(c.WaitFinishTime.isEmpty());
    EXPECT_EQ(c.MB_Syserr, QVariant::fromValue<qint32>(16));
    EXPECT_EQ(c.MB_Question, QVariant::fromValue<qint32>(32));
    EXPECT_EQ(c.MB_Warning, QVariant::fromValue<qint32>(48));
    EXPECT_EQ(c.MB_Info, QVariant::fromValue<qint32>(64));
    EXPECT_EQ(c.MB_Info.toString(), QStringLiteral("64")) << "the wake command plays its decimal text";
    EXPECT_EQ(c.OSPlatformID, QStringLiteral(" 4"));
    EXPECT_TRUE(c.OSVerID.startsWith(QLatin1Char(' '))) << c.OSVerID.toStdString();
    EXPECT_EQ(c.ExwLogOff, 0);
    EXPECT_EQ(c.ExwShutdown, 1);
    EXPECT_EQ(c.ExwReboot, 2);
    EXPECT_EQ(c.OpenFileLen, 0);
    EXPECT_EQ(c.WM_MOUSEMOVE, 512);
    EXPECT_EQ(c.WM_LBUTTONDOWN, 513);
    EXPECT_EQ(c.WM_LBUTTONUP, 514);
    EXPECT_EQ(c.WM_LBUTTONDBLCLK, 515);
    EXPECT_EQ(c.WM_RBUTTONDOWN, 516);
    EXPECT_EQ(c.WM_RBUTTONUP, 517);
    EXPECT_EQ(c.WM_RBUTTONDBLCLK, 518);
    EXPECT_EQ(c.HH_DISPLAY_TREE, 1.0F);
    EXPECT_EQ(c.HH_DISPLAY_INDEX, 2.0F);
    EXPECT_EQ(c.HH_DISPLAY_CONTEXT, 15.0F);
}

TEST(CommonServices, MessageBoxKinds)
{
    struct Row {
        const char *kind;
        int beep;
        int style;
        const char *title;
        int answer; // what the user presses
    };
    const Row rows[] = {
        {"err", 48, 16, "Error", 1}, {"chk", 32, 32, "確認", 1},  {"info", 64, 64, "情報", 1},
        {"okc", 32, 33, "確認", 2},  {"yn", 32, 36, "確認", 7},   {"ync", 32, 35, "確認", 2},
        {"rc", 32, 37, "再試行", 4}, {"rc", 32, 37, "再試行", 2}, {"ync", 32, 35, "確認", 6},
    };
    for (const Row &row : rows) {
        FakeDesktop fake;
        fake.boxAnswers = {row.answer};
        QzCmn14 c;
        const QString prompt = utf8("一行目\r\n二行目 ") + QLatin1String(row.kind);
        EXPECT_EQ(c.Msg_Box(QLatin1String(row.kind), prompt), row.answer) << row.kind;
        EXPECT_EQ(fake.beeps, QList<int>{row.beep}) << row.kind;
        ASSERT_EQ(fake.boxes.size(), 1) << row.kind;
        EXPECT_EQ(fake.boxes[0].text, prompt);
        EXPECT_EQ(fake.boxes[0].title, utf8(row.title)) << row.kind;
        EXPECT_EQ(fake.boxes[0].style, row.style) << row.kind;
        EXPECT_TRUE(fake.boxes[0].helpFile.isEmpty());
    }
}

TEST(CommonServices, UnknownKindShowsNothing)
{
    FakeDesktop fake;
    QzCmn14 c;
    for (const char *kind : {"ERR", "Err", "", " err", "err ", "error", "ok", "YN", "\terr", "ｅｒｒ"})
        EXPECT_EQ(c.Msg_Box(utf8(kind), QStringLiteral("text")), 0) << kind;
    EXPECT_EQ(c.Msg_Box(QString(), QString()), 0);
    EXPECT_TRUE(fake.boxes.isEmpty());
    EXPECT_TRUE(fake.beeps.isEmpty());
}

TEST(CommonServices, MsgBeepPassesTheSoundAndReturnsEmpty)
{
    FakeDesktop fake;
    QzCmn14 c;
    EXPECT_FALSE(c.MsgBeep(16).isValid());
    c.MsgBeep(c.MB_Info.toInt());
    c.MsgBeep(-1);
    EXPECT_EQ(fake.beeps, (QList<int>{16, 64, -1}));
    EXPECT_TRUE(fake.boxes.isEmpty());
}

TEST(CommonServices, ErrMsgReportsAndClearsThePendingError)
{
    FakeDesktop fake;
    QzCmn14 c;
    raisePendingError(13, utf8("型が一致しません。"), QStringLiteral("/opt/help/errors.chm"), 1013);
    c.Err_Msg(QStringLiteral("PC_start_Click"));

    EXPECT_EQ(fake.beeps, QList<int>{16});
    ASSERT_EQ(fake.boxes.size(), 1);
    EXPECT_EQ(fake.boxes[0].text, utf8("エラー番号 13 型が一致しません。\r\n\r\nプロシージャ名 = [PC_start_Click]"));
    EXPECT_EQ(fake.boxes[0].style, 4112);
    EXPECT_EQ(fake.boxes[0].title, utf8("予期せぬエラー"));
    EXPECT_EQ(fake.boxes[0].helpFile, QStringLiteral("/opt/help/errors.chm"));
    EXPECT_EQ(fake.boxes[0].helpContext, 1013);

    EXPECT_EQ(pendingError().number, 0);
    EXPECT_TRUE(pendingError().description.isEmpty());
    EXPECT_TRUE(pendingError().helpFile.isEmpty());
    EXPECT_EQ(pendingError().helpContext, 0);

    // A second report finds nothing pending and says so.
    c.Err_Msg(QString());
    ASSERT_EQ(fake.boxes.size(), 2);
    EXPECT_EQ(fake.boxes[1].text, utf8("エラー番号 0 \r\n\r\nプロシージャ名 = []"));
    EXPECT_TRUE(fake.boxes[1].helpFile.isEmpty());
}

TEST(CommonServices, ErrMsgKeepsAnErrorRaisedWhileItsBoxIsUp)
{
    // A desktop whose first box lets a timer handler fail while it is shown.
    struct BusyDesktop : FakeDesktop {
        int messageBoxWithHelp(const QString &text, const QString &title, int style, const QString &helpFile,
                               qint32 helpContext) override
        {
            if (!boxes.isEmpty())
                return FakeDesktop::messageBoxWithHelp(text, title, style, helpFile, helpContext);
            raisePendingError(5, QString::fromUtf8("プロシージャの呼び出し、または引数が不正です。"));
            return FakeDesktop::messageBoxWithHelp(text, title, style, helpFile, helpContext);
        }
    } fake;
    QzCmn14 c;
    raisePendingError(13, utf8("型が一致しません。"));
    c.Err_Msg(QStringLiteral("Timer1_Timer"));
    ASSERT_EQ(fake.boxes.size(), 1);
    EXPECT_TRUE(fake.boxes[0].text.startsWith(utf8("エラー番号 13 ")));
    EXPECT_EQ(pendingError().number, 5) << "the later error is still there to be reported";
    c.Err_Msg(QStringLiteral("Timer1_Timer"));
    ASSERT_EQ(fake.boxes.size(), 2);
    EXPECT_TRUE(fake.boxes[1].text.startsWith(utf8("エラー番号 5 ")));
    EXPECT_EQ(pendingError().number, 0);
}

TEST(CommonServices, ErrMsgWritesNegativeNumbersWithTheirSign)
{
    FakeDesktop fake;
    QzCmn14 c;
    raisePendingError(-2147467259, QStringLiteral("Automation error"));
    c.Err_Msg(QStringLiteral("Form_Load"));
    ASSERT_EQ(fake.boxes.size(), 1);
    EXPECT_EQ(fake.boxes[0].text, utf8("エラー番号-2147467259 Automation error\r\n\r\nプロシージャ名 = [Form_Load]"));
}

TEST(CommonServices, LenByteCountsCodePage932Bytes)
{
    QzCmn14 c;
    EXPECT_EQ(c.LenByte(QString()), 0);
    EXPECT_EQ(c.LenByte(QStringLiteral("abc")), 3);
    EXPECT_EQ(c.LenByte(QString(20, QLatin1Char('x'))), 20);
    EXPECT_EQ(c.LenByte(utf8("あいう")), 6);
    EXPECT_EQ(c.LenByte(utf8("開発用の高速なサーバ")), 20) << "ten full-width characters";
    EXPECT_EQ(c.LenByte(utf8("ｱ")), 1) << "half-width katakana 0xB1";
    EXPECT_EQ(c.LenByte(utf8("PC１台")), 6);
    EXPECT_EQ(c.LenByte(utf8("€")), 1) << "not in code page 932: counted as the '?' it becomes";
    EXPECT_EQ(c.LenByte(utf8("😀")), 2) << "two UTF-16 units, each a '?'";
    EXPECT_EQ(c.LenByte(utf8("Ä")), 1);
    EXPECT_EQ(c.LenByte(QString(QChar(0xD800))), 1) << "a lone surrogate";
    EXPECT_EQ(c.LenByte(QString(3, QChar(0))), 3);
}

TEST(CommonServices, LenByteRefusesTextsBeyondItsCounter)
{
    FakeDesktop fake;
    QzCmn14 c;
    pendingError() = PendingError{};
    EXPECT_EQ(c.LenByte(QString(32766, QLatin1Char('a'))), 32766);
    EXPECT_EQ(c.LenByte(QString(32766, QChar(0x3042))), 65532);
    EXPECT_EQ(pendingError().number, 0);

    EXPECT_EQ(c.LenByte(QString(32767, QLatin1Char('a'))), 0);
    EXPECT_EQ(pendingError().number, 6);
    EXPECT_EQ(pendingError().description, utf8("オーバーフローしました。"));
    EXPECT_TRUE(fake.boxes.isEmpty()) << "refused, not reported: the caller decides";

    c.Err_Msg(QStringLiteral("SaveSettings"));
    ASSERT_EQ(fake.boxes.size(), 1);
    EXPECT_EQ(fake.boxes[0].text, utf8("エラー番号 6 オーバーフローしました。\r\n\r\nプロシージャ名 = [SaveSettings]"));
    EXPECT_EQ(pendingError().number, 0);

    EXPECT_EQ(c.LenByte(QString(1000000, QChar(0x3042))), 0);
    EXPECT_EQ(pendingError().number, 6);
    pendingError() = PendingError{};
}

TEST(CommonServices, IntToHexIsFourDigits)
{
    FakeDesktop fake;
    QzCmn14 c;
    EXPECT_EQ(c.IntToHex(0), QStringLiteral("0000"));
    EXPECT_EQ(c.IntToHex(5), QStringLiteral("0005"));
    EXPECT_EQ(c.IntToHex(256), QStringLiteral("0100"));
    EXPECT_EQ(c.IntToHex(-32768), QStringLiteral("8000"));
    EXPECT_EQ(c.IntToHex(-1), QStringLiteral("FFFF"));
    EXPECT_TRUE(fake.boxes.isEmpty());
}
