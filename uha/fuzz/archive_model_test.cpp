// The structure-aware fuzzer is only as good as its model: an archive taken apart and put
// together must read as the same archive, new contents must come out with sizes and CRCs the
// reader accepts, and mutations must yield both sound archives and refused ones.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "uha/fuzz/archive_model.h"
#include "uha/fuzz/read_and_test.h"
#include "uha/src/archive.h"
#include "uha/src/error.h"
#include "uha/src/extract.h"

namespace {

namespace fs = std::filesystem;
using uha_fuzz::ArchiveModel;

struct Quiet : uha::LineSink {
    void line(const std::string&) override {}
};

std::vector<std::vector<uint8_t>> seeds() {
    std::vector<std::vector<uint8_t>> out;
    for (const auto& item : fs::directory_iterator(UHA_FUZZ_CORPUS)) {
        std::ifstream in(item.path(), std::ios::binary);
        out.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return out;
}

// The archive as the real reader reads it, after decoding and checking every file.
uha::Archive read_and_check(const std::vector<uint8_t>& bytes) {
    uha_fuzz::MemorySource source(bytes.data(), bytes.size());
    uha::Archive archive = uha::read_archive(source, "model.uha");
    Quiet sink;
    uha::extract(archive, source, nullptr, uha::ExtractOptions{false, 1}, sink);
    return archive;
}

void expect_same_entries(const uha::Table& a, const uha::Table& b) {
    ASSERT_EQ(a.entries.size(), b.entries.size());
    for (size_t i = 0; i < a.entries.size(); ++i) {
        EXPECT_EQ(a.entries[i].name, b.entries[i].name);
        EXPECT_EQ(a.entries[i].size, b.entries[i].size);
        EXPECT_EQ(a.entries[i].crc, b.entries[i].crc);
        EXPECT_EQ(a.entries[i].mtime, b.entries[i].mtime);
        EXPECT_EQ(a.entries[i].kind, b.entries[i].kind);
        EXPECT_EQ(a.entries[i].attributes, b.entries[i].attributes);
    }
}

TEST(ArchiveModel, SeedsComeBackAsTheSameArchive) {
    auto all = seeds();
    ASSERT_GE(all.size(), 3u);
    for (const auto& seed : all) {
        uha::Archive original = read_and_check(seed);
        auto model = uha_fuzz::parse_archive(seed.data(), seed.size());
        ASSERT_TRUE(model);
        uha::Archive rebuilt = read_and_check(uha_fuzz::build_archive(*model));
        expect_same_entries(original.table, rebuilt.table);
        ASSERT_EQ(original.table.blocks.size(), rebuilt.table.blocks.size());
        for (size_t i = 0; i < original.table.blocks.size(); ++i) {
            EXPECT_EQ(original.table.blocks[i].offset, rebuilt.table.blocks[i].offset);
            EXPECT_EQ(original.table.blocks[i].size, rebuilt.table.blocks[i].size);
            EXPECT_EQ(original.table.blocks[i].preset_size, rebuilt.table.blocks[i].preset_size);
        }
    }
}

TEST(ArchiveModel, NotAnArchiveHasNoModel) {
    auto seed = seeds().front();
    // Each case damages what a model needs: the magic, the table's place, the packed table,
    // the header's length.
    enum class Damage { byte, packed_table, cut };
    struct Case {
        const char* what;
        Damage damage;
        size_t offset;
    } cases[] = {{"magic", Damage::byte, 0},
                 {"table offset", Damage::byte, 8},
                 {"packed table", Damage::packed_table, 0},
                 {"short", Damage::cut, 20}};
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = seed;
        switch (c.damage) {
            case Damage::byte:
                bytes[c.offset] ^= 0x40;
                break;
            case Damage::packed_table:
                bytes.back() ^= 0xff;
                bytes[bytes.size() - 2] ^= 0x55;
                break;
            case Damage::cut:
                bytes.resize(c.offset);
                break;
        }
        EXPECT_FALSE(uha_fuzz::parse_archive(bytes.data(), bytes.size())) << c.what;
    }
}

TEST(ArchiveModel, NewContentsArePackedWithSizesAndCrcsTheReaderAccepts) {
    for (const auto& seed : seeds()) {
        for (size_t blocks : {1u, 2u, 3u}) {
            auto model = uha_fuzz::parse_archive(seed.data(), seed.size());
            ASSERT_TRUE(model);
            auto stream = uha_fuzz::decode_stream(*model);
            ASSERT_TRUE(stream);
            // Every file one byte longer and its first byte changed.
            std::vector<uint8_t> changed;
            size_t at = 0;
            for (uha::Entry& e : model->table.entries) {
                if (e.kind != uha::EntryKind::file) continue;
                size_t start = changed.size();
                changed.insert(changed.end(), stream->begin() + at, stream->begin() + at + e.size);
                changed.push_back(static_cast<uint8_t>(e.size));
                changed[start] ^= 0x5a;
                at += e.size;
                ++e.size;
            }
            uha_fuzz::repack(*model, changed, blocks);
            std::vector<uint8_t> built = uha_fuzz::build_archive(*model);
            uha::Archive archive;
            ASSERT_NO_THROW(archive = read_and_check(built)) << blocks << " blocks";
            EXPECT_EQ(archive.table.blocks.size(), std::min(blocks, changed.size()));
            auto again = uha_fuzz::parse_archive(built.data(), built.size());
            ASSERT_TRUE(again);
            EXPECT_EQ(uha_fuzz::decode_stream(*again), changed);
        }
    }
}

TEST(ArchiveModel, MutationsGiveBothSoundAndRefusedArchives) {
    // libFuzzer's byte mutator stands in as one flipped bit.
    std::mt19937 flips(7);
    uha_fuzz::ByteMutator flip = [&](uint8_t* data, size_t size, size_t) {
        if (size > 0) data[flips() % size] ^= static_cast<uint8_t>(1u << (flips() % 8));
        return size;
    };
    for (const auto& seed : seeds()) {
        int sound = 0, refused = 0;
        for (unsigned i = 0; i < 120; ++i) {
            auto model = uha_fuzz::parse_archive(seed.data(), seed.size());
            ASSERT_TRUE(model);
            std::mt19937 random(i);
            uha_fuzz::mutate(*model, random, flip);
            std::vector<uint8_t> built = uha_fuzz::build_archive(*model);
            ASSERT_TRUE(uha_fuzz::parse_archive(built.data(), built.size()));
            try {
                read_and_check(built);
                ++sound;
            } catch (const uha::Error&) {
                ++refused;
            }
        }
        // Past the CRCs: a good share reaches the end of the reader, the rest a check behind.
        EXPECT_GE(sound, 25) << seed.size() << "-byte seed";
        EXPECT_GE(refused, 25) << seed.size() << "-byte seed";
    }
}

// A mutated table's file sizes may add up to the stream's size only by wrapping around: the
// mutator that rewrites one file's contents must leave such a model alone, not cut the stream
// where no file is.
TEST(ArchiveModel, ContentsAreNotRewrittenWhereSizesAddUpOnlyByWrappingAround) {
    uha_fuzz::ByteMutator keep = [](uint8_t*, size_t size, size_t) { return size; };
    int tried = 0;
    for (const auto& seed : seeds()) {
        auto model = uha_fuzz::parse_archive(seed.data(), seed.size());
        ASSERT_TRUE(model);
        auto stream = uha_fuzz::decode_stream(*model);
        ASSERT_TRUE(stream);
        std::vector<uha::Entry*> files;
        for (uha::Entry& e : model->table.entries)
            if (e.kind == uha::EntryKind::file) files.push_back(&e);
        if (files.size() < 2) continue;
        for (uha::Entry* e : files) e->size = 0;
        files[0]->size = UINT64_MAX;
        files[1]->size = stream->size() + 1;
        ++tried;
        for (unsigned i = 0; i < 200; ++i) {
            auto copy = *model;
            std::mt19937 random(i);
            ASSERT_NO_THROW(uha_fuzz::mutate(copy, random, keep)) << i;
        }
    }
    EXPECT_GT(tried, 0) << "no seed has two files";
}

}  // namespace
