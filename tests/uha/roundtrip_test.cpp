#include <filesystem>

#include "tests/uha/uha_fixture.h"
#include "uha/src/crc32.h"
#include "uha/src/error.h"

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
    ASSERT_GE(a.table.blocks.size(), 8u);
    // Every block after the first starts from the stream's head.
    EXPECT_EQ(a.table.blocks[0].preset_size, 0u);
    for (size_t b = 1; b < a.table.blocks.size(); ++b)
        EXPECT_EQ(a.table.blocks[b].preset_size, a.table.blocks[0].size) << b;
    for (unsigned threads : {1u, 2u, 4u}) {
        std::string target = "out" + std::to_string(threads);
        extract("a.uha", target, {false, threads});
        EXPECT_EQ(snapshot(tmp / target), snapshot(tmp / "src")) << threads << " threads";
    }
}

// A program whose calls go to a few functions: the x86 filter turns their relative targets
// into repeating absolute ones, so it should be chosen for that block; on text it should not,
// nor on the same code in a file that is no program (the filter is tried on programs only).
TEST_F(UhaTest, BranchFilterIsChosenForProgramsOnly) {
    std::string code = noise(1u << 20, 9);
    for (size_t i = 0; i + 5 < code.size(); i += 12) {
        uint32_t target = 0x1000 * (1 + (i / 12) % 8);
        uint32_t rel = target - static_cast<uint32_t>(i + 5);
        code[i] = static_cast<char>(0xE8);
        for (int b = 0; b < 4; ++b) code[i + 1 + b] = static_cast<char>(rel >> (8 * b));
        for (int b = 5; b < 12; ++b) code[i + b] = static_cast<char>(0x90 + (i / 12) % 3);
    }
    std::string text;
    while (text.size() < 300000) text += "Zażółć gęślą jaźń, a call is not an E8 byte. ";
    const std::string program = fake_program(512) + code;
    for (const auto& [payload, filter] :
         {std::pair{program, uha::Filter::x86_lzma2}, std::pair{code, uha::Filter::lzma2},
          std::pair{text, uha::Filter::lzma2}}) {
        testing_support::TempDir dir;
        write_file(dir / "src/data", payload);
        uha::PackOptions opt;
        opt.level = uha::Level{1, false};
        uha::pack(testing_support::native(dir / "a.uha"),
                  {uha::PackInput(testing_support::native(dir / "src"), ".")}, opt, out);
        auto source = uha::open_file(testing_support::native(dir / "a.uha"));
        uha::Archive a = uha::read_archive(*source, "a.uha");
        ASSERT_EQ(a.table.blocks.size(), 1u);
        EXPECT_EQ(a.table.blocks[0].filter, filter);
    }
    auto as_bytes = [](const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); };
    EXPECT_TRUE(uha::is_x86_program(as_bytes(fake_program(512)), 512));
    EXPECT_FALSE(uha::is_x86_program(as_bytes(text), 512));
}

// Data that packs not at all, or at once, or a mix of both, at the fastest level and the
// default one: the archive lists each file at its size and extracts it byte for byte.
TEST_F(UhaTest, RandomZerosAndMixedDataRoundTripAtEveryLevel) {
    write_file(tmp / "random/media.bin", noise(3u << 20, 5));
    write_file(tmp / "zeros/empty.img", std::string(3u << 20, '\0'));
    write_file(tmp / "mixed/bin/program.exe", fake_program(300000));
    write_file(tmp / "mixed/media/film.mp4", noise(1u << 20, 6));
    std::string text;
    while (text.size() < 500000) text += "Zażółć gęślą jaźń; the same line again. ";
    write_file(tmp / "mixed/doc/readme.txt", text);
    for (const char* payload : {"random", "zeros", "mixed"})
        for (const uha::Level level : {uha::Level{1, false}, uha::Level{9, true}}) {
            SCOPED_TRACE(std::string(payload) + " at " + std::to_string(level.preset));
            uha::PackOptions options;
            options.level = level;
            const std::string archive =
                std::string(payload) + std::to_string(level.preset) + ".uha";
            uha::pack(native(archive), {uha::PackInput(native(payload), ".")}, options, out);
            auto source = uha::open_file(native(archive));
            const uha::Archive listed = uha::read_archive(*source, archive);
            for (const uha::Entry& e : listed.table.entries)
                if (e.kind == uha::EntryKind::file)
                    EXPECT_EQ(e.size, fs::file_size(tmp / payload / e.name)) << e.name;
            extract(archive, archive + ".out");
            EXPECT_EQ(snapshot(tmp / (archive + ".out")), snapshot(tmp / payload));
        }
}

// Data that does not pack comes out larger than it went in; from about 38 MB in one block by
// more than liblzma's bound for a stream, which the coder's output once was: packing random
// data failed there ("data ends too early").
TEST(Codec, IncompressibleDataPastTheStreamBoundCodesAndDecodesWhole) {
    const std::string data = noise(40'000'000, 3);
    const auto* bytes = reinterpret_cast<const uint8_t*>(data.data());
    const uha::Level level{0, false};
    const uha::Coding coding{uha::Filter::lzma2, uha::dict_size_for(data.size(), level), 0};
    const std::vector<uint8_t> packed = uha::compress(bytes, data.size(), coding, level);
    EXPECT_GT(packed.size(), lzma_stream_buffer_bound(data.size()));
    const std::vector<uint8_t> back =
        uha::decompress_all(packed.data(), packed.size(), data.size(), coding, "test");
    EXPECT_TRUE(std::equal(back.begin(), back.end(), bytes));
}

TEST(Packing, FamiliesIgnoreNumbersCaseAndExtension) {
    EXPECT_EQ(uha::family_of("bin/d3dx9_43.dll"), "bin/d3dx");
    EXPECT_EQ(uha::family_of("bin/D3DX9_24.DLL"), "bin/d3dx");
    EXPECT_EQ(uha::family_of("msvcr100.dll"), "msvcr");
    EXPECT_NE(uha::family_of("d3dcompiler_47.dll"), uha::family_of("d3dx9_43.dll"));
    EXPECT_EQ(uha::family_of("2024/readme"), "2024/readme");
    EXPECT_EQ(uha::family_of("123"), "");
}

TEST(Packing, BlockCountIsAPowerOfTwoAndTwoFrom8MiB) {
    constexpr uint64_t MiB = 1u << 20;
    struct Case {
        uint64_t total, max_block, count;
    };
    const Case cases[] = {{1, 128 * MiB, 1},         {8 * MiB - 1, 128 * MiB, 1},
                          {8 * MiB, 128 * MiB, 2},   {100 * MiB, 128 * MiB, 2},
                          {550 * MiB, 128 * MiB, 8}, {3 * MiB, 1 * MiB, 4},
                          {256 * MiB, 128 * MiB, 2}, {257 * MiB, 128 * MiB, 4}};
    for (const Case& c : cases)
        EXPECT_EQ(uha::block_count(c.total, c.max_block), c.count) << c.total;
}

TEST(Packing, SplitsBalanceTheEstimatedCost) {
    // The first 10 bytes cost 90, the next 90 bytes cost 10.
    std::vector<uha::CostPoint> curve = {{10, 90.0}, {100, 100.0}};
    EXPECT_EQ(uha::balanced_splits(curve, 2, 0), std::vector<uint64_t>{5});
    EXPECT_EQ(uha::balanced_splits(curve, 4, 0), (std::vector<uint64_t>{2, 5, 8}));
    std::vector<uha::CostPoint> even = {{25, 1.0}, {50, 2.0}, {75, 3.0}, {100, 4.0}};
    EXPECT_EQ(uha::balanced_splits(even, 2, 0), std::vector<uint64_t>{50});
    // The second block waits for the first 25 bytes (cost 1): the first takes half of that.
    EXPECT_EQ(uha::balanced_splits(even, 2, 25), std::vector<uint64_t>{62});
}

TEST(Packing, CutsPreferFamilyChangesNearTheSplit) {
    using uha::Cut;
    struct Case {
        std::vector<uint64_t> splits;
        std::vector<Cut> boundaries;
        std::vector<uint64_t> cuts;
    };
    const Case cases[] = {
        {{50}, {{30, true}, {49, false}, {53, true}, {70, true}}, {53}},  // family change in reach
        {{50}, {{30, true}, {48, false}, {51, false}}, {51}},             // nearest file start
        {{50}, {{10, true}, {90, true}}, {50}},                           // none in reach
        {{50}, {}, {50}},
        {{20, 22}, {{21, true}}, {21, 22}},  // a start is used once
        {{20, 21}, {{21, true}}, {21}},      // splits that fall together make one cut
    };
    for (const Case& c : cases) EXPECT_EQ(uha::snap_cuts(c.splits, 6, c.boundaries), c.cuts);
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

// What each way of naming inputs stores: the archive's entries (folders end in "/"), or the
// refusal, before the archive is written.
TEST_F(UhaTest, InputsKeepTheirNamesOrAreTakenRelativeToAFolder) {
    write_file(tmp / "src/bin/prog.exe", "p");
    write_file(tmp / "src/bin/lib/x.dll", "x");
    write_file(tmp / "src/dane/d.txt", "d");
    write_file(tmp / "src/top.txt", "t");
    write_file(tmp / "other/BIN/y.txt", "y");
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> inputs;  // {-C folder or "", path}
        std::vector<std::string> stored;                          // empty: refused
    };
    const Case cases[] = {
        {"named folders keep their names",
         {{"", "src/bin"}, {"", "src/dane/"}},
         {"bin/", "bin/lib/", "dane/", "bin/lib/x.dll", "bin/prog.exe", "dane/d.txt"}},
        {"a named file keeps its own name", {{"", "src/bin/lib/x.dll"}}, {"x.dll"}},
        {"a folder's contents",
         {{"", "src/."}},
         {"bin/", "bin/lib/", "dane/", "bin/lib/x.dll", "bin/prog.exe", "dane/d.txt", "top.txt"}},
        {"-C with . and with names",
         {{"src/bin", "."}, {"src", "dane/d.txt"}, {"src", "top.txt"}},
         {"lib/", "lib/x.dll", "prog.exe", "dane/d.txt", "top.txt"}},
        {"-C with a nested folder", {{"src", "bin/lib"}}, {"bin/lib/", "bin/lib/x.dll"}},
        {"a name given twice", {{"", "src/top.txt"}, {"src", "top.txt"}}, {}},
        {"two folders that differ in case", {{"", "src/bin"}, {"", "other/BIN"}}, {}},
        {"a path that leaves its -C folder", {{"src/bin", "../top.txt"}}, {}},
        {"a folder named by no name", {{"", "src/.."}}, {}},
    };
    for (const Case& c : cases) {
        std::vector<uha::PackInput> inputs;
        for (const auto& [folder, path] : c.inputs)
            inputs.emplace_back(
                folder.empty() ? "" : native(folder),
                folder.empty() ? native(path) + (path.ends_with('/') ? "/" : "") : path);
        uha::PackOptions opt;
        opt.level = uha::Level{1, false};
        fs::remove(tmp / "a.uha");
        if (c.stored.empty()) {
            EXPECT_THROW(uha::pack(native("a.uha"), inputs, opt, out), uha::Error) << c.what;
            EXPECT_FALSE(fs::exists(tmp / "a.uha")) << c.what;
            continue;
        }
        uha::pack(native("a.uha"), inputs, opt, out);
        auto source = uha::open_file(native("a.uha"));
        std::vector<std::string> stored;
        for (const uha::Entry& e : uha::read_archive(*source, "a.uha").table.entries)
            stored.push_back(e.name + (e.kind == uha::EntryKind::folder ? "/" : ""));
        EXPECT_EQ(stored, c.stored) << c.what;
    }
    // The contents round-trip under the names given.
    uha::PackOptions opt;
    opt.level = uha::Level{1, false};
    fs::remove(tmp / "a.uha");
    uha::pack(native("a.uha"),
              {{"", native("src/bin")}, {native("src"), "top.txt"}, {native("src"), "dane/d.txt"}},
              opt, out);
    extract("a.uha", "out");
    EXPECT_EQ(snapshot(tmp / "out"), (std::map<std::string, std::string>{{"bin/", ""},
                                                                         {"bin/lib/", ""},
                                                                         {"bin/lib/x.dll", "x"},
                                                                         {"bin/prog.exe", "p"},
                                                                         {"dane/", ""},
                                                                         {"dane/d.txt", "d"},
                                                                         {"top.txt", "t"}}));
}

#ifndef _WIN32
// Linux keeps "ÿ" and "Ÿ" apart; Windows would make them one file, so the packer refuses them.
// (On Windows they cannot both exist, nor pass through the Polish ANSI code page.)
TEST_F(UhaTest, NamesThatWindowsTakesForOneAreRefused) {
    write_file(tmp / "latin/\u00ff.txt", "small y with diaeresis");
    write_file(tmp / "latin/\u0178.txt", "capital Y with diaeresis");
    uha::PackOptions opt;
    opt.level = uha::Level{1, false};
    EXPECT_THROW(uha::pack(native("a.uha"), {{native("latin"), "."}}, opt, out), uha::Error);
    EXPECT_FALSE(fs::exists(tmp / "a.uha"));
}
#endif

// Decoding threads stay within what a 32-bit process can hold, whatever the processor count:
// 32 blocks with the largest dictionary ask for 2 GiB at one thread each.
TEST(UhaDecodingThreads, FitTheMemoryBudget) {
    struct Case {
        unsigned asked, processors;
        size_t blocks;
        uint32_t dict;
        unsigned threads;
    };
    const Case cases[] = {
        {64, 32, 32, uha::kMaxDictSize, 15},  // -j64 on 32 blocks of 64 MiB: the budget rules
        {0, 32, 32, uha::kMaxDictSize, 15},   // one per processor: the same
        {0, 4, 32, uha::kMaxDictSize, 4},     // fewer processors than the budget allows
        {0, 32, 2, uha::kMaxDictSize, 2},     // no more threads than blocks
        {0, 64, 64, 1u << 20, 64},            // small dictionaries: no cap in practice
        {3, 8, 0, 1u << 20, 1},               // an archive without blocks
        {0, 0, 8, 1u << 20, 1},               // the processor count unknown
    };
    for (const Case& c : cases)
        EXPECT_EQ(uha::decoding_threads(c.asked, c.processors, c.blocks, c.dict), c.threads)
            << c.asked << " " << c.processors << " " << c.blocks << " " << c.dict;
    // A budget smaller than one thread's need still leaves one thread.
    EXPECT_EQ(uha::decoding_threads(8, 8, 8, uha::kMaxDictSize, 1), 1u);
}
