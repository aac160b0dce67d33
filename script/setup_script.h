#pragma once
// The setup script: the product settings of section "I" and the install plan of the entry
// sections "M", "A", "D", "R" and "S". Both are read once at start-up and never change after.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "script/ini_reader.h"

namespace setup {

// A script that cannot be turned into an install plan; the message names the section.
class ScriptError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct ShortcutEntry {
    std::string ShortcutCaption;  // link file name without ".lnk"
    std::string ShortcutTarget;   // relative to the target folder
    bool operator==(const ShortcutEntry&) const = default;
};

// All fields are the script's texts; the install run interprets the numbers among them.
struct RegistryEntry {
    std::string RegistryRootCode, RegistryKeyPath, RegistryValueName, RegistryTypeCode,
        RegistryData;
    bool operator==(const RegistryEntry&) const = default;
};

// The kind of Windows program a product is: a 64-bit product installs into the 64-bit Program
// Files and registry view, and only on 64-bit Windows.
enum class ProductArchitecture { x86, x64 };

struct ProductSettings {
    std::string ProductTitle = "Program v1.0";
    std::string ProductFolderName = "Program";
    std::string ArchivePath;  // installer folder (ending in "\") + key "3" (default "data.uha")
    bool CreateUninstaller = true;
    int32_t AccentColor = 16777215;  // 0x00BBGGRR
    // Keys "6".."9", each "" (x86) when missing: with a version or a publisher, the product's
    // entry in the system's list of programs is complete (see uninstall_entry.h).
    std::string ProductVersion;
    std::string Publisher;
    ProductArchitecture Architecture = ProductArchitecture::x86;
    std::string WebAddress;
    bool complete_entry() const { return !ProductVersion.empty() || !Publisher.empty(); }
    bool operator==(const ProductSettings&) const = default;
};

struct InstallPlan {
    std::vector<ShortcutEntry> StartMenuEntries;  // section "M"
    std::vector<ShortcutEntry> AutostartEntries;  // section "A"
    std::vector<ShortcutEntry> DesktopEntries;    // section "D"
    std::vector<std::string> RunAfterInstall;     // section "R"
    std::vector<RegistryEntry> RegistryEntries;   // section "S"
    bool operator==(const InstallPlan&) const = default;
};

// An entry section's key "0" may declare any number of entries, and an entry whose keys are
// missing still counts, empty. A declared count above this limit is refused with a ScriptError
// rather than filling memory with empty entries: no script written for a real product comes
// near it, while every count up to it costs little time or memory.
constexpr int32_t kMaxEntryCount = 10000;

// The value as integer text (see parse_integer_text); default_value when the key is missing or
// its value is not wholly an integer.
int32_t read_integer(const IniReader& ini, std::string_view section, std::string_view key,
                     int32_t default_value);

// Read as an integer with the default 1 or 0: 0 is false, any other number true.
bool read_boolean(const IniReader& ini, std::string_view section, std::string_view key,
                  bool default_value);

// A product version as key "6" takes it: one to four numbers of at most nine digits each,
// separated by dots ("2.1", "10.0.3.1").
bool is_product_version(std::string_view text);

// Key "8": "x86" or "x64", in any letter case; nullopt for anything else.
std::optional<ProductArchitecture> parse_architecture(std::string_view text);

// Section "I", keys "1".."9", in that order. installer_folder ends in "\". A key "8" that is
// neither x86 nor x64 reads as x86, the installer's way before the key existed.
ProductSettings read_product_settings(const IniReader& ini, std::string_view installer_folder);

// Sections "M", "A", "D", "R", "S" in this order. Each declares N entries in key "0" (none when
// N <= 0 or not a number); entry n's fields are the keys decimal(n) + field letter ("R": the
// number alone), empty when missing. Throws ScriptError when N exceeds kMaxEntryCount.
InstallPlan read_install_plan(const IniReader& ini);

}  // namespace setup
