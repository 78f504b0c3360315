#pragma once

// The settings dialog's window icon: a gear in the 16 colours of the classic palette.

namespace orvane {

// clang-format off
inline constexpr const char *settingsIcon32[] = {
    "32 32 8 1",
    "  c None",
    "k c #000000",
    "g c #808080",
    "s c #C0C0C0",
    "w c #FFFFFF",
    "n c #000080",
    "b c #0000FF",
    "c c #00FFFF",
    "                                ",
    "              kkkk              ",
    "              kwwk              ",
    "              kwwk              ",
    "      k      kwwwwk      k      ",
    "     kwkk  kkwwwwsskk  kksk     ",
    "    kwwwwkkwwwwwssssskkssssk    ",
    "     kwwwwwwwwwsssssssssssk     ",
    "     kwwwwwwwwssssssssssssk     ",
    "      kwwwwwwssnnssssssssk      ",
    "      kwwwwwnnnccnnnsssssk      ",
    "     kwwwwwnccccccbbnssssgk     ",
    "     kwwwwnccccccbbbbnssggk     ",
    "    kwwwwsncccnnnnbbbnsggggk    ",
    " kkkwwwwssnccnnnnnnbbnggggggkkk ",
    " kwwwwwssncccnnnnnnbbbngggggggk ",
    " kwwwwsssncccnnnnnnbbbngggggggk ",
    " kkkwsssssncbnnnnnnbbnggggggkkk ",
    "    ksssssnbbbnnnnbbbngggggk    ",
    "     kssssnbbbbbbbbbbnggggk     ",
    "     ksssssnbbbbbbbbngggggk     ",
    "      ksssssnnnbbnnngggggk      ",
    "      ksssssssgnnggggggggk      ",
    "     ksssssssgggggggggggggk     ",
    "     kssssssggggggggggggggk     ",
    "    ksssskkggggggggggkkggggk    ",
    "     kskk  kkggggggkk  kkgk     ",
    "      k      kggggk      k      ",
    "              kggk              ",
    "              kggk              ",
    "              kkkk              ",
    "                                "
};

inline constexpr const char *settingsIcon16[] = {
    "16 16 8 1",
    "  c None",
    "k c #000000",
    "g c #808080",
    "s c #C0C0C0",
    "w c #FFFFFF",
    "n c #000080",
    "b c #0000FF",
    "c c #00FFFF",
    "                ",
    "   kkk    kkk   ",
    "   kwwkkkkssk   ",
    "   kwwwwssssk   ",
    "   kwwwsssssk   ",
    "   kwwnnnnssk   ",
    " kkwwnccbbnsgkk ",
    "kwwwsncnnbnggggk",
    "kwwssnbnnbnggggk",
    " kkssnbbbbnggkk ",
    "   kssnnnnggk   ",
    "   ksssgggggk   ",
    "   kssggggggk   ",
    "   ksgkkkkggk   ",
    "   kkk    kkk   ",
    "                "
};
// clang-format on

} // namespace orvane
