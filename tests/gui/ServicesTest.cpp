// The common services object, QzCmn14, through the recording desktop and a clock that stands still,
// and this system's desktop adapters it uses: the message box, its sounds, the help viewer, the shell
// and Qt's own texts.
#include "app/Main.h"
#include "core/record/Language.h"
#include "platform/QzCmn14.h"
#include "platform/linux/HelpViewer.h"
#include "platform/linux/LinuxDesktop.h"
#include "platform/linux/LinuxSound.h"
#include "support/FakeClock.h"
#include "support/FakeDesktop.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QTranslator>

#include <atomic>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <thread>

using namespace orvane;
using namespace orvane::test;

namespace {

TEST(Services, MessageBoxKindsBeepShowAndAnswer)
{
    const QString text = QStringLiteral("一行目\r\n二行目");
    const std::tuple<QString, int, int, QString, int> rows[] = {
        {"err", 48, 16, "Error", 1}, {"chk", 32, 32, "確認", 1}, {"info", 64, 64, "情報", 1},
        {"okc", 32, 33, "確認", 2},  {"yn", 32, 36, "確認", 7},  {"ync", 32, 35, "確認", 6},
        {"rc", 32, 37, "再試行", 4}, {"ERR", 0, 0, "", 0},       {"err ", 0, 0, "", 0}};
    for (const auto &[kind, beep, style, title, answer] : rows) {
        FakeDesktop fake;
        fake.boxAnswers = {answer};
        EXPECT_EQ(QzCmn14().Msg_Box(kind, text), answer) << kind.toStdString();
        EXPECT_EQ(fake.beeps, beep ? QList<int>{beep} : QList<int>()) << kind.toStdString();
        EXPECT_EQ(fake.boxes,
                  (beep ? QList<FakeDesktop::Box>{{text, title, style, {}, 0}} : QList<FakeDesktop::Box>()));
    }
}

TEST(Services, AFailedConversionShowsItsReportWhateverClosesTheBoxAndGivesTheEmptyResult)
{
    for (const auto &[call, report] : std::initializer_list<std::pair<std::function<QVariant(QzCmn14 &)>, QString>>{
             {[](QzCmn14 &c) { return c.LongTo16bit(65536); },
              "変換するデータが異常です！\r\nLongTo16bit\r\nValue =  65536"},
             {[](QzCmn14 &c) { return c.LongToInt(70000); }, "数値が異常です！\r\nLongToInt\r\nValue =  70000"},
             {[](QzCmn14 &c) { return c.HexToInt(*std::make_unique<QString>("xyz")); },
              "数値が異常です！\r\nHexToInt\r\nValue = \"XYZ\""},
             {[](QzCmn14 &c) { return c.HexToLong(*std::make_unique<QString>()); },
              "数値が異常です！\r\nHexToLong\r\nValue = \"\""}}) {
        FakeDesktop fake;
        fake.boxAnswers = {2};
        QzCmn14 c;
        EXPECT_FALSE(call(c).toBool()) << "\"\" or 0";
        expectErrorBox(fake, report);
    }
}

TEST(Services, ByteLengthTheUnexpectedErrorAndFileCopy)
{
    FakeDesktop fake;
    QzCmn14 c;
    EXPECT_EQ((QList<qint32>{c.LenByte("abc"), c.LenByte("あいう"), c.LenByte("ｱ"), c.LenByte("😀")}),
              (QList<qint32>{3, 6, 1, 2}));
    raisePendingError(13, QStringLiteral("型が一致しません。"), QStringLiteral("/opt/vb.chm"), 1013);
    c.Err_Msg(QStringLiteral("PC_start_Click"));
    EXPECT_EQ(fake.boxes,
              (QList<FakeDesktop::Box>{{"エラー番号 13 型が一致しません。\r\n\r\nプロシージャ名 = [PC_start_Click]",
                                        "予期せぬエラー", 0x1010, "/opt/vb.chm", 1013}}));
    EXPECT_EQ(fake.beeps, QList<int>{16});
    EXPECT_EQ(pendingError().number, 0) << "the error is cleared";

    TempCwd cwd;
    writeAll("a.txt", "kept");
    EXPECT_EQ(c.FileCopy("a.txt", "b.txt"), 1);
    EXPECT_EQ(c.FileCopy("a.txt", "./a.txt"), 0) << "a copy onto itself would empty it";
    EXPECT_EQ(readAll("a.txt") + readAll("b.txt"), "keptkept");
}

// The reader's buffer and its answer for nothing are IniRead's own; the profile rules are the core's.
TEST(Services, IniReadCutsToItsBufferDropsTrailingBlanksAndSaysErrorForNothing)
{
    TempCwd cwd;
    QzCmn14 c;
    writeAll("t.ini", "[Net]\r\nEmpty=\r\nQuoted=\"  inner  \"\r\nascii=" + QByteArray(300, 'a') + "\r\n");
    ASSERT_TRUE(c.IniWrite("New", "Key", "v", "t.ini"));
    const std::array<QString, 4> cases[] = {
        {"Net", "Quoted", "t.ini", "  inner"}, {"Net", "ascii", "t.ini", QString(254, u'a')},
        {"new", "KEY", "t.ini", "v"},          {"Net", "Empty", "t.ini", "error"},
        {"Net", "Missing", "t.ini", "error"},  {"Net", "Quoted", "no-such.ini", "error"}};
    for (const auto &[section, key, file, value] : cases)
        EXPECT_EQ(c.IniRead(section, key, file), value) << key.toStdString() << " in " << file.toStdString();
}

TEST(Services, GetTimeRoundsTheClockHalfwayToEven)
{
    FakeClock clock;
    const std::pair<double, QString> rows[] = {
        {32825.4, "09:07:05"}, {32825.6, "09:07:06"}, {100.5, "00:01:40"}, {101.5, "00:01:42"}, {86399.7, "24:00:00"}};
    for (const auto &[seconds, text] : rows) {
        clock.set(seconds);
        EXPECT_EQ(QzCmn14().GetTime(), text) << seconds;
    }
}

// The fake clock moves only from a timer, so a wait ends only when it lets pending events run.
TEST(Services, WaitRunsPendingEventsUntilItsSecondsFromTheRoundedStartArePast)
{
    FakeClock clock;
    QzCmn14 c;
    QStringList during;
    QTimer tick;
    tick.callOnTimeout([&] {
        during << c.WaitStartTime + c.WaitFinishTime;
        clock.advance(0.25);
    });
    // Start, seconds, then the start and finish texts.
    const std::tuple<double, float, QString, QString> rows[] = {{100.4, 1, "00:01:40", "00:01:41"},
                                                                {100.6, 1, "00:01:41", "00:01:42"},
                                                                {36000.2, 2, "10:00:00", "10:00:02"},
                                                                {100.6, -0.5, "00:01:41", "00:01:40"}};
    for (const auto &[start, seconds, begun, finished] : rows) {
        clock.set(start);
        tick.start(0);
        c.Wait(seconds);
        tick.stop();
        EXPECT_EQ(c.WaitStartTime + ' ' + c.WaitFinishTime, begun + ' ' + finished) << start << " + " << seconds;
    }
    EXPECT_EQ(during, QStringList(during.size(), QString())) << "both texts are empty while it waits";
    EXPECT_GT(during.size(), 15);
}

TEST(Services, SearchPathFindsANameInItsFolderOrAThreeCharacterOneHere)
{
    TempCwd cwd;
    QzCmn14 c;
    ASSERT_TRUE(QDir().mkdir("sub") && QDir().mkdir("ab"));
    writeAll("sub/a.b.txt", "");
    const std::pair<QString, bool> rows[] = {{"sub", true},         {"xyz", false},
                                             {"s?b", true},         {"ab/", true},
                                             {"sub/a.b.txt", true}, {cwd.file("sub/a.b.txt"), true},
                                             {"sub/a.txt", false},  {"ab/a.b.txt", false},
                                             {"no/a.b.txt", false}, {"sub/", false}};
    for (const auto &[path, found] : rows)
        EXPECT_EQ(c.Search_path(path), found) << path.toStdString();
    EXPECT_EQ(pendingError().number, 0);
    EXPECT_FALSE(c.Search_path("a.b.txt")) << "no folder and not three characters";
    EXPECT_EQ(std::exchange(pendingError(), {}).number, 5);
}

// What the desktop's choosers are asked, and what the user's choice or cancel gives back.
TEST(Services, FolderOpenAndSaveDialogsGiveTheChosenPathOrNothing)
{
    FakeDesktop fake;
    QzCmn14 c;
    // A path of 2,048 bytes no longer fits the buffer with its NUL.
    const std::pair<QString, QString> folders[] = {
        {"/home/u/写真", "/home/u/写真"}, {"", ""}, {"/" + QString(2047, u'x'), ""}};
    for (const auto &[answer, result] : folders) {
        fake.folderAnswer = answer;
        EXPECT_EQ(c.FolderDialog(7), result) << answer.size();
    }
    EXPECT_EQ(fake.folderCalls, (QList<std::pair<qint32, QString>>(3, {7, "フォルダの選択"})));

    const QString filter = QStringLiteral("設定|*.ini||").replace(u'|', QChar());
    fake.fileAnswer = "/データ/報告.txt";
    EXPECT_EQ(c.OpenDialog(7, filter, "/data"), fake.fileAnswer);
    EXPECT_EQ(c.OpenFileLen, 6);
    fake.fileAnswer = "/data/new.ini";
    EXPECT_EQ(c.SaveDialog(8, filter, "/etc", "orvane.ini  "), fake.fileAnswer);
    EXPECT_EQ(c.OpenFileLen, 6) << "a save leaves it";
    fake.fileAnswer.clear();
    EXPECT_EQ(c.SaveDialog(8, filter, "/etc", QString(300, u'n')), QString());
    EXPECT_EQ(c.OpenDialog(7, filter, "/data"), QString());
    EXPECT_EQ(c.OpenFileLen, 0);
    using Asked = std::tuple<qint32, QString, QString, QString, QString, bool, quint32>;
    QList<Asked> asked;
    for (const FileDialogRequest &r : fake.fileCalls)
        asked.append({r.owner, r.title, r.filter, r.initialDir, r.proposedName, r.save, r.flags});
    const Asked open{7, "ファイルを開く", filter, "/data", {}, false, 0x1804};
    EXPECT_EQ(asked, (QList<Asked>{open,
                                   {8, "ファイルを保存する", filter, "/etc", "orvane.ini", true, 0x806},
                                   {8, "ファイルを保存する", filter, "/etc", QString(250, u'n'), true, 0x806},
                                   open}));
}

// The services that hand their arguments on: each must hand on the right ones.
TEST(Services, ShellHelpSoundBeepFoldersAndConversionsPassTheirArgumentsOn)
{
    FakeDesktop fake;
    QzCmn14 c;
    fake.shellAnswer = true;
    EXPECT_TRUE(c.Shell_Excute(7, "a.pdf"));
    fake.shellAnswer = false;
    EXPECT_FALSE(c.Shell_Excute(7, "a.xyz"));
    EXPECT_EQ(fake.opened, (QStringList{"a.pdf", "a.xyz"}));
    expectErrorBox(fake, "a.xyzが見つからないか、拡張子に\r関連付けられたアプリケーションが有りません！");
    EXPECT_TRUE(c.HtmlHelp_open(3, "h.chm", 14.6f, 2.5f));
    EXPECT_EQ(fake.helpCalls, (QList<FakeDesktop::Help>{{3, "h.chm", 15, 2}})) << "nearest, halves to the even one";
    c.MsgBeep(16);
    c.PlayWaveSound("64");
    EXPECT_EQ(fake.beeps, (QList<int>{48, 16}));
    EXPECT_EQ(fake.sounds, QStringList{"64"});
    for (const QString &folder : {c.WinDir(), c.SysDir()})
        EXPECT_TRUE(QFileInfo(folder).isDir() && !folder.endsWith('/')) << folder.toStdString();
    EXPECT_EQ(c.IntToHex(256) + c.IntToHex(-1) + c.LongToHex(70000), "0100FFFF11170");
    EXPECT_EQ(c.IntToLong(-1), 65535);
}

TEST(Services, FileCopyGivesTheSourcesPermissionsAndTimeToTheCopyNotToWhatTakesItsNameAfterwards)
{
    // Another program puts a link to a file of ours in the copy's place the moment the copy appears
    // there; the source's permissions and time must not reach that file.
    QzCmn14 c;
    TempCwd cwd;
    writeAll("a.txt", "new");
    writeAll("victim", "mine");
    const timespec source[2] = {{0, UTIME_OMIT}, {1000000000, 0}}, kept[2] = {{0, UTIME_OMIT}, {2000000000, 0}};
    ASSERT_EQ(::chmod("a.txt", 0666) | ::chmod("victim", 0600) | ::utimensat(AT_FDCWD, "a.txt", source, 0) |
                  ::utimensat(AT_FDCWD, "victim", kept, 0),
              0);
    const int watch = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    ASSERT_GE(::inotify_add_watch(watch, ".", IN_MOVED_TO), 0);
    std::atomic<int> swaps{0};
    std::atomic<bool> done{false};
    std::thread swapper([&] {
        alignas(inotify_event) char events[4096];
        pollfd p{watch, POLLIN, 0};
        while (!done) {
            if (::poll(&p, 1, 50) > 0 && ::read(watch, events, sizeof events) > 0 && ::rename("link", "b.txt") == 0) {
                // The swap's own event is no copy of the program's.
                while (::read(watch, events, sizeof events) > 0) {
                }
                ++swaps;
            }
        }
    });
    bool copied = true;
    for (int i = 0; i < 100 && copied; ++i) {
        ::unlink("b.txt");
        copied = ::symlink("victim", "link") == 0 && c.FileCopy("a.txt", "b.txt") == 1 &&
                 QTest::qWaitFor([&] { return swaps == i + 1; }, 5000);
    }
    done = true;
    swapper.join();
    ::close(watch);
    EXPECT_TRUE(copied);
    struct stat after {};
    ASSERT_EQ(::stat("victim", &after), 0);
    EXPECT_EQ(std::tuple(after.st_mode & 07777, after.st_mtim.tv_sec, readAll("victim")),
              std::tuple(0600u, 2000000000L, QByteArray("mine")));
}

TEST(LinuxDesktop, ShellOpenHandsTheFileToXdgOpenNeverAsAnOption)
{
    TempCwd cwd;
    writeAll("xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > opened\n");
    QFile::setPermissions("xdg-open", QFile::ReadOwner | QFile::ExeOwner);
    EnvGuard path("PATH", cwd.path().toUtf8() + ":/usr/bin:/bin");
    EXPECT_TRUE(LinuxDesktop().shellOpen(0, QStringLiteral("-rf.txt")));
    EXPECT_EQ(readAll("opened"), "./-rf.txt");
}

TEST(LinuxDesktop, MessageBoxesShowTheStylesIconAndButtonsAndAnswerWithTheirNumbers)
{
    using B = QMessageBox;
    const std::tuple<int, QList<int>, int, B::Icon, QList<B::StandardButton>> cases[] = {
        {16, {Qt::Key_Return}, 1, B::Critical, {B::Ok}},
        {64, {Qt::Key_Escape}, 1, B::Information, {B::Ok}},
        {33, {Qt::Key_Escape}, 2, B::Question, {B::Ok, B::Cancel}},
        {36, {B::Yes}, 6, B::Question, {B::Yes, B::No}},
        {36, {Qt::Key_Escape}, 7, B::Question, {B::Yes, B::No}},
        {36 | 0x100, {Qt::Key_Return}, 7, B::Question, {B::Yes, B::No}},
        {35, {B::No}, 7, B::Question, {B::Yes, B::No, B::Cancel}},
        {35, {Qt::Key_Escape}, 2, B::Question, {B::Yes, B::No, B::Cancel}},
        {37, {B::Retry}, 4, B::Question, {B::Retry, B::Cancel}},
        {37, {Qt::Key_Escape}, 2, B::Question, {B::Retry, B::Cancel}},
        {0x1010, {Qt::Key_F1, Qt::Key_Return}, 1, B::Critical, {B::Ok}}};
    FakeDesktop fake; // catches the help that F1 opens
    LinuxDesktop desktop;
    for (const auto &[style, keys, answer, icon, buttons] : cases) {
        QTimer poll; // answers the box as a user does, once it is the active window
        QList<B::StandardButton> offered;
        poll.callOnTimeout([&, keys = keys] {
            auto *box = qobject_cast<B *>(QApplication::activeModalWidget());
            if (!box || !offered.isEmpty())
                return;
            if (!box->isActiveWindow())
                return box->activateWindow();
            for (QAbstractButton *b : box->buttons())
                offered.append(box->standardButton(b));
            EXPECT_EQ(std::tuple(box->windowTitle(), box->text(), box->textFormat(), box->icon(),
                                 box->windowFlags().testFlag(Qt::WindowStaysOnTopHint)),
                      std::tuple(QStringLiteral("題"), QStringLiteral("<b>PC1</b>\n二行目\n三行目"), Qt::PlainText,
                                 icon, style == 0x1010));
            for (int key : keys) // a button's value clicks it, a key's value presses the key
                box->button(B::StandardButton(key)) ? box->button(B::StandardButton(key))->click()
                                                    : QTest::keyClick(box, Qt::Key(key));
        });
        poll.start(10);
        EXPECT_EQ(desktop.messageBoxWithHelp(QStringLiteral("<b>PC1</b>\r\n二行目\r三行目"), QStringLiteral("題"),
                                             style, QStringLiteral("/opt/errors.chm"), 1013),
                  answer)
            << style;
        std::sort(offered.begin(), offered.end());
        EXPECT_EQ(offered, buttons) << style;
    }
    EXPECT_EQ(fake.helpCalls, (QList<FakeDesktop::Help>{{0, "/opt/errors.chm", 15, 1013}}));
}

TEST(LinuxDesktop, SoundsAreTheFreedesktopThemesDialogSoundsOrAFileThenTheBell)
{
    using A = linuxsound::Attempt;
    auto theme = [](const char *name) { return A{A::ThemeSound, QString::fromUtf8(name)}; };
    const A bell = theme("bell");
    EXPECT_EQ((QList<QList<A>>{linuxsound::beepAttempts(16), linuxsound::beepAttempts(32), linuxsound::beepAttempts(48),
                               linuxsound::beepAttempts(64), linuxsound::beepAttempts(0)}),
              (QList<QList<A>>{{theme("dialog-error"), bell},
                               {theme("dialog-question"), theme("window-question"), bell},
                               {theme("dialog-warning"), bell},
                               {theme("dialog-information"), bell},
                               {bell}}));
    EXPECT_EQ((QList<QList<A>>{linuxsound::playAttempts("64"), linuxsound::playAttempts("systemhand"),
                               linuxsound::playAttempts("/bin/sh")}),
              (QList<QList<A>>{{theme("64"), bell}, {theme("dialog-error"), bell}, {{A::File, "/bin/sh"}, bell}}));
}

TEST(LinuxDesktop, HelpOpensTheBuiltCollectionOfTheLanguageAtTheContentsOrTheTopicOfAContext)
{
    struct BackToJapanese {
        ~BackToJapanese() { setUiLanguage(SourceLanguage); }
    } restore;
    LinuxDesktop desktop;
    const QString built = QStringLiteral(ORVANE_TEST_HELP_FILE);
    for (const auto &[language, space, title] :
         {std::tuple{"ja", "org.orvane.help", "Orvane の概要"}, {"en", "org.orvane.help.en", "Orvane overview"}}) {
        setUiLanguage(language);
        const qint32 handle = desktop.htmlHelp(0, built, 1, 0);
        ASSERT_NE(handle, 0) << language;
        for (const auto &[command, context, page] :
             {std::tuple{1, 0, "index.html"}, {15, 1, "main.html"}, {15, 2, "settings.html"}, {15, 99, "index.html"}}) {
            EXPECT_EQ(desktop.htmlHelp(0, built, command, context), handle);
            EXPECT_EQ(HelpViewer::current()->page()->source().toString(),
                      QStringLiteral("qthelp://%1/doc/%2").arg(QLatin1String(space), QLatin1String(page)))
                << language << context;
        }
        EXPECT_EQ(HelpViewer::current()->page()->documentTitle(), QString::fromUtf8(title));
    }
    // Still in English: without an English collection beside it, the Japanese one.
    QTemporaryDir dir;
    const QString japanese = dir.filePath(QStringLiteral("Orvane.qhc"));
    ASSERT_TRUE(QFile::copy(QFileInfo(built).dir().filePath(QStringLiteral("Orvane.qhc")), japanese));
    EXPECT_EQ(helpCollectionFor(dir.filePath(QStringLiteral("Orvane.chm"))), japanese);
    EXPECT_EQ(desktop.htmlHelp(0, QStringLiteral("/nonexistent/Orvane.chm"), 1, 0), 0);
    HelpViewer::current()->close();
}

TEST(QtTranslations, QtsOwnButtonsFollowTheUsersLanguage)
{
    for (const auto &[language, buttons] : {std::pair{"ja", "はい(&Y)いいえ(&N)"}, {"en", "&Yes&No"}}) {
        setUiLanguage(language);
        const QList<QTranslator *> translators = installQtTranslations();
        if (std::string(language) == "ja") {
            ASSERT_EQ(translators.size(), 1) << "Qt's Japanese translations (qt6-translations-l10n) are missing";
        }
        QMessageBox box;
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(box.button(QMessageBox::Yes)->text() + box.button(QMessageBox::No)->text(),
                  QString::fromUtf8(buttons));
        qDeleteAll(translators);
    }
    setUiLanguage(SourceLanguage);
}

} // namespace
