#include "script_check/program_architecture.h"

#include <limits>
#include <memory>
#include <vector>

#include "builder/byte_view.h"
#include "builder/pe_image.h"
#include "uha/src/fs.h"

namespace setup {

namespace {

constexpr size_t kClrDirectory = 14;

}  // namespace

std::optional<ProductArchitecture> program_architecture(std::span<const uint8_t> image) {
    pe::PeHeaders headers;
    try {
        headers = pe::parse_pe_headers(image);
    } catch (const pe::PeError&) {
        return std::nullopt;  // not a program, or one Windows would not start either
    }
    // The COFF header lies inside the image: parse_pe_headers read past it.
    const uint16_t machine = pe::load16(image, headers.file_header_offset());
    if (machine == kMachineAmd64 || machine == kMachineArm64) return ProductArchitecture::x64;
    if (machine == kMachineI386 && headers.directory(kClrDirectory).empty())
        return ProductArchitecture::x86;
    return std::nullopt;
}

std::optional<ProductArchitecture> read_program_architecture(const std::string& native_path) {
    try {
        const std::unique_ptr<uha::ByteSource> file = uha::open_file(native_path);
        const uint64_t size = file->size();
        // A PE image's offsets are 32-bit: a larger file is none.
        if (size < 2 || size > std::numeric_limits<uint32_t>::max()) return std::nullopt;
        char signature[2];
        file->read_at(0, signature, 2);
        if (signature[0] != 'M' || signature[1] != 'Z') return std::nullopt;
        std::vector<uint8_t> image(static_cast<size_t>(size));
        file->read_at(0, image.data(), image.size());
        return program_architecture(image);
    } catch (const std::exception&) {
        return std::nullopt;  // unreadable now: packing it reports that, with its reason
    }
}

}  // namespace setup
