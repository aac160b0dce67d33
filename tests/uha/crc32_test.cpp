#include <gtest/gtest.h>

#include <string>

#include "tests/support/temp_tree.h"
#include "uha/src/crc32.h"

TEST(Crc32, KnownValue) {
    EXPECT_EQ(uha::crc32_update(0, "123456789", 9), 0xCBF43926u);
}

// Extraction checks a file decoded in pieces by combining the pieces' CRCs.
TEST(Crc32, CombinedPiecesEqualTheWhole) {
    const std::string data = testing_support::noise(100000, 7);
    const uint32_t whole = uha::crc32_update(0, data.data(), data.size());
    for (size_t cut : {size_t{0}, size_t{1}, size_t{4096}, size_t{65537}, data.size()}) {
        uint32_t a = uha::crc32_update(0, data.data(), cut);
        uint32_t b = uha::crc32_update(0, data.data() + cut, data.size() - cut);
        EXPECT_EQ(uha::crc32_combine(a, b, data.size() - cut), whole) << cut;
    }
}
