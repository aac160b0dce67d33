#pragma once
// The product's entry in the system's list of programs beyond its name and uninstall command:
// what package managers and administrators' inventories read (version, publisher, size, icon,
// folder, the command that removes it without questions). Written only for a script that
// gives the product's version or publisher, so that an entry of a script without them stays
// as it always was.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "record/registry_root.h"
#include "script/setup_script.h"

namespace setup {

struct EntryValue {
    std::string name;
    std::string text;                // a REG_SZ value, unless `number` is set
    std::optional<uint32_t> number;  // a REG_DWORD value
    bool operator==(const EntryValue&) const = default;
};

// What only the run knows.
struct EntryFacts {
    std::string target;
    std::string install_date;     // yyyymmdd
    uint64_t unpacked_bytes = 0;  // the sizes of the archive's files, from its table
};

// In writing order: DisplayVersion, Publisher, URLInfoAbout (each when the script gives it),
// InstallLocation, InstallDate, EstimatedSize (KiB, rounded up), DisplayIcon (the first program
// of the Start-menu entries, else the uninstaller), QuietUninstallString, NoModify, NoRepair.
// None when the script gives neither version nor publisher.
std::vector<EntryValue> uninstall_entry_values(const ProductSettings& product,
                                               const InstallPlan& plan, const EntryFacts& facts);

// The names of `values`, for the record.
std::vector<std::string> entry_value_names(const std::vector<EntryValue>& values);

// "yyyymmdd".
std::string install_date_text(int year, int month, int day);

// The registry view a product's values and uninstall key go to.
RegistryView product_view(ProductArchitecture architecture);

}  // namespace setup
