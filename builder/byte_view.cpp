#include "builder/byte_view.h"

#include <cstdio>

namespace setup::pe {

std::string hex(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
    return text;
}

std::span<const uint8_t> ByteView::slice(uint64_t offset, uint64_t length,
                                         std::string_view what) const {
    if (!contains(offset, length))
        throw PeError(std::string(what) + " at offset " + hex(offset) + " (" +
                      std::to_string(length) + " bytes) lies past the end of " + where_ + " (" +
                      std::to_string(bytes_.size()) + " bytes)");
    return bytes_.subspan(static_cast<size_t>(offset), static_cast<size_t>(length));
}

uint16_t ByteView::u16(uint64_t offset, std::string_view what) const {
    return load16(slice(offset, 2, what), 0);
}

uint32_t ByteView::u32(uint64_t offset, std::string_view what) const {
    return load32(slice(offset, 4, what), 0);
}

}  // namespace setup::pe
