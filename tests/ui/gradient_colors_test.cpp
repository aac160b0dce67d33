// The gradient band's stripes, on every system.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <ostream>
#include <vector>

#include "ui/gradient_colors.h"

using namespace setup;

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlue = 0xFF0000;  // 0x00BBGGRR

constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) {
    return r | g << 8 | b << 16;
}

// A resolver that must not be asked.
uint32_t no_system_colours(int index) {
    ADD_FAILURE() << "system colour " << index << " resolved";
    return 0;
}

// A resolver with made-up system colours, counting its calls.
struct FakeSystem {
    int calls = 0;
    SystemColorResolver resolver() {
        return [this](int index) -> uint32_t {
            ++calls;
            switch (index) {
                case 15:
                    return rgb(0xD4, 0xD0, 0xC8);  // COLOR_BTNFACE
                case 5:
                    return rgb(0x10, 0x20, 0x30);  // COLOR_WINDOW
                default:
                    return 0x12345678;  // high byte must not survive
            }
        };
    }
};

struct Sample {
    int index;  // column (horizontal) or row (vertical)
    uint32_t r, g, b;
};

}  // namespace

// The visible stripes of the header band's colours, left to right and top to bottom.
struct BandCase {
    const char* name;
    int width, height;
    bool horizontal;
    std::vector<Sample> samples;
};

void PrintTo(const BandCase& c, std::ostream* os) {
    *os << c.name;
}

class BandExamples : public testing::TestWithParam<BandCase> {};

TEST_P(BandExamples, StripesHaveThePartsColours) {
    const BandCase& c = GetParam();
    const auto stripes =
        gradient_stripes(c.width, c.height, c.horizontal, kWhite, kBlue, no_system_colours);
    const int extent = c.horizontal ? c.width : c.height;
    ASSERT_EQ(stripes.size(), static_cast<size_t>(extent) + 1);
    for (int i = 0; i <= extent; ++i) {
        const Stripe& s = stripes[i];
        const Stripe where = c.horizontal ? Stripe{i, 0, i + 1, c.height, s.color}
                                          : Stripe{0, i, c.width, i + 1, s.color};
        ASSERT_EQ(s, where) << "stripe " << i;
        EXPECT_EQ(s.color, stripe_color(kWhite, kBlue, i, extent)) << "stripe " << i;
    }
    for (const Sample& p : c.samples)
        EXPECT_EQ(stripes[p.index].color, rgb(p.r, p.g, p.b)) << "stripe " << p.index;
    // Stripe 0 is exactly Color1; the last one, clipped away, exactly Color2.
    EXPECT_EQ(stripes.front().color, kWhite);
    EXPECT_EQ(stripes.back().color, kBlue);
}

INSTANTIATE_TEST_SUITE_P(
    Part32, BandExamples,
    testing::Values(BandCase{"Horizontal385",
                             385,
                             56,
                             true,
                             {{0, 255, 255, 255},
                              {1, 255, 255, 255},
                              {2, 254, 254, 255},
                              {192, 128, 128, 255},
                              {384, 1, 1, 255}}},
                    BandCase{"Vertical56",
                             385,
                             56,
                             false,
                             {{0, 255, 255, 255}, {28, 128, 128, 255}, {55, 5, 5, 255}}}),
    [](const testing::TestParamInfo<BandCase>& info) { return info.param.name; });

struct ColorCase {
    uint32_t rgb1, rgb2;
    int i, extent;
    uint32_t expected;
};

void PrintTo(const ColorCase& c, std::ostream* os) {
    *os << std::hex << "rgb1 " << c.rgb1 << ", rgb2 " << c.rgb2 << std::dec << ", i " << c.i
        << ", extent " << c.extent;
}

class StripeColors : public testing::TestWithParam<ColorCase> {};

TEST_P(StripeColors, ChannelArithmetic) {
    const ColorCase& c = GetParam();
    EXPECT_EQ(stripe_color(c.rgb1, c.rgb2, c.i, c.extent), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Part32, StripeColors,
    testing::Values(
        // The Part's examples, one channel at a time.
        ColorCase{kWhite, kBlue, 1, 385, rgb(255, 255, 255)},
        ColorCase{kWhite, kBlue, 2, 385, rgb(254, 254, 255)},
        ColorCase{kWhite, kBlue, 192, 385, rgb(128, 128, 255)},
        ColorCase{kWhite, kBlue, 384, 385, rgb(1, 1, 255)},
        ColorCase{kWhite, kBlue, 385, 385, kBlue},
        ColorCase{kWhite, kBlue, 28, 56, rgb(128, 128, 255)},
        ColorCase{kWhite, kBlue, 55, 56, rgb(5, 5, 255)},
        // Rising channels truncate toward zero too: 0 + 255 * 1 div 2 = 127.
        ColorCase{0, kWhite, 1, 2, rgb(127, 127, 127)},
        ColorCase{rgb(10, 200, 0), rgb(20, 100, 255), 1, 3, rgb(13, 167, 85)},
        // Each channel apart: red low, blue high; the high byte of a plain colour is ignored.
        ColorCase{rgb(0, 0, 0), rgb(255, 0, 0), 1, 1, rgb(255, 0, 0)},
        ColorCase{0x02000000 | rgb(0, 0, 0), rgb(0, 0, 255), 1, 1, rgb(0, 0, 255)},
        // No divisor: Color1.
        ColorCase{kWhite, kBlue, 0, 0, kWhite}, ColorCase{kWhite, kBlue, 3, -4, kWhite},
        // Past 2^31 / 255 the product wraps as a 32-bit integer's would, without undefined
        // behaviour: (0 - 255) * 8421505 = -2147483775 wraps to 2147483521, and
        // 2147483521 div 8421505 = 254, so red 255 + 254 = 509 = 253 (mod 256).
        ColorCase{rgb(255, 0, 0), 0, 8421505, 8421505, rgb(253, 0, 0)},
        // -255 * INT_MAX wraps to -2147483393, whose quotient by INT_MAX is 0.
        ColorCase{rgb(255, 0, 0), 0, INT_MAX, INT_MAX, rgb(255, 0, 0)}));

TEST(GradientStripes, EqualColoursFillOnce) {
    const auto stripes = gradient_stripes(385, 56, true, kBlue, kBlue, no_system_colours);
    ASSERT_EQ(stripes.size(), 1u);
    EXPECT_EQ(stripes[0], (Stripe{0, 0, 385, 56, kBlue}));
    // Also vertical, and whatever the extent.
    EXPECT_EQ(gradient_stripes(10, 0, false, 7, 7, no_system_colours),
              (std::vector<Stripe>{{0, 0, 10, 0, 7}}));
}

TEST(GradientStripes, EqualSystemColourReferencesFillOnceWithTheSystemsValue) {
    FakeSystem sys;
    const auto stripes =
        gradient_stripes(385, 56, true, system_color(15), system_color(15), sys.resolver());
    ASSERT_EQ(stripes.size(), 1u);
    EXPECT_EQ(stripes[0], (Stripe{0, 0, 385, 56, rgb(0xD4, 0xD0, 0xC8)}));
    EXPECT_EQ(sys.calls, 1);
}

TEST(GradientStripes, ComparedAsStoredNotAsResolved) {
    // A system colour and the plain colour it resolves to differ as stored: a gradient whose
    // stripes all have the one colour, not a single fill.
    FakeSystem sys;
    const auto stripes =
        gradient_stripes(4, 3, true, system_color(15), rgb(0xD4, 0xD0, 0xC8), sys.resolver());
    ASSERT_EQ(stripes.size(), 5u);
    for (const Stripe& s : stripes) EXPECT_EQ(s.color, rgb(0xD4, 0xD0, 0xC8));
}

TEST(GradientStripes, SystemColourInOneColourIsResolvedBeforeInterpolation) {
    FakeSystem sys;
    // COLOR_WINDOW (0x10, 0x20, 0x30) to white over 4 columns.
    const auto stripes = gradient_stripes(4, 2, true, system_color(5), kWhite, sys.resolver());
    ASSERT_EQ(stripes.size(), 5u);
    const uint32_t expected[] = {rgb(0x10, 0x20, 0x30), rgb(75, 87, 99), rgb(135, 143, 151),
                                 rgb(195, 199, 203), kWhite};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(stripes[i].color, expected[i]) << "stripe " << i;
    EXPECT_EQ(sys.calls, 1);

    // The other way round, and the resolver's high byte does not leak into the colour.
    const auto back = gradient_stripes(2, 2, false, 0, system_color(99), sys.resolver());
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[0].color, 0u);
    EXPECT_EQ(back[2].color, 0x345678u);
}

TEST(GradientStripes, NegativeExtentDrawsNothing) {
    EXPECT_TRUE(gradient_stripes(-1, 56, true, kWhite, kBlue, no_system_colours).empty());
    EXPECT_TRUE(gradient_stripes(385, -5, false, kWhite, kBlue, no_system_colours).empty());
    // Only the extent along the direction counts.
    EXPECT_EQ(gradient_stripes(3, -5, true, kWhite, kBlue, no_system_colours).size(), 4u);
}

TEST(GradientStripes, ZeroExtentWithDifferentColoursDrawsNothing) {
    // Ours to decide (no divisor): nothing, since such a band has no pixel to show.
    EXPECT_TRUE(gradient_stripes(0, 56, true, kWhite, kBlue, no_system_colours).empty());
    EXPECT_TRUE(gradient_stripes(385, 0, false, kWhite, kBlue, no_system_colours).empty());
}

TEST(GradientStripes, OnePixelBandShowsColour1) {
    const auto stripes = gradient_stripes(1, 56, true, kWhite, kBlue, no_system_colours);
    EXPECT_EQ(stripes, (std::vector<Stripe>{{0, 0, 1, 56, kWhite}, {1, 0, 2, 56, kBlue}}));
}

TEST(SystemColours, References) {
    EXPECT_TRUE(is_system_color(0xFF00000F));
    EXPECT_FALSE(is_system_color(0x00FFFFFF));
    EXPECT_FALSE(is_system_color(0x80000000));
    EXPECT_EQ(system_color_index(0xFF00000F), 15);
    EXPECT_EQ(system_color(15), 0xFF00000Fu);
    FakeSystem sys;
    EXPECT_EQ(resolve_color(system_color(5), sys.resolver()), rgb(0x10, 0x20, 0x30));
    EXPECT_EQ(resolve_color(0x01ABCDEF, sys.resolver()), 0xABCDEFu);
    EXPECT_EQ(sys.calls, 1);
}
