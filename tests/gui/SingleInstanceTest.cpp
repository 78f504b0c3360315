// One Orvane per settings folder and display, met in a folder that no other user can reach.
#include "app/SingleInstance.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <future>
#include <unistd.h>

using namespace orvane;
using namespace orvane::test;

namespace {

// A later start in the current folder, on a thread of its own while this one serves the first.
bool laterStartHandsOver(SingleInstance &first)
{
    QSignalSpy asked(&first, &SingleInstance::activationRequested);
    auto later = std::async(std::launch::async, [] {
        SingleInstance second;
        return !second.claim() && second.handOverToRunning();
    });
    return QTest::qWaitFor([&] { return later.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
                           30000) &&
           later.get() && asked.count() == 1;
}

TEST(SingleInstance, HandsOverInTheSameFolderRunsAloneInAnotherAndNoOtherUserCanMoveTheLock)
{
    const struct {
        const char *what;
        QString runtime;
        bool othersFolderInTmp; // and no XDG_RUNTIME_DIR
    } cases[] = {
        {"the session's runtime folder", QStringLiteral("run"), false},
        {"a runtime folder too deep for a socket's path", QString(110, QLatin1Char('r')), false},
        {"another user's folder of Orvane's name in the temporary folder, gone before the second start",
         QStringLiteral("run"), true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir base;
        const QByteArray runtime = QFile::encodeName(base.filePath(c.runtime)), tmp = QFile::encodeName(base.path());
        ASSERT_EQ(::mkdir(runtime.constData(), 0700), 0);
        EnvGuard r("XDG_RUNTIME_DIR", c.othersFolderInTmp ? QByteArray() : runtime), t("TMPDIR", tmp),
            k("XDG_CACHE_HOME", tmp + "/cache");
        TempCwd here;
        // The name a shared temporary folder would have for this user's Orvane, taken first by another
        // user (as root: nobody's; else one that everybody may write into).
        const QByteArray others = tmp + "/orvane-" + QByteArray::number(::geteuid());
        if (c.othersFolderInTmp) {
            ASSERT_EQ(::mkdir(others.constData(), 0700), 0);
            ASSERT_EQ(::geteuid() ? ::chmod(others.constData(), 0777) : ::chown(others.constData(), 65534, 65534), 0);
        }
        SingleInstance first;
        ASSERT_TRUE(first.claim());
        if (c.othersFolderInTmp) {
            ASSERT_EQ(::rmdir(others.constData()), 0);
        }
        EXPECT_TRUE(laterStartHandsOver(first));
        TempCwd elsewhere;
        SingleInstance other;
        EXPECT_TRUE(other.claim()) << "another folder's Orvane runs on its own";
    }
}

// Root may write into any folder, so only the owner tells whose a folder is.
TEST(SingleInstance, AFolderOfAnotherUserIsNeverTheLocksFolder)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "folders of another user need root";
    const QTemporaryDir base;
    const QByteArray runtime = QFile::encodeName(base.filePath("r")), cache = QFile::encodeName(base.filePath("c"));
    EnvGuard r("XDG_RUNTIME_DIR", runtime), k("XDG_CACHE_HOME", cache);
    ASSERT_TRUE(::mkdir(runtime.constData(), 0700) == 0 && ::chown(runtime.constData(), 65534, 65534) == 0);
    EXPECT_EQ(QFileInfo(SingleInstance::serverName()).path(), QFile::decodeName(cache) + "/orvane");
    ASSERT_EQ(::chown(cache + "/orvane", 65534, 65534), 0);
    EXPECT_EQ(SingleInstance::serverName(), QString()) << "without a folder of its own, Orvane runs without a lock";
}

} // namespace
