#pragma once
// The kind of Windows program a product file is, read from its PE headers: what key 8 of [I]
// should say about the programs a script names.
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "script/setup_script.h"

namespace setup {

// The COFF Machine values that tell a program's kind.
inline constexpr uint16_t kMachineI386 = 0x14c;
inline constexpr uint16_t kMachineAmd64 = 0x8664;
inline constexpr uint16_t kMachineArm64 = 0xAA64;

// x86 for an i386 image, x64 for an AMD64 or ARM64 one (both run as 64-bit programs, from the
// 64-bit Program Files). nullopt for bytes that are no PE image, for another machine, and for
// a managed i386 image (one with a CLR header), which may run as either kind.
std::optional<ProductArchitecture> program_architecture(std::span<const uint8_t> image);

// The same for a file: nullopt also when it cannot be read. Reads past the first two bytes
// only of a file that starts with "MZ".
std::optional<ProductArchitecture> read_program_architecture(const std::string& native_path);

}  // namespace setup
