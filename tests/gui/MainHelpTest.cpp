// The help the main window opens: the collection built with the program, shown by the Linux viewer.
#include "platform/linux/HelpViewer.h"
#include "platform/linux/LinuxDesktop.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QHelpContentModel>
#include <QHelpEngine>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>

using namespace orvane;
using namespace orvane::test;

namespace {

const QString BuiltHelp = QStringLiteral(ORVANE_TEST_HELP_FILE);

QString pageTitle()
{
    return HelpViewer::current()->page()->document()->metaInformation(QTextDocument::DocumentTitle);
}
QString pageFile()
{
    return HelpViewer::current()->page()->source().fileName();
}

TEST(Help, TheBuiltCollectionLiesBesideTheProgramUnderTheHelpFilesName)
{
    const QString collection = helpCollectionFor(BuiltHelp);
    ASSERT_FALSE(collection.isEmpty()) << BuiltHelp.toStdString();
    EXPECT_EQ(QFileInfo(collection).fileName(), QStringLiteral("Orvane.qhc"));
    EXPECT_TRUE(QFileInfo(QFileInfo(collection).dir(), QStringLiteral("Orvane.qch")).isFile());
    EXPECT_EQ(helpCollectionFor(collection), collection) << "a collection may be named directly";
    EXPECT_TRUE(helpCollectionFor(QStringLiteral("/nonexistent/Orvane.chm")).isEmpty());
}

TEST(Help, OpensOnTheContentsTheIndexOrTheTopicOfAContext)
{
    LinuxDesktop desktop;
    const qint32 handle = desktop.htmlHelp(0, BuiltHelp, 1, 0);
    ASSERT_NE(handle, 0);
    HelpViewer *viewer = HelpViewer::current();
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(pageFile(), QStringLiteral("index.html"));
    EXPECT_EQ(pageTitle(), QStringLiteral("Orvane の概要"));
    EXPECT_EQ(viewer->sideTabs()->currentIndex(), 0);

    // Context 1 is the main window, context 2 the settings; one viewer serves them all.
    EXPECT_EQ(desktop.htmlHelp(0, BuiltHelp, 15, 1), handle);
    EXPECT_EQ(pageFile(), QStringLiteral("main.html"));
    EXPECT_EQ(pageTitle(), QStringLiteral("メイン画面とメニュー"));
    EXPECT_TRUE(viewer->page()->toPlainText().contains(QStringLiteral("左-Menu:右-Help")));
    EXPECT_EQ(desktop.htmlHelp(0, BuiltHelp, 15, 2), handle);
    EXPECT_EQ(pageFile(), QStringLiteral("settings.html"));
    EXPECT_TRUE(viewer->page()->toPlainText().contains(QStringLiteral("マジックパケット送信回数")));
    EXPECT_EQ(HelpViewer::current(), viewer);

    EXPECT_EQ(desktop.htmlHelp(0, BuiltHelp, 2, 0), handle);
    EXPECT_EQ(viewer->sideTabs()->currentIndex(), 1);

    // A context without a topic falls back to the contents.
    EXPECT_EQ(desktop.htmlHelp(0, BuiltHelp, 15, 99), handle);
    EXPECT_EQ(pageFile(), QStringLiteral("index.html"));
    EXPECT_EQ(desktop.htmlHelp(0, BuiltHelp, 7, 0), 0) << "a command the viewer doesn't know";
    viewer->close();
}

TEST(Help, TheContentsListEveryTopic)
{
    LinuxDesktop desktop;
    ASSERT_NE(desktop.htmlHelp(0, BuiltHelp, 1, 0), 0);
    HelpViewer *viewer = HelpViewer::current();
    auto *engine = viewer->findChild<QHelpEngine *>();
    ASSERT_NE(engine, nullptr);
    QHelpContentModel *model = engine->contentModel();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->rowCount() > 0 && !model->isCreatingContents(); }, 10000));
    ASSERT_EQ(model->rowCount(), 1);
    const QModelIndex top = model->index(0, 0);
    EXPECT_EQ(model->data(top, Qt::DisplayRole).toString(), QStringLiteral("Orvane の概要"));
    QStringList topics;
    for (int i = 0; i < model->rowCount(top); ++i)
        topics << model->data(model->index(i, 0, top), Qt::DisplayRole).toString();
    EXPECT_EQ(topics,
              (QStringList{"メイン画面とメニュー", "設定画面", "PC の起動とタイマー起動", "うまく起動しないとき"}));

    // Every page of the contents has its text, troubleshooting included.
    for (const char *page : {"wake.html", "trouble.html"}) {
        viewer->page()->setSource(QUrl(QStringLiteral("qthelp://org.orvane.help/doc/") + page));
        EXPECT_GT(viewer->page()->toPlainText().size(), 400) << page;
    }
    EXPECT_TRUE(viewer->page()->toPlainText().contains(QStringLiteral("ファイアウォール")));
    EXPECT_TRUE(viewer->page()->toPlainText().contains(QStringLiteral("ブロードキャストアドレス")));
    viewer->close();
}

TEST(Help, AMissingOrDamagedFileOpensNothing)
{
    LinuxDesktop desktop;
    TempCwd cwd;
    EXPECT_EQ(desktop.htmlHelp(0, cwd.file(QStringLiteral("Orvane.chm")), 1, 0), 0);
    writeAll(cwd.file(QStringLiteral("Orvane.qhc")), QByteArray("not a help collection"));
    EXPECT_EQ(desktop.htmlHelp(0, cwd.file(QStringLiteral("Orvane.chm")), 1, 0), 0);
    writeAll(cwd.file(QStringLiteral("Orvane.chm")), QByteArray("ITSF"));
    EXPECT_EQ(desktop.htmlHelp(0, cwd.file(QStringLiteral("Other.chm")), 1, 0), 0);
}

} // namespace
