#include <gtest/gtest.h>

#include "tests/uha/archive_builder.h"
#include "uha/src/archive.h"
#include "uha/src/error.h"
#include "uha/src/extract.h"

namespace {

const std::vector<EntrySpec> kSample = {
    {"docs", "", true}, {"docs/a.txt", "alpha"}, {"b.bin", std::string(5000, 'b')}, {"empty", ""}};

uha::Archive read(const std::string& bytes) {
    MemorySource src(bytes);
    return uha::read_archive(src, "t.uha");
}

std::string error_of(const std::string& bytes) {
    try {
        MemorySource src(bytes);
        uha::Archive a = uha::read_archive(src, "t.uha");
        struct Null : uha::LineSink {
            void line(const std::string&) override {}
        } sink;
        uha::extract(a, src, nullptr, {}, sink);
    } catch (const uha::FormatError& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST(Format, TableRoundTrip) {
    uha::Archive a = read(build_archive(kSample));
    ASSERT_EQ(a.table.entries.size(), 4u);
    EXPECT_EQ(a.table.entries[1].name, "docs/a.txt");
    EXPECT_EQ(a.file_count, 3u);
    EXPECT_EQ(a.folder_count, 1u);
    EXPECT_EQ(a.file_bytes, 5005u);
}

// Every single-byte change of the header or table is caught by a CRC or a check.
TEST(Format, EveryDamagedHeaderOrTableByteIsRefused) {
    const std::string good = build_archive(kSample);
    const uha::Archive a = read(good);
    std::vector<size_t> offsets;
    for (size_t i = 0; i < uha::kHeaderSize; ++i) offsets.push_back(i);
    for (size_t i = a.header.table_offset; i < good.size(); ++i) offsets.push_back(i);
    for (size_t i : offsets) {
        std::string bad = good;
        bad[i] ^= 0x10;
        EXPECT_NE(error_of(bad), "") << "byte " << i;
    }
}

// A table over the bound the packer keeps to is refused before anything of it is read, with
// the packer's own words.
TEST(Format, ATableOverTheBoundIsRefusedByItsSize) {
    const uint32_t packed = 100;
    uha::Header header;
    header.table_offset = uha::kHeaderSize;
    header.table_packed_size = packed;
    header.table_size = uha::kMaxTableSize + 1;
    const auto bytes = uha::encode_header(header);
    try {
        uha::decode_header(bytes.data(), uha::kHeaderSize + packed);
        FAIL() << "accepted";
    } catch (const uha::FormatError& e) {
        EXPECT_STREQ(e.what(),
                     "archive table of 67108865 bytes is over the 64 MiB an archive's table may "
                     "take: too many files for one archive");
    }
}

TEST(Format, TruncatedArchivesAreRefused) {
    const std::string good = build_archive(kSample);
    for (size_t len = 0; len < good.size(); len += 7)
        EXPECT_NE(error_of(good.substr(0, len)), "") << len;
}

// A flipped bit in the packed data is caught by the decoder or by the file's CRC. The few
// bits that cannot change the output (an LZMA property that selects equal contexts for this
// data) are not damage; they must stay rare.
TEST(Format, DamagedBlockDataIsCaught) {
    const std::string good = build_archive(kSample);
    const uha::Archive a = read(good);
    const uha::Block& b = a.table.blocks[0];
    int undetected = 0, total = 0;
    for (uint64_t i = b.offset; i < b.offset + b.packed_size; ++i) {
        for (int bit = 0; bit < 8; ++bit, ++total) {
            std::string bad = good;
            bad[i] ^= static_cast<char>(1 << bit);
            if (error_of(bad).empty()) ++undetected;
        }
    }
    EXPECT_LT(undetected * 50, total) << undetected << " of " << total;
}

TEST(Format, InconsistentTablesAreRefused) {
    struct Case {
        const char* what;
        std::vector<EntrySpec> entries;
        std::function<void(uha::Table&)> tweak;
        const char* message;
    };
    const Case cases[] = {
        {"name climbs out", {{"../evil", "x"}}, nullptr, "name"},
        {"absolute name", {{"/etc/evil", "x"}}, nullptr, "absolute"},
        {"drive letter", {{"C:/evil", "x"}}, nullptr, "character"},
        {"device", {{"dir/CON", "x"}}, nullptr, "device"},
        {"twice in other case", {{"Readme", "x"}, {"README", "y"}}, nullptr, "twice"},
        // The first entry that repeats an earlier one is named, however far apart they lie.
        {"twice, the first repeat named",
         {{"readme", "x"},
          {"b/c", "z"},
          {"Zz", "q"},
          {"README", "y"},
          {"zZ", "w"},
          {"ReadMe", "v"}},
         nullptr,
         "lists README twice"},
        {"twice in other case beyond Latin-1",
         {{"\u00ff", "x"}, {"\u0178", "y"}},
         nullptr,
         "twice"},
        {"twice in Cyrillic", {{"Ёж/a", "x"}, {"ёЖ/A", "y"}}, nullptr, "twice"},
        {"file used as folder in other case", {{"ж", "x"}, {"Ж/b", "y"}}, nullptr, "inside a file"},
        {"file used as folder", {{"a", "x"}, {"a/b", "y"}}, nullptr, "inside a file"},
        {"sizes do not add up", kSample, [](uha::Table& t) { t.entries[1].size += 1; }, "add up"},
        {"block outside the data", kSample, [](uha::Table& t) { t.blocks[0].offset = 1u << 30; },
         "outside"},
        {"block before the header", kSample, [](uha::Table& t) { t.blocks[0].offset = 3; },
         "outside"},
        {"unknown filter", kSample, [](uha::Table& t) { t.blocks[0].filter = uha::Filter{9}; },
         "filter"},
        {"huge dictionary", kSample, [](uha::Table& t) { t.blocks[0].dict_size = 0xFFFFFFFF; },
         "dictionary"},
        {"folder with contents",
         {{"d", "", true}},
         [](uha::Table& t) { t.entries[0].crc = 5; },
         "contents"},
        {"wrong CRC", kSample, [](uha::Table& t) { t.entries[1].crc ^= 1; }, "CRC"},
        {"block longer than said", kSample,
         [](uha::Table& t) {
             t.blocks[0].size -= 1;
             t.entries[2].size -= 1;
         },
         "damaged"},
    };
    for (const Case& c : cases) {
        BuildOptions opt;
        opt.tweak = c.tweak;
        std::string message = error_of(build_archive(c.entries, opt));
        EXPECT_NE(message.find(c.message), std::string::npos) << c.what << ": " << message;
    }
}
