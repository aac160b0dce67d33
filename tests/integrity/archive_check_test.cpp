// The decision before the extractor runs, for each kind of installer and archive.
#include <gtest/gtest.h>

#include "archive_check.h"
#include "archive_digest.h"
#include "sha256.h"
#include "temp_tree.h"

using namespace setup;

TEST(ArchiveCheck, EachInstallerAndArchive) {
    testing_support::TempDir dir;
    // Past two chunks, so that a change in the middle one is read and the callback runs.
    std::string bytes = testing_support::noise(2 * 1048576 + 5, 3);
    const std::string archive = testing_support::native(dir / "data.uha");
    testing_support::write_file(dir / "data.uha", bytes);
    const std::string bound = archive_digest_resource(sha256_file(archive));
    std::string changed = bytes;
    changed[1048576 + 7] ^= 0x01;

    struct Case {
        const char* name;
        std::optional<std::string> resource;
        const std::string* content;  // nullptr: no archive at all
        ArchiveCheck expected;
        int full_chunks_read;  // the callback runs once after each
    };
    const Case cases[] = {
        {"no digest", std::nullopt, &bytes, ArchiveCheck::unbound, 0},
        {"matching", bound, &bytes, ArchiveCheck::intact, 2},
        {"one bit changed", bound, &changed, ArchiveCheck::damaged, 2},
        {"digest with a line end", bound + "\r\n", &bytes, ArchiveCheck::damaged, 0},
        {"archive missing", bound, nullptr, ArchiveCheck::damaged, 0},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(dir / "data.uha");
        if (c.content) testing_support::write_file(dir / "data.uha", *c.content);
        int calls = 0;
        EXPECT_EQ(check_archive(c.resource, archive, [&calls] { return ++calls > 0; }), c.expected)
            << c.name;
        EXPECT_EQ(calls, c.full_chunks_read) << c.name;
    }
}

// A caller that stops the reading (the user closed the window) is told so, not "damaged".
TEST(ArchiveCheck, StoppedBetweenChunksIsAbandoned) {
    testing_support::TempDir dir;
    testing_support::write_file(dir / "data.uha", testing_support::noise(3 * 1048576, 5));
    const std::string archive = testing_support::native(dir / "data.uha");
    int calls = 0;
    EXPECT_EQ(check_archive(archive_digest_resource(sha256_file(archive)), archive,
                            [&calls] { return ++calls < 2; }),
              ArchiveCheck::abandoned);
    EXPECT_EQ(calls, 2);
}
