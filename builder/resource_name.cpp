#include "builder/resource_name.h"

#include <algorithm>
#include <cstdio>

#include "builder/pe_error.h"

namespace setup::pe {
namespace {

char16_t upper(char16_t c) {
    return c >= u'a' && c <= u'z' ? c - (u'a' - u'A') : c;
}

// <0, 0, >0 as a and b compare by the loader's rule.
int compare_names(const std::u16string& a, const std::u16string& b) {
    size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        char16_t x = upper(a[i]), y = upper(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace

ResourceName ResourceName::from_ascii(std::string_view text) {
    if (text.empty()) throw PeError("a resource name is empty");
    for (char c : text)
        if (c < 0x20 || c > 0x7e)
            throw PeError("resource name \"" + std::string(text) +
                          "\" holds a character outside printable ASCII");
    if (text[0] == '#') {
        uint32_t id = 0;
        bool ok = text.size() > 1 && text.size() <= 6;
        for (char c : text.substr(1)) {
            ok = ok && c >= '0' && c <= '9';
            id = id * 10 + static_cast<uint32_t>(c - '0');
        }
        if (!ok || id > 0xffff)
            throw PeError("resource name \"" + std::string(text) +
                          "\" is not \"#\" and a number up to 65535");
        return from_id(static_cast<uint16_t>(id));
    }
    ResourceName r;
    for (char c : text) r.name.push_back(upper(static_cast<char16_t>(c)));
    return r;
}

std::string ResourceName::to_string() const {
    if (!is_name()) {
        // Appended rather than "#" + ..., which GCC 12 mistakes for an overlapping copy.
        std::string number = "#";
        number += std::to_string(id);
        return number;
    }
    std::string text;
    for (char16_t c : name) {
        if (c >= 0x20 && c <= 0x7e) {
            text.push_back(static_cast<char>(c));
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(c));
            text += escaped;
        }
    }
    return text;
}

bool same_resource(const ResourceName& a, const ResourceName& b) {
    if (a.is_name() != b.is_name()) return false;
    return a.is_name() ? compare_names(a.name, b.name) == 0 : a.id == b.id;
}

bool resource_before(const ResourceName& a, const ResourceName& b) {
    if (a.is_name() != b.is_name()) return a.is_name();
    return a.is_name() ? compare_names(a.name, b.name) < 0 : a.id < b.id;
}

std::string type_label(const ResourceName& type) {
    if (!type.is_name()) {
        switch (type.id) {
            case kTypeIcon:
                return "ICON";
            case kTypeRcData:
                return "RCDATA";
            case kTypeGroupIcon:
                return "GROUP_ICON";
            case kTypeVersion:
                return "VERSION";
            case kTypeManifest:
                return "MANIFEST";
        }
    }
    return type.to_string();
}

std::string describe(const ResourceName& type, const ResourceName& name) {
    return type_label(type) + " " + name.to_string();
}

}  // namespace setup::pe
