#pragma once
// The gradient band's arithmetic, without a window: which stripes a band of a given
// size, direction and pair of colours is painted with, and each stripe's colour. TGradient
// (Windows) fills exactly these stripes; the tests check them here on every system.
//
// Colours are 32-bit values laid out as 0x00BBGGRR (red in the low byte), or references to a
// system colour: high byte 0xFF, the system colour's index in the low byte.
#include <cstdint>
#include <functional>
#include <vector>

namespace setup {

// A system colour reference: high byte 0xFF.
constexpr bool is_system_color(uint32_t color) {
    return (color >> 24) == 0xFF;
}
// The system colour index a reference names (its low byte).
constexpr int system_color_index(uint32_t color) {
    return static_cast<int>(color & 0xFF);
}
// The reference to system colour `index` (e.g. COLOR_BTNFACE = 15 gives 0xFF00000F).
constexpr uint32_t system_color(int index) {
    return 0xFF000000u | (static_cast<uint32_t>(index) & 0xFF);
}

// Gives a system colour's current value (0x00BBGGRR) for its index; on Windows GetSysColor.
using SystemColorResolver = std::function<uint32_t(int index)>;

// The colour as plain 0x00BBGGRR: a system colour reference through `resolve`, any other
// value as its low three bytes.
uint32_t resolve_color(uint32_t color, const SystemColorResolver& resolve);

// Stripe i's colour of a band whose extent along its direction is `extent`, between the
// plain colours rgb1 and rgb2: each channel is c1 + (c2 - c1) * i div extent, computed in
// signed 32-bit integers (the product wraps as a 32-bit integer would), the quotient
// truncated toward zero, the sum reduced to a byte. Stripe 0 is rgb1, stripe `extent` is
// rgb2. There is no quotient for extent <= 0; the result is then rgb1 (never used by the
// band, see gradient_stripes). Only the low three bytes of rgb1 and rgb2 count.
uint32_t stripe_color(uint32_t rgb1, uint32_t rgb2, int i, int extent);

// One fill: the rectangle [left, right) x [top, bottom) in the band's own coordinates, and
// its colour as 0x00BBGGRR.
struct Stripe {
    int left, top, right, bottom;
    uint32_t color;
    friend bool operator==(const Stripe&, const Stripe&) = default;
};

// What the band paints, fill by fill, in order:
// - color1 == color2 as stored (a system colour reference too): one fill of the whole
//   rectangle (0, 0, width, height) with that colour resolved;
// - otherwise both colours are resolved, and with extent E = width (horizontal) or height
//   (vertical):
//   - E < 0: nothing;
//   - E = 0: nothing. Ours to decide (the division has no divisor): a band without extent
//     along its direction has no pixel to show, and any stripe would lie outside it;
//   - E > 0: E + 1 one-pixel stripes i = 0..E, columns (i, 0, i + 1, height) when
//     horizontal, rows (0, i, width, i + 1) otherwise, coloured stripe_color(c1, c2, i, E).
//     The last one (i = E, exactly color2) lies just outside the band and is clipped away.
// `resolve` is called only for system colour references.
void for_each_stripe(int width, int height, bool horizontal, uint32_t color1, uint32_t color2,
                     const SystemColorResolver& resolve,
                     const std::function<void(const Stripe&)>& fill);

// The same fills as a list.
std::vector<Stripe> gradient_stripes(int width, int height, bool horizontal, uint32_t color1,
                                     uint32_t color2, const SystemColorResolver& resolve);

}  // namespace setup
