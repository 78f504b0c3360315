// The user's language as gettext reads the environment, the patterns, and the English catalogue
// against the texts the sources hold now.

#include "core/record/Language.h"
#include "core/net/Relay.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <optional>

using namespace orvane;
using namespace orvane::test;

TEST(Language, ComesFromTheEnvironmentAsGettextReadsItAndFillsPatternsInOnePass)
{
    // LANGUAGE, LC_ALL, LC_MESSAGES, LANG, and the language chosen.
    const std::tuple<const char *, const char *, const char *, const char *, const char *> cases[]{
        {nullptr, nullptr, nullptr, nullptr, "ja"},
        {nullptr, nullptr, nullptr, "C", "ja"},
        {nullptr, nullptr, nullptr, "POSIX", "ja"},
        {nullptr, "C.UTF-8", nullptr, "en_US.UTF-8", "ja"},
        {nullptr, nullptr, nullptr, "ja_JP.UTF-8", "ja"},
        {nullptr, nullptr, nullptr, "en_US.UTF-8", "en"},
        {nullptr, nullptr, nullptr, "de_DE.UTF-8", "en"}, // no catalogue of its own
        {nullptr, "", "ja_JP.UTF-8", "en_US.UTF-8", "ja"},
        {"de:ja", nullptr, nullptr, "de_DE.UTF-8", "ja"},
        {"fr:en_GB", nullptr, nullptr, "ja_JP.UTF-8", "en"},
        {"en", nullptr, nullptr, "C", "ja"}, // LANGUAGE counts only where the locale names a language
    };
    for (const auto &[list, all, messages, lang, expected] : cases)
        EXPECT_EQ(languageOf(list, all, messages, lang), expected)
            << (list ? list : "-") << " " << (all ? all : "-") << " " << (messages ? messages : "-") << " "
            << (lang ? lang : "-");
    EXPECT_EQ(textWith("%1 と %2、%3 100%", {"%2", "b"}), "%2 と b、%3 100%");
}

// A text marked in the sources but missing, untranslated or fuzzy in a .po would reach its language's
// user in Japanese.
TEST(Language, EveryPlainCatalogueTranslatesEveryTextTheSourcesMark)
{
    QTemporaryDir dir;
    const QString source = ORVANE_SOURCE_DIR, pot = dir.filePath("orvane.pot"), merged = dir.filePath("merged.po");
    ASSERT_EQ(QProcess::execute("bash", {source + "/translations/update-po", source, pot}), 0);
    const QStringList catalogues = QDir(source + "/translations").entryList({"*.po"});
    ASSERT_TRUE(catalogues.contains("en.po"));
    for (const QString &po : catalogues) {
        ASSERT_EQ(QProcess::execute("msgmerge", {"--quiet", "--no-fuzzy-matching", "-o", merged,
                                                 source + "/translations/" + po, pot}),
                  0);
        for (const QString which : {"--untranslated", "--only-fuzzy"}) {
            QProcess p;
            p.start("msgattrib", {which, "--no-obsolete", merged});
            ASSERT_TRUE(p.waitForFinished() && p.exitCode() == 0) << which.toStdString();
            std::optional<QString> msgid; // the one being read, its lines joined
            for (const QString &line : QString::fromUtf8(p.readAllStandardOutput()).split('\n')) {
                if (line.startsWith("msgid ")) {
                    msgid = QString();
                } else if (!msgid || !line.startsWith('"')) {
                    if (msgid && !msgid->isEmpty()) // the header's is empty
                        ADD_FAILURE() << which.toStdString() << " in " << po.toStdString() << ": "
                                      << msgid->toStdString();
                    msgid.reset();
                    continue;
                }
                *msgid += line.mid(line.indexOf('"') + 1).chopped(1);
            }
        }
    }
}

// Likewise for the windows: lupdate over the sources as they are now, into a copy of the .ts.
TEST(Language, EveryWindowsCatalogueTranslatesEveryTextTheSourcesMark)
{
    const QString source = ORVANE_SOURCE_DIR;
    const QStringList catalogues = QDir(source + "/translations").entryList({"orvane_*.ts"});
    ASSERT_TRUE(catalogues.contains("orvane_en.ts"));
    for (const QString &name : catalogues) {
        QTemporaryDir dir;
        const QString ts = dir.filePath(name);
        ASSERT_TRUE(QFile::copy(source + "/translations/" + name, ts));
        ASSERT_EQ(QProcess::execute("bash", {source + "/translations/update-ts", source, ORVANE_LUPDATE, ts}), 0);
        QFile file(ts);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        QString text;
        int messages = 0;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == u"source") {
                text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            } else if (xml.name() == u"translation") {
                ++messages;
                const bool unfinished = !xml.attributes().value("type").isEmpty();
                if (xml.readElementText(QXmlStreamReader::IncludeChildElements).isEmpty() || unfinished)
                    ADD_FAILURE() << "not translated in " << name.toStdString() << ": " << text.toStdString();
            }
        }
        EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
        EXPECT_GT(messages, 100);
    }
}

// The relay's orvane-wake --check speaks the source's language or, where ssh passes the locale on, the
// user's: either way its state word is read, not taken for no answer.
TEST(Language, TheRelaysStateWordIsReadInEitherLanguage)
{
    EnvGuard runtime("XDG_RUNTIME_DIR"); // no shared connection, no folder for it
    const std::tuple<const char *, Reach, const char *> replies[]{
        {"ARP のみ応答", Reach::LinkOnly, ""},
        {"ARP only", Reach::LinkOnly, ""},
        {"not checked", Reach::NotChecked, ""},
        {"別の MAC から応答 02:00:00:00:02:05", Reach::OtherMac, "02:00:00:00:02:05"},
        {"another MAC answers 02:00:00:00:02:05", Reach::OtherMac, "02:00:00:00:02:05"},
    };
    setUiLanguage("en");
    for (const auto &[reply, reach, mac] : replies) {
        // The "ssh" prints the reply and ends as orvane-wake --check does when the PC didn't answer.
        EnvGuard ssh("ORVANE_SSH_COMMAND", QByteArray("printf '%s\\n' '") + reply + "'; exit 3; :");
        const RelayRoute route{"relay", {}};
        const PcAnswer answer = checkThroughRelay(route, {"10.0.0.9", MacAddress{}, route});
        EXPECT_TRUE(answer.reach == reach && answer.otherMac == mac) << reply << ": " << answer.otherMac;
    }
    setUiLanguage(SourceLanguage);
}
