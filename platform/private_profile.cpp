#include "platform/private_profile.h"

#include <windows.h>

namespace setup::platform {

std::string ProfileFile::read(std::string_view section, std::string_view key,
                              std::string_view default_value) const {
    // 2048 characters with the NUL: longer values come back cut to 2047.
    char buffer[2048] = {};
    const std::string s(section), k(key), d(default_value);
    DWORD n = GetPrivateProfileStringA(s.c_str(), k.c_str(), d.c_str(), buffer, sizeof buffer,
                                       path_.c_str());
    return std::string(buffer, n);
}

}  // namespace setup::platform
