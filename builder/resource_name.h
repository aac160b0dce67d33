#pragma once
// A resource's type or name: a 16-bit number or a UTF-16 name, as a resource directory entry
// holds it.
#include <cstdint>
#include <string>
#include <string_view>

namespace setup::pe {

// Predefined resource types (RT_*).
inline constexpr uint16_t kTypeIcon = 3;
inline constexpr uint16_t kTypeRcData = 10;
inline constexpr uint16_t kTypeGroupIcon = 14;
inline constexpr uint16_t kTypeVersion = 16;
inline constexpr uint16_t kTypeManifest = 24;

struct ResourceName {
    uint16_t id = 0;
    std::u16string name;  // when not empty the entry is named and `id` is unused

    bool is_name() const { return !name.empty(); }

    static ResourceName from_id(uint16_t id) { return ResourceName{id, {}}; }
    // A name as a resource script writes it: "SETUP" is the name SETUP, stored in upper case as
    // the resource compiler stores names (Windows finds names without regard to case); "#10" is
    // the id 10, as FindResource reads it. Throws PeError for an empty text, a character outside
    // printable ASCII, or a "#" not followed by a number up to 65535.
    static ResourceName from_ascii(std::string_view text);

    // "SETUP" or "#10", for messages; a code unit outside printable ASCII as "\uXXXX".
    std::string to_string() const;

    // Exact equality (same id, or the same name code unit for code unit).
    friend bool operator==(const ResourceName&, const ResourceName&) = default;
};

// Whether Windows finds `a` when asked for `b`: the same id, or names equal without regard to the
// case of ASCII letters.
bool same_resource(const ResourceName& a, const ResourceName& b);

// The order entries must have within a resource directory, since Windows looks them up by binary
// search: named entries first, their names compared as UTF-16 code units after ASCII letters are
// put in upper case (the loader compares upper-case names), shorter before longer on a common
// prefix; then numbered entries by ascending id.
bool resource_before(const ResourceName& a, const ResourceName& b);

// "RCDATA", "ICON", "#300", "MYTYPE": a type for messages, predefined types by their names.
std::string type_label(const ResourceName& type);
// "RCDATA SETUP", "ICON #1", "#300 FOO": a type and name for messages.
std::string describe(const ResourceName& type, const ResourceName& name);

}  // namespace setup::pe
