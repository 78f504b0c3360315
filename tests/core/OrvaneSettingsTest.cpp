// Orvane.ini: what is read from it, what is left out and said with its line, and what a save
// rewrites (only the values that changed; every other line byte for byte).

#include "core/wake/OrvaneSettings.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

using namespace orvane;

namespace {

PcExtras relayed(const std::string &relay, const std::string &command = {})
{
    PcExtras e;
    e.relay = relay, e.relayCommand = command;
    return e;
}

OrvaneTable withRelay(int pc, const std::string &relay, const std::string &command = {})
{
    OrvaneTable t{};
    t[static_cast<size_t>(pc)] = relayed(relay, command);
    return t;
}

TEST(OrvaneSettings, AValueIsTakenAndEveryBadLineIsSaidOnceWithItsNumber)
{
    const OrvaneSettings s =
        parseOrvaneSettings("\xEF\xBB\xBF; mine\r\n[PC2]\r\n  relay = admin@nas ; not a comment\r\n"
                            "relay = me@nas\r\n"
                            "relay_command = wakeonlan {mac}; echo done\r\n"
                            "just words\n[PC7]\nrelay = x\n[PC3\n[PC4]\nrelay = -oProxyCommand=x\n"
                            "colour = red\nrelay_command = wol {name}\n"
                            "relay = \xFF\xFE\n" +
                            std::string(300, 'x') + "\n[PC5]\nrelay: has blank\n");
    EXPECT_EQ(s.pcs[2], relayed("me@nas", "wakeonlan {mac}; echo done")) << "the later line wins; ; is no comment";
    for (int pc : {1, 3, 4, 5})
        EXPECT_EQ(s.pcs[static_cast<size_t>(pc)], PcExtras{}) << pc;
    const std::vector<std::string> said{"Orvane.ini の 3 行目: 経由先「admin@nas ; not a comment」は使えません！",
                                        "Orvane.ini の 6 行目: 「=」がありません",
                                        "Orvane.ini の 7 行目: [PC7] は PC1 から PC5 のどれでもありません",
                                        "Orvane.ini の 9 行目: 「]」がありません",
                                        "Orvane.ini の 11 行目: 経由先「-oProxyCommand=x」は使えません！",
                                        "Orvane.ini の 12 行目: 「colour」は Orvane の知らないキーです",
                                        "Orvane.ini の 13 行目: 経由先のコマンドの「{name}」は使えません！",
                                        "Orvane.ini の 14 行目: UTF-8 の文字ではありません",
                                        "Orvane.ini の 15 行目: 行が長すぎます",
                                        "Orvane.ini の 17 行目: 経由先「has blank」は使えません！"};
    EXPECT_EQ(s.problems, said);
    EXPECT_EQ(parseOrvaneSettings(std::string("[PC1]\nrelay = a\0b\n", 17)).problems,
              std::vector<std::string>{"Orvane.ini はテキストのファイルではありません"});

    orvane::test::TempCwd cwd;
    EXPECT_TRUE(readOrvaneSettings("Orvane.ini").problems.empty()) << "none is no problem";
    orvane::test::writeAll("Orvane.ini", QByteArray(int(OrvaneFileMaxBytes) + 1, ';'));
    EXPECT_EQ(readOrvaneSettings("Orvane.ini").problems,
              std::vector<std::string>{"Orvane.ini は大きすぎるので読みません（64 KiB まで）"});
}

TEST(OrvaneSettings, ASaveRewritesOnlyWhatChanged)
{
    const std::string old = "# Orvane's\r\n[PC1]\r\nrelay = one ; kept\r\nmine = 1\r\n\r\n; PC2 next\r\n[PC2]\r\n"
                            "relay = old\r\nrelay_command = wol {mac}\r\nrelay = older\r\n\r\n[other]\r\nx = y";
    OrvaneTable pcs = parseOrvaneSettings(old).pcs;
    EXPECT_EQ(orvaneSettingsText(old, pcs), old) << "nothing changed, nothing written";
    pcs[2] = relayed("new");
    pcs[4] = relayed("far@gw", "etherwake {mac}");
    // The bad relay line of PC1 stays: its value wasn't shown, so it wasn't edited.
    EXPECT_EQ(orvaneSettingsText(old, pcs),
              "# Orvane's\r\n[PC1]\r\nrelay = one ; kept\r\nmine = 1\r\n\r\n; PC2 next\r\n"
              "[PC2]\r\nrelay = new\r\n\r\n[other]\r\nx = y\r\n\r\n"
              "[PC4]\r\nrelay = far@gw\r\nrelay_command = etherwake {mac}\r\n");
    EXPECT_EQ(parseOrvaneSettings(orvaneSettingsText(old, pcs)).pcs, pcs);
    EXPECT_EQ(orvaneSettingsText("[PC3]\nmine = 1\n\n# end\n", withRelay(3, "nas")),
              "[PC3]\nmine = 1\nrelay = nas\n\n# end\n");
    EXPECT_EQ(orvaneSettingsText("", withRelay(1, "nas", "wol {mac}")),
              "[PC1]\nrelay = nas\nrelay_command = wol {mac}\n");
}

} // namespace
