// A whole MAC in one text, how it is written back, the maker from the IEEE list, and the kernel's
// neighbour messages read from their bytes.

#include "core/net/Neighbours.h"
#include "core/net/Makers.h"
#include "core/net/Netlink.h"
#include "core/wake/MacText.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QByteArray>

#include <tuple>

#include <linux/neighbour.h>
#include <linux/rtnetlink.h>

using namespace orvane;
using namespace orvane::test;

TEST(WholeMac, TheFourFormsInEitherCaseWithBlanksAround)
{
    const MacAddress expected{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0xEF};
    for (const char *text : {"00:1a:2b:3c:4d:ef", "00-1A-2B-3C-4D-EF", "001a.2b3c.4DeF", "001A2B3C4DEF",
                             "  00:1A:2B:3C:4D:EF\t", "\t001a2b3c4def \n"})
        EXPECT_EQ(parseWholeMac(text), expected) << text;
    EXPECT_EQ(macText(expected), "00:1A:2B:3C:4D:EF");
}

TEST(WholeMac, AnythingElseIsNoMac)
{
    for (const char *text : {"", "   ", "00:1A:2B:3C:4D", "00:1A:2B:3C:4D:EF:01", "001A2B3C4D", "001A2B3C4DEF01",
                             "00:1A-2B:3C:4D:EF", "00:1A:2B:3C:4D-EF", "00.1A.2B.3C.4D.EF", "001A:2B3C:4DEF",
                             "00:1A:2B:3C:4D:EG", "0x1A2B3C4DEF", "00 1A 2B 3C 4D EF", "0:1A:2B:3C:4D:EF0",
                             "00::1A:2B:3C:4DEF", "001A2B3C4DE\xEF\xBC\xA6", "00:1A:2B:3C:4D:E F"})
        EXPECT_FALSE(parseWholeMac(text).has_value()) << text;
}

TEST(WholeMac, MakerFromTheIeeeListByTheFirstThreeBytes)
{
    TempCwd dir;
    writeAll(dir.file("oui.txt"), "OUI/MA-L                                                    Organization\n"
                                  "00-1B-21   (hex)\t\tIntel Corporate\n"
                                  "001B21     (base 16)\t\tIntel Corporate\n"
                                  "\t\t\t\tLot 8, Jalan Hi-Tech 2/3\n"
                                  "\n"
                                  "ac-de-48   (hex)\t\tPrivate  \r\n");
    const std::string file = dir.file("oui.txt").toStdString();
    EXPECT_EQ(makerOf({0x00, 0x1B, 0x21, 0x99, 0x00, 0x01}, file), "Intel Corporate");
    EXPECT_EQ(makerOf({0xAC, 0xDE, 0x48, 0x00, 0x00, 0x00}, file), "Private");
    EXPECT_EQ(makerOf({0x00, 0x1B, 0x22, 0x99, 0x00, 0x01}, file), "");
    EXPECT_EQ(makerOf({0x00, 0x1B, 0x21, 0x99, 0x00, 0x01}, dir.file("missing.txt").toStdString()), "");
}

// The kernel's neighbour messages as they come off the netlink socket: 10.200.8.2 on link 2, its MAC.
TEST(NeighbourMessages, ParsedFromTheirBytesAndOnlyWholeOnesWithAMacCount)
{
    const auto message = [](int type, int state, const char *mac) {
        QByteArray m = QByteArray::fromHex("300000001c000000000000000000000002000000020000000200000108000100"
                                           "0ac808020a000200") +
                       QByteArray::fromHex(mac) + QByteArray(2, 0);
        m[4] = char(type), m[24] = char(state);
        return m;
    };
    const auto parse = [](const QByteArray &m) { return neighbourOf(reinterpret_cast<const nlmsghdr *>(m.data())); };
    const QByteArray reachable = message(RTM_NEWNEIGH, NUD_REACHABLE, "020000000802");
    const std::optional<Neighbour> n = parse(reachable);
    ASSERT_TRUE(n.has_value());
    EXPECT_EQ(std::tuple(n->address, macText(n->mac), n->interfaceIndex, n->reachable),
              std::tuple(std::string("10.200.8.2"), std::string("02:00:00:00:08:02"), 2, true));
    EXPECT_FALSE(parse(message(RTM_NEWNEIGH, NUD_STALE, "020000000802"))->reachable);
    // Gone, failed, without a MAC of its own, or cut short before its address: no neighbour.
    EXPECT_FALSE(parse(message(RTM_DELNEIGH, NUD_REACHABLE, "020000000802")));
    EXPECT_TRUE(
        parseNeighbourMessage(reinterpret_cast<const nlmsghdr *>(message(RTM_DELNEIGH, 0, "020000000802").data()))
            ->gone);
    EXPECT_FALSE(parse(message(RTM_NEWNEIGH, NUD_FAILED, "020000000802")));
    EXPECT_FALSE(parse(message(RTM_NEWNEIGH, NUD_REACHABLE, "000000000000")));
    QByteArray cut = reachable.left(32);
    cut[0] = 32;
    EXPECT_FALSE(parse(cut));
}
