// The hashing module on each system's own implementation (OpenSSL natively, CryptoAPI in the
// Windows build under Wine), the digest's text form, and the installer's archive check.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "integrity/archive_check.h"
#include "integrity/archive_digest.h"
#include "tests/support/temp_tree.h"

using namespace setup;
using namespace testing_support;

constexpr size_t kMiB = 1048576;  // the file reader's chunk

static std::string hex_of(Sha256& hash, const std::string& bytes, size_t piece) {
    for (size_t at = 0; at < bytes.size(); at += piece)
        hash.update(bytes.data() + at, std::min(piece, bytes.size() - at));
    return to_hex(hash.finish());
}

// Published vectors (empty, one block, padding that needs a second block, a million 'a'),
// whole and in odd pieces, all through one object: finish() must leave nothing behind.
TEST(Sha256, KnownVectorsInAnySplit) {
    const std::pair<std::string, const char*> vectors[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"}};
    Sha256 hash;
    for (const auto& [input, digest] : vectors)
        for (size_t piece : {kMiB, size_t{1}, size_t{63}, size_t{65}, size_t{4099}})
            EXPECT_EQ(hex_of(hash, input, piece), digest) << input.size() << " in " << piece;
}

// Files at chunk edges, named with a Polish letter (the ANSI code page on Windows); a file
// that cannot be read is named in the error.
TEST(Sha256, Files) {
    TempDir dir;
    for (size_t size : {size_t{0}, 3 * kMiB + 17}) {
        const std::string bytes = noise(size, 11);
        write_file(dir / "próbka.bin", bytes);
        Sha256 hash;
        EXPECT_EQ(to_hex(sha256_file(native(dir / "próbka.bin"))), hex_of(hash, bytes, kMiB));
    }
    std::filesystem::create_directory(dir / "folder");
    for (const std::string& path : {native(dir / "missing.uha"), native(dir / "folder")}) {
        try {
            sha256_file(path);
            ADD_FAILURE() << path;
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        }
    }
}

// Every digit in both halves of a byte; written lowercase, read in either case; anything but
// exactly 64 digits refused.
TEST(Sha256, HexForms) {
    const std::string hex =
        "0123456789abcdeffedcba9876543210"
        "0123456789abcdeffedcba9876543210";
    const std::optional<Sha256Digest> digest = digest_from_hex(hex);
    ASSERT_TRUE(digest);
    EXPECT_EQ((*digest)[1], 0x23);
    EXPECT_EQ(archive_digest_resource(*digest), hex);
    EXPECT_EQ(digest_from_hex("0123456789ABCDEFFEDCBA9876543210"
                              "0123456789ABCDEFFEDCBA9876543210"),
              digest);
    const auto with = [&hex](size_t at, char c) {
        return hex.substr(0, at) + c + hex.substr(at + 1);
    };
    for (const std::string& bad : {std::string(), hex.substr(1), hex + "0", hex + "\n",
                                   with(63, 'g'), with(0, ' '), with(1, 'x'), with(10, '\0')})
        EXPECT_EQ(parse_archive_digest(bad), std::nullopt) << bad;
}

// The decision before the extractor runs, on an archive of three chunks; the caller stops the
// reading after `stop_after` of them.
TEST(ArchiveCheck, EachInstallerAndArchive) {
    TempDir dir;
    const std::string archive = native(dir / "data.uha"), bytes = noise(2 * kMiB + 5, 3);
    write_file(dir / "data.uha", bytes);
    const std::string bound = archive_digest_resource(sha256_file(archive));
    std::string changed = bytes;
    changed[kMiB + 7] ^= 0x01;
    const struct {
        std::optional<std::string> resource;
        const std::string* content;  // nullptr: no archive
        int stop_after;
        ArchiveCheck expected;
    } cases[] = {{std::nullopt, &bytes, 9, ArchiveCheck::unbound},
                 {bound, &bytes, 9, ArchiveCheck::intact},
                 {bound, &changed, 9, ArchiveCheck::damaged},
                 {bound + "\r\n", &bytes, 9, ArchiveCheck::damaged},
                 {bound, nullptr, 9, ArchiveCheck::damaged},
                 {bound, &bytes, 1, ArchiveCheck::abandoned}};
    for (const auto& c : cases) {
        std::filesystem::remove(dir / "data.uha");
        if (c.content) write_file(dir / "data.uha", *c.content);
        int calls = 0;
        EXPECT_EQ(check_archive(c.resource, archive, [&] { return ++calls < c.stop_after; }),
                  c.expected)
            << &c - cases;
    }
}
