#include "ui/gradient_colors.h"

namespace setup {

namespace {

// c1 + (c2 - c1) * i div extent for one channel, in signed 32-bit integers, reduced to a byte.
uint32_t channel(uint32_t c1, uint32_t c2, int i, int extent) {
    const int32_t diff = static_cast<int32_t>(c2) - static_cast<int32_t>(c1);
    // The product as a 32-bit integer would hold it: computed wide, then wrapped (defined
    // since C++20), so that extents past 2^31 / 255 behave as the 32-bit arithmetic does
    // instead of being undefined.
    const int32_t product = static_cast<int32_t>(static_cast<int64_t>(diff) * i);
    const int32_t quotient = product / extent;  // truncates toward zero
    return static_cast<uint32_t>(static_cast<int32_t>(c1) + quotient) & 0xFF;
}

}  // namespace

uint32_t resolve_color(uint32_t color, const SystemColorResolver& resolve) {
    if (is_system_color(color)) return resolve(system_color_index(color)) & 0xFFFFFF;
    return color & 0xFFFFFF;
}

uint32_t stripe_color(uint32_t rgb1, uint32_t rgb2, int i, int extent) {
    if (extent <= 0) return rgb1 & 0xFFFFFF;
    const uint32_t r = channel(rgb1 & 0xFF, rgb2 & 0xFF, i, extent);
    const uint32_t g = channel((rgb1 >> 8) & 0xFF, (rgb2 >> 8) & 0xFF, i, extent);
    const uint32_t b = channel((rgb1 >> 16) & 0xFF, (rgb2 >> 16) & 0xFF, i, extent);
    return r + 256 * g + 65536 * b;
}

void for_each_stripe(int width, int height, bool horizontal, uint32_t color1, uint32_t color2,
                     const SystemColorResolver& resolve,
                     const std::function<void(const Stripe&)>& fill) {
    if (color1 == color2) {
        fill(Stripe{0, 0, width, height, resolve_color(color1, resolve)});
        return;
    }
    const uint32_t rgb1 = resolve_color(color1, resolve);
    const uint32_t rgb2 = resolve_color(color2, resolve);
    const int extent = horizontal ? width : height;
    if (extent <= 0) return;  // negative or zero: nothing to draw (see header)
    for (int i = 0;; ++i) {
        const uint32_t color = stripe_color(rgb1, rgb2, i, extent);
        // i + 1 as a 32-bit integer would wrap it: only the clipped last stripe of a band
        // INT_MAX wide could get there.
        const int end = static_cast<int>(static_cast<int64_t>(i) + 1);
        fill(horizontal ? Stripe{i, 0, end, height, color} : Stripe{0, i, width, end, color});
        if (i == extent) break;  // i never steps past extent, even at INT_MAX
    }
}

std::vector<Stripe> gradient_stripes(int width, int height, bool horizontal, uint32_t color1,
                                     uint32_t color2, const SystemColorResolver& resolve) {
    std::vector<Stripe> stripes;
    for_each_stripe(width, height, horizontal, color1, color2, resolve,
                    [&](const Stripe& s) { stripes.push_back(s); });
    return stripes;
}

}  // namespace setup
