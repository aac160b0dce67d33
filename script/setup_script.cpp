#include "script/setup_script.h"

#include "script/integer_text.h"

namespace setup {

namespace {

// Entries 1..N of `section`, each made by read_entry from its number in decimal.
template <typename Entry, typename ReadEntry>
std::vector<Entry> read_entries(const IniReader& ini, std::string_view section,
                                ReadEntry read_entry) {
    const int32_t count = read_integer(ini, section, "0", 0);
    if (count > kMaxEntryCount) {
        throw ScriptError("setup script: section [" + std::string(section) + "] declares " +
                          std::to_string(count) + " entries, more than the " +
                          std::to_string(kMaxEntryCount) + " an install plan can hold");
    }
    std::vector<Entry> entries;
    if (count <= 0) return entries;
    entries.reserve(static_cast<size_t>(count));
    for (int32_t n = 1; n <= count; ++n) entries.push_back(read_entry(std::to_string(n)));
    return entries;
}

std::vector<ShortcutEntry> read_shortcuts(const IniReader& ini, std::string_view section) {
    return read_entries<ShortcutEntry>(ini, section, [&](const std::string& number) {
        // Braced initialisation reads the fields in order, a before b.
        return ShortcutEntry{ini.read(section, number + "a", ""),
                             ini.read(section, number + "b", "")};
    });
}

}  // namespace

int32_t read_integer(const IniReader& ini, std::string_view section, std::string_view key,
                     int32_t default_value) {
    return parse_integer_text(ini.read(section, key, "")).value_or(default_value);
}

bool read_boolean(const IniReader& ini, std::string_view section, std::string_view key,
                  bool default_value) {
    return read_integer(ini, section, key, default_value ? 1 : 0) != 0;
}

bool is_product_version(std::string_view text) {
    int numbers = 0;
    size_t digits = 0;
    for (const char c : text) {
        if (c == '.') {
            if (digits == 0) return false;
            digits = 0;
            ++numbers;
        } else if (c >= '0' && c <= '9') {
            if (++digits > 9) return false;
        } else {
            return false;
        }
    }
    return digits != 0 && numbers < 4;
}

std::optional<ProductArchitecture> parse_architecture(std::string_view text) {
    if (text.size() != 3 || (text[0] != 'x' && text[0] != 'X')) return std::nullopt;
    if (text.substr(1) == "86") return ProductArchitecture::x86;
    if (text.substr(1) == "64") return ProductArchitecture::x64;
    return std::nullopt;
}

ProductSettings read_product_settings(const IniReader& ini, std::string_view installer_folder) {
    const ProductSettings defaults;
    ProductSettings settings;
    settings.ProductTitle = ini.read("I", "1", defaults.ProductTitle);
    settings.ProductFolderName = ini.read("I", "2", defaults.ProductFolderName);
    settings.ArchivePath = std::string(installer_folder) + ini.read("I", "3", "data.uha");
    settings.CreateUninstaller = read_boolean(ini, "I", "4", defaults.CreateUninstaller);
    settings.AccentColor = read_integer(ini, "I", "5", defaults.AccentColor);
    settings.ProductVersion = ini.read("I", "6", "");
    settings.Publisher = ini.read("I", "7", "");
    settings.Architecture =
        parse_architecture(ini.read("I", "8", "")).value_or(defaults.Architecture);
    settings.WebAddress = ini.read("I", "9", "");
    return settings;
}

InstallPlan read_install_plan(const IniReader& ini) {
    InstallPlan plan;
    plan.StartMenuEntries = read_shortcuts(ini, "M");
    plan.AutostartEntries = read_shortcuts(ini, "A");
    plan.DesktopEntries = read_shortcuts(ini, "D");
    plan.RunAfterInstall = read_entries<std::string>(
        ini, "R", [&](const std::string& number) { return ini.read("R", number, ""); });
    plan.RegistryEntries = read_entries<RegistryEntry>(ini, "S", [&](const std::string& number) {
        return RegistryEntry{ini.read("S", number + "a", ""), ini.read("S", number + "b", ""),
                             ini.read("S", number + "c", ""), ini.read("S", number + "d", ""),
                             ini.read("S", number + "e", "")};
    });
    return plan;
}

}  // namespace setup
