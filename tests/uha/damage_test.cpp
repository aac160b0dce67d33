// What extraction does with damaged or hostile archives: it stops with an error, leaves no
// file that looks whole, no temporary file, and nothing outside the destination.
#include <filesystem>

#include "tests/uha/archive_builder.h"
#include "tests/uha/uha_fixture.h"
#include "uha/src/error.h"

namespace fs = std::filesystem;
using testing_support::noise;
using testing_support::snapshot;
using testing_support::write_file;

namespace {

// Everything below root that is not a folder.
std::vector<std::string> files_below(const fs::path& root) {
    std::vector<std::string> out;
    if (!fs::exists(root)) return out;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (!e.is_directory())
            out.push_back(testing_support::utf8_of(fs::relative(e.path(), root)));
    return out;
}

}  // namespace

TEST_F(UhaTest, DamagedBlockLeavesNoFileLookingWhole) {
    // A first file that decodes fine, then one whose data is damaged.
    std::vector<EntrySpec> entries = {{"good.txt", std::string(10000, 'g')},
                                      {"bad.bin", noise(300000, 3)}};
    std::string bytes = build_archive(entries);
    MemorySource probe(bytes);
    uha::Archive a = uha::read_archive(probe, "x");
    bytes[a.table.blocks[0].offset + a.table.blocks[0].packed_size - 1000] ^= 0x55;
    write_file(tmp / "bad.uha", bytes);

    EXPECT_THROW(extract("bad.uha", "out"), uha::FormatError);
    auto left = files_below(tmp / "out");
    EXPECT_EQ(std::count(left.begin(), left.end(), "bad.bin"), 0);
    for (const auto& name : left) EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
}

TEST_F(UhaTest, HostileNamesWriteNothingAnywhere) {
    const char* hostile[] = {
        "../escaped.txt", "a/../../escaped.txt", "/tmp/escaped.txt", "C:/escaped.txt", "NUL",
        "dir/com1.txt",   "a\\..\\escaped.txt",  "ctl\x01.txt",      "stream.txt:x"};
    for (const char* name : hostile) {
        SCOPED_TRACE(name);
        std::vector<EntrySpec> entries = {{"first.txt", "fine"}, {name, "evil"}};
        write_file(tmp / "evil.uha", build_archive(entries));
        EXPECT_THROW(extract("evil.uha", "dest/inner"), uha::FormatError);
        EXPECT_EQ(files_below(tmp / "dest"), std::vector<std::string>{});
        EXPECT_FALSE(fs::exists(tmp / "escaped.txt"));
        EXPECT_FALSE(fs::exists(tmp / "dest/escaped.txt"));
    }
}

TEST_F(UhaTest, DestinationThatCannotBeCreatedIsAnError) {
    write_file(tmp / "blocker", "a file where a folder should be");
    write_file(tmp / "a.uha", build_archive({{"x.txt", "x"}}));
    EXPECT_THROW(extract("a.uha", "blocker/sub"), uha::Error);
}

TEST_F(UhaTest, FileCannotReplaceAFolder) {
    write_file(tmp / "a.uha", build_archive({{"x", "data"}}));
    fs::create_directories(tmp / "out/x");
    try {
        extract("a.uha", "out", {true, 0});
        FAIL() << "no error";
    } catch (const uha::Error& e) {
        EXPECT_NE(std::string(e.what()).find("x"), std::string::npos);
    }
    EXPECT_TRUE(fs::is_directory(tmp / "out/x"));
}

TEST_F(UhaTest, MissingArchiveNamesItself) {
    try {
        uha::open_file(native("nowhere.uha"));
        FAIL() << "no error";
    } catch (const uha::Error& e) {
        EXPECT_NE(std::string(e.what()).find("nowhere.uha"), std::string::npos) << e.what();
    }
}

#ifndef _WIN32
TEST_F(UhaTest, LinksInTheDestinationAreNotFollowed) {
    fs::create_directories(tmp / "outside");
    fs::create_directories(tmp / "dest");
    fs::create_directory_symlink(tmp / "outside", tmp / "dest/link");
    write_file(tmp / "a.uha", build_archive({{"link/planted.txt", "evil"}}));
    EXPECT_THROW(extract("a.uha", "dest", {true, 0}), uha::Error);
    EXPECT_TRUE(fs::is_empty(tmp / "outside"));
}
#endif
