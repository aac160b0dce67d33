#pragma once
// The stub: the prebuilt Setup.exe that every installer is stamped from. It travels with the
// builder (docs/mksetup.md tells where), and carries the resource STUBVERSION, which must match
// the builder's own kStubVersion: the two agree on which resources are stamped and what they hold.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "builder/pe_resources.h"

namespace mksetup {

// The raw-data resources of an installer, by name.
inline constexpr const char* kScriptResource = "SETUP";
inline constexpr const char* kHeaderResource = "JPG";
inline constexpr const char* kLayoutResource = "TFORM1";
inline constexpr const char* kExtractorResource = "UHA";
inline constexpr const char* kUninstallerResource = "UNINSTALL";
inline constexpr const char* kStubVersionResource = "STUBVERSION";
// The layout's picture at the left of the first and last pages.
inline constexpr const char* kBannerPicture = "banner";

// The stub format this builder stamps (the build gives both the same number).
inline constexpr std::string_view kStubVersion = SETUP_STUB_VERSION;

struct Stub {
    std::string path;
    std::vector<uint8_t> image;
    std::vector<setup::pe::Resource> resources;

    // The data of the raw-data resource `name`, or nothing.
    const std::vector<uint8_t>* rcdata(std::string_view name) const;
};

// Where the stub is: `chosen` when given, else the first of <this program's folder>/stub/
// Setup.exe (the build tree) and <this program's folder>/../share/mksetup/Setup.exe (an
// installed copy). Throws std::runtime_error naming the places looked at.
std::string find_stub(const std::string& chosen);

// Reads the stub and checks that it is one this builder can stamp: a program whose resources
// can be read, with a STUBVERSION that matches. Throws std::runtime_error saying what is wrong.
Stub load_stub(const std::string& path);

// Whether the image carries a signature (a certificate table).
bool is_signed(std::span<const uint8_t> image);

// The raw-data resource `name` of `resources`, or nothing.
const setup::pe::Resource* find_rcdata(const std::vector<setup::pe::Resource>& resources,
                                       std::string_view name);

}  // namespace mksetup
