#include <filesystem>

#include "crc32.h"
#include "error.h"
#include "uha_fixture.h"

namespace fs = std::filesystem;
using testing_support::noise;
using testing_support::read_file;
using testing_support::snapshot;
using testing_support::write_file;

namespace {

// A PE header that the packer recognises as an x86 program, followed by code-like bytes.
std::string fake_program(size_t size) {
    std::string s(size, '\0');
    s[0] = 'M', s[1] = 'Z', s[0x3C] = 0x40;
    s[0x40] = 'P', s[0x41] = 'E', s[0x44] = 0x4C, s[0x45] = 0x01;
    for (size_t i = 0x100; i + 5 < size; i += 7) s[i] = static_cast<char>(0xE8);  // calls
    return s;
}

}  // namespace

TEST_F(UhaTest, RoundTripKeepsEveryFileFolderAndByte) {
    write_file(tmp / "src/empty.txt", "");
    fs::create_directories(tmp / "src/Puste/Głębiej");
    std::string deep = "src";
    for (int i = 0; i < 12; ++i) deep += "/poziom" + std::to_string(i);
    write_file(tmp / (deep + "/plik.txt"), "deep");
    write_file(tmp / "src/Dokumenty/Zażółć gęślą jaźń.txt", "Polskie litery: ąćęłńóśźż ĄĆĘŁŃÓŚŹŻ");
    write_file(tmp / "src/larger than a pipe chunk.bin", noise(5000, 1));
    for (int i = 0; i < 300; ++i)
        write_file(tmp / ("src/many/f" + std::to_string(i) + ".txt"), std::to_string(i * i));
    write_file(tmp / "src/bin/program.exe", fake_program(200000));

    uha::PackResult packed = pack("a.uha", "src");
    EXPECT_EQ(packed.files, 1 + 1 + 1 + 1 + 300 + 1u);
    extract("a.uha", "out");
    EXPECT_EQ(snapshot(tmp / "out"), snapshot(tmp / "src"));
}

TEST_F(UhaTest, FilesSpanningBlocksDecodeOnSeveralThreads) {
    write_file(tmp / "src/big1", noise(3u << 20, 2));
    write_file(tmp / "src/small", "between");
    write_file(tmp / "src/big2", std::string(5u << 20, 'z'));
    uha::PackOptions opt;
    opt.max_block_size = 1u << 20;
    pack("a.uha", "src", opt);

    auto source = uha::open_file(native("a.uha"));
    uha::Archive a = uha::read_archive(*source, "a.uha");
    EXPECT_GE(a.table.blocks.size(), 8u);
    for (unsigned threads : {1u, 2u, 4u}) {
        std::string target = "out" + std::to_string(threads);
        extract("a.uha", target, {false, threads});
        EXPECT_EQ(snapshot(tmp / target), snapshot(tmp / "src")) << threads << " threads";
    }
}

TEST_F(UhaTest, ProgramsGoThroughTheBranchFilter) {
    write_file(tmp / "src/app.exe", fake_program(100000));
    write_file(tmp / "src/readme.txt", "text");
    pack("a.uha", "src");
    auto source = uha::open_file(native("a.uha"));
    uha::Archive a = uha::read_archive(*source, "a.uha");
    ASSERT_EQ(a.table.blocks.size(), 2u);
    EXPECT_EQ(a.table.blocks[0].filter, uha::Filter::x86_lzma2);
    EXPECT_EQ(a.table.blocks[1].filter, uha::Filter::lzma2);
    EXPECT_TRUE(
        uha::is_x86_program(reinterpret_cast<const uint8_t*>(fake_program(512).data()), 512));
}

TEST_F(UhaTest, TimesAndReadOnlyAttributeAreRestored) {
    write_file(tmp / "src/old.txt", "old");
    write_file(tmp / "src/locked.txt", "locked");
    const auto when = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
    fs::last_write_time(tmp / "src/old.txt", when);
    fs::permissions(tmp / "src/locked.txt",
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    pack("a.uha", "src");
    extract("a.uha", "out");
    // Compared with the source as stored (which may have rounded `when`), to the 100 ns that
    // an archive keeps.
    EXPECT_LT(std::chrono::abs(fs::last_write_time(tmp / "out/old.txt") -
                               fs::last_write_time(tmp / "src/old.txt")),
              std::chrono::nanoseconds(100));
    EXPECT_LT(std::chrono::abs(fs::last_write_time(tmp / "out/old.txt") - when),
              std::chrono::seconds(2));
    EXPECT_EQ(fs::status(tmp / "out/locked.txt").permissions() & fs::perms::owner_write,
              fs::perms::none);
    EXPECT_NE(fs::status(tmp / "out/old.txt").permissions() & fs::perms::owner_write,
              fs::perms::none);
}

TEST_F(UhaTest, ExistingFilesAreKeptUnlessOverwriting) {
    write_file(tmp / "src/a.txt", "new");
    write_file(tmp / "src/b.txt", "new b");
    pack("a.uha", "src");
    write_file(tmp / "out/a.txt", "mine");

    uha::ExtractResult kept = extract("a.uha", "out");
    EXPECT_EQ(read_file(tmp / "out/a.txt"), "mine");
    EXPECT_EQ(read_file(tmp / "out/b.txt"), "new b");
    EXPECT_EQ(kept.skipped, 1u);
    EXPECT_TRUE(out.contains("Skipping a.txt: it exists"));

    fs::permissions(tmp / "out/a.txt", fs::perms::owner_write, fs::perm_options::remove);
    extract("a.uha", "out", {true, 0});
    EXPECT_EQ(read_file(tmp / "out/a.txt"), "new");
}

TEST_F(UhaTest, DestinationAndParentsAreCreated) {
    write_file(tmp / "src/a.txt", "x");
    pack("a.uha", "src");
    extract("a.uha", "one/two/three");
    EXPECT_EQ(read_file(tmp / "one/two/three/a.txt"), "x");
}

TEST_F(UhaTest, NamedFileIsStoredUnderItsOwnNameAndNamesMustBeDistinct) {
    write_file(tmp / "src/sub/only.txt", "x");
    write_file(tmp / "other/ONLY.TXT", "y");
    uha::PackOptions opt;
    opt.level = uha::Level{1, false};
    uha::pack(native("a.uha"), {native("src/sub/only.txt")}, opt, out);
    extract("a.uha", "out");
    EXPECT_EQ(snapshot(tmp / "out"), (std::map<std::string, std::string>{{"only.txt", "x"}}));
    EXPECT_THROW(uha::pack(native("b.uha"), {native("src/sub"), native("other")}, opt, out),
                 uha::Error);
    EXPECT_FALSE(fs::exists(tmp / "b.uha"));
}
