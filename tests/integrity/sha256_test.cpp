// The hashing module on each system's own implementation (OpenSSL natively, CryptoAPI in the
// Windows build under Wine), and the digest's text form as the installer's resource holds it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>

#include "archive_digest.h"
#include "sha256.h"
#include "temp_tree.h"

using namespace setup;
using testing_support::native;

namespace {

std::string hex_of(const std::string& bytes, size_t piece) {
    Sha256 hash;
    for (size_t at = 0; at < bytes.size(); at += piece)
        hash.update(bytes.data() + at, std::min(piece, bytes.size() - at));
    return to_hex(hash.finish());
}

struct Vector {
    std::string input;
    const char* digest;
};

// Published test vectors: empty, one block, a message whose padding needs a second block, and
// one million 'a'.
const Vector kVectors[] = {
    {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
    {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
     "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
};

}  // namespace

// Whole and in odd-sized pieces that straddle the 64-byte blocks.
TEST(Sha256, KnownVectorsInAnySplit) {
    for (const Vector& v : kVectors)
        for (size_t piece : {size_t{1000000}, size_t{1}, size_t{63}, size_t{65}, size_t{4099}})
            EXPECT_EQ(hex_of(v.input, piece), v.digest) << v.input.size() << " in " << piece;
}

// finish() leaves the object ready for a new digest, with nothing of the old one.
TEST(Sha256, FinishStartsANewDigest) {
    Sha256 hash;
    for (const Vector& v : kVectors) {
        hash.update(v.input.data(), v.input.size());
        EXPECT_EQ(to_hex(hash.finish()), v.digest) << v.input.size();
    }
}

// The file is read in chunks of a MiB: a size just past three of them, an empty file, and a
// name with a Polish letter (the ANSI code page on Windows).
TEST(Sha256, FileDigestEqualsTheStreamedOne) {
    testing_support::TempDir dir;
    for (size_t size : {size_t{0}, size_t{3} * 1048576 + 17}) {
        const std::string bytes = testing_support::noise(size, 11);
        testing_support::write_file(dir / "próbka.bin", bytes);
        EXPECT_EQ(to_hex(sha256_file(native(dir / "próbka.bin"))), hex_of(bytes, bytes.size() + 1))
            << size;
    }
}

TEST(Sha256, FileThatCannotBeReadThrowsNamingIt) {
    testing_support::TempDir dir;
    std::filesystem::create_directory(dir / "folder");
    for (const std::string& path : {native(dir / "missing.uha"), native(dir / "folder")}) {
        try {
            sha256_file(path);
            ADD_FAILURE() << "no error for " << path;
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        }
    }
}

// Every digit in both halves of a byte, each way; the resource holds the lowercase form.
TEST(Sha256, HexRoundTripAndTheResourceForm) {
    const Sha256Digest digest = {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef, 0xfe, 0xdc, 0xba,
                                 0x98, 0x76, 0x54, 0x32, 0x10, 0x01, 0x23, 0x45, 0x67, 0x89, 0xab,
                                 0xcd, 0xef, 0xfe, 0xdc, 0xba, 0x98, 0x76, 0x54, 0x32, 0x10};
    const std::string hex =
        "0123456789abcdef"
        "fedcba9876543210"
        "0123456789abcdef"
        "fedcba9876543210";
    EXPECT_EQ(to_hex(digest), hex);
    EXPECT_EQ(archive_digest_resource(digest), hex);
    EXPECT_EQ(digest_from_hex(hex), digest);
    EXPECT_EQ(parse_archive_digest(hex), digest);
    std::string upper = hex;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(digest_from_hex(upper), digest);
}

TEST(Sha256, MalformedHexIsRefused) {
    const std::string good = kVectors[1].digest;
    const auto with = [&good](size_t at, char c, size_t at2 = 0, char c2 = 0) {
        std::string text = good;
        text[at] = c;
        if (c2) text[at2] = c2;
        return text;
    };
    const std::string refused[] = {
        "",
        good.substr(1),        // 63 digits
        good + "0",            // 65
        good + "\n",           // a line end
        with(63, 'g'),         // not a digit
        with(0, ' '),          // a blank
        with(0, '0', 1, 'x'),  // a prefix
        with(10, '\0'),        // a zero byte
        std::string(64, '-'),
    };
    for (const std::string& text : refused) {
        EXPECT_EQ(digest_from_hex(text), std::nullopt) << text;
        EXPECT_EQ(parse_archive_digest(text), std::nullopt) << text;
    }
}
