#include "platform/QzCmn14.h"

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
    // Version 1.0.0: minor and revision run together. The wake command plays MB_Info's decimal text.
    const QList<std::pair<QVariant, QVariant>> properties{{c.AppVersion, "1.00"},
                                                          {c.KindErr, "err"},
                                                          {c.KindChk, "chk"},
                                                          {c.KindInfo, "info"},
                                                          {c.KindOkc, "okc"},
                                                          {c.KindYnc, "ync"},
                                                          {c.KindYn, "yn"},
                                                          {c.KindRc, "rc"},
                                                          {c.WaitStartTime, ""},
                                                          {c.WaitFinishTime, ""},
                                                          {c.MB_Syserr, 16},
                                                          {c.MB_Question, 32},
                                                          {c.MB_Warning, 48},
                                                          {c.MB_Info, 64},
                                                          {c.MB_Info.toString(), "64"},
                                                          {c.OSPlatformID, " 4"},
                                                          {c.OSVerID.left(1), " "},
                                                          {c.ExwLogOff, 0},
                                                          {c.ExwShutdown, 1},
                                                          {c.ExwReboot, 2},
                                                          {int(c.OpenFileLen), 0},
                                                          {c.WM_MOUSEMOVE, 512},
                                                          {c.WM_LBUTTONDOWN, 513},
                                                          {c.WM_LBUTTONUP, 514},
                                                          {c.WM_LBUTTONDBLCLK, 515},
                                                          {c.WM_RBUTTONDOWN, 516},
                                                          {c.WM_RBUTTONUP, 517},
                                                          {c.WM_RBUTTONDBLCLK, 518},
                                                          {c.HH_DISPLAY_TREE, 1.0F},
                                                          {c.HH_DISPLAY_INDEX, 2.0F},
                                                          {c.HH_DISPLAY_CONTEXT, 15.0F}};
    for (qsizetype i = 0; i < properties.size(); ++i)
        EXPECT_EQ(properties[i].first, properties[i].second)
            << "property " << i << ": " << properties[i].first.toString().toStdString();
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
    const PendingError &e = pendingError();
    EXPECT_TRUE(e.number == 0 && e.description.isEmpty() && e.helpFile.isEmpty() && e.helpContext == 0);

    // A second report finds nothing pending and says so; a negative number is written with its sign.
    c.Err_Msg(QString());
    raisePendingError(-2147467259, QStringLiteral("Automation error"));
    c.Err_Msg(QStringLiteral("Form_Load"));
    ASSERT_EQ(fake.boxes.size(), 3);
    EXPECT_EQ(fake.boxes[1].text, utf8("エラー番号 0 \r\n\r\nプロシージャ名 = []"));
    EXPECT_TRUE(fake.boxes[1].helpFile.isEmpty());
    EXPECT_EQ(fake.boxes[2].text, utf8("エラー番号-2147467259 Automation error\r\n\r\nプロシージャ名 = [Form_Load]"));
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

TEST(CommonServices, LenByteCountsCodePage932Bytes)
{
    QzCmn14 c;
    // Ten full-width characters are 20; "ｱ" is 0xB1; what code page 932 can't hold counts as the '?' it
    // becomes, one per UTF-16 unit.
    const QList<std::pair<QString, int>> cases{{"", 0},
                                               {"abc", 3},
                                               {QString(20, u'x'), 20},
                                               {"あいう", 6},
                                               {"開発用の高速なサーバ", 20},
                                               {"ｱ", 1},
                                               {"PC１台", 6},
                                               {"€", 1},
                                               {"😀", 2},
                                               {"Ä", 1},
                                               {QString(QChar(0xD800)), 1},
                                               {QString(3, QChar(0)), 3}};
    for (const auto &[text, bytes] : cases)
        EXPECT_EQ(c.LenByte(text), bytes) << text.toStdString();
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
