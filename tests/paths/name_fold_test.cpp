#include "paths/name_fold.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "paths/paths.h"

namespace setup::paths {
namespace {

// Every character of CP1250 above ASCII, written once: the compiler turns the narrow literal
// into CP1250 bytes (-fexec-charset=CP1250) and keeps the u8 one as UTF-8, so the pair is a
// conversion the generated table is not part of. \u escapes stand for the invisible ones.
constexpr std::string_view kCp1250 =
    "€‚„…†‡‰Š‹ŚŤŽŹ‘’“”•–—™š›śťžź\u00A0ˇ˘Ł¤Ą¦§¨©Ş«¬\u00AD®Ż°±˛ł´µ¶·¸ąş»Ľ˝ľżŔÁÂĂÄĹĆÇČÉĘËĚÍÎĎĐŃŇÓ"
    "ÔŐÖ×ŘŮÚŰÜÝŢßŕáâăäĺćçčéęëěíîďđńňóôőö÷řůúűüýţ˙";
constexpr std::u8string_view kUtf8 =
    u8"€‚„…†‡‰Š‹ŚŤŽŹ‘’“”•–—™š›śťžź\u00A0ˇ˘Ł¤Ą¦§¨©Ş«¬\u00AD®Ż°±˛ł´µ¶·¸ąş»Ľ˝ľżŔÁÂĂÄĹĆÇČÉĘËĚÍÎĎĐŃŇÓ"
    u8"ÔŐÖ×ŘŮÚŰÜÝŢßŕáâăäĺćçčéęëěíîďđńňóôőö÷řůúűüýţ˙";

// A CP1250 name folds exactly as its UTF-8 spelling does, byte by byte over the whole code
// page, so the installer's, the uninstaller's and the archive's names agree on "one file".
TEST(NameFold, Cp1250FoldsAsItsUtf8Spelling) {
    const std::string_view utf8(reinterpret_cast<const char*>(kUtf8.data()), kUtf8.size());
    size_t at = 0;
    for (const char byte : kCp1250) {
        ASSERT_LT(at, utf8.size());
        uint32_t cp = 0;
        const size_t n = utf8_sequence(utf8, at, cp);
        ASSERT_GT(n, 0u);
        const std::string_view character = utf8.substr(at, n);
        EXPECT_EQ(fold_cp1250(std::string(1, byte)), fold_utf8(character))
            << "byte 0x" << std::hex << (static_cast<unsigned>(byte) & 0xFF);
        at += n;
    }
    EXPECT_EQ(at, utf8.size());
    EXPECT_EQ(kCp1250.size(), 123u);  // the 128 upper bytes but the five CP1250 leaves undefined
    for (int b = 1; b < 0x80; ++b) {
        const std::string ascii(1, static_cast<char>(b));
        EXPECT_EQ(fold_cp1250(ascii), fold_utf8(ascii)) << b;
    }
}

TEST(NameFold, OneNameOnWindows) {
    struct Case {
        const char* a;
        const char* b;
        bool same;
    };
    const Case cases[] = {
        {"Ä", "ä", true},       {"Ł", "ł", true},        {"ŻÓŁW", "żółw", true},
        {"Ş", "ş", true},       {"Ľ", "ľ", true},        {"Ţ", "ţ", true},
        {"Ő", "ő", true},       {"ß", "SS", false},      {"ß", "ß", true},
        {"µ", "M", false},      {"Ą", "A", false},       {"×", "÷", false},
        {"\x81", "\x81", true}, {"\x81", "\x83", false}, {"a\x81", "A\x81", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fold_cp1250(c.a) == fold_cp1250(c.b), c.same) << c.a << " / " << c.b;
        EXPECT_EQ(same_path(std::string("C:\\") + c.a, std::string("c:/") + c.b), c.same)
            << c.a << " / " << c.b;
    }
    EXPECT_EQ(fold_cp1250("ß"), "\xC3\x9F");                          // no capital of its own
    EXPECT_EQ(fold_cp1250("µ"), "\xCE\x9C");                          // U+039C, not in CP1250
    EXPECT_EQ(fold_cp1250("x\x98y"), "X\x98Y");                       // undefined: kept
    EXPECT_TRUE(is_within("C:\\GRA\\ŻÓŁW\\a.txt", "c:\\gra\\żółw"));  // keys fold whole paths
}

}  // namespace
}  // namespace setup::paths
