#pragma once
// The private folders Setup.exe and Odinstaluj.exe make under their temporary folder, as a
// test finds and reads them (Windows only).
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "temp_tree.h"

namespace testing_support {

// The folders directly in `parent` whose names are `prefix` and 16 hexadecimal digits.
inline std::vector<std::filesystem::path> private_folders(const std::filesystem::path& parent,
                                                          const std::string& prefix) {
    const std::regex pattern(prefix + "[0-9a-f]{16}");
    std::vector<std::filesystem::path> found;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(parent, ignored))
        if (entry.is_directory() && std::regex_match(entry.path().filename().string(), pattern))
            found.push_back(entry.path());
    return found;
}

// The access list of `path` as the system stores it: "protected" when nothing is inherited
// from the parent, then one "SID mask flags" line per entry (e.g. "S-1-5-18 1f01ff 3"), or
// "no access list".
inline std::vector<std::string> access_entries(const std::string& path) {
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &acl, nullptr, &descriptor) != ERROR_SUCCESS)
        return {"unreadable"};
    std::vector<std::string> entries;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(descriptor, &control, &revision);
    if (control & SE_DACL_PROTECTED) entries.push_back("protected");
    if (!acl) entries.push_back("no access list");
    for (DWORD i = 0; acl && i < acl->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(acl, i, &ace)) continue;
        const auto* header = static_cast<ACE_HEADER*>(ace);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) {
            entries.push_back("type " + std::to_string(header->AceType));
            continue;
        }
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        char* sid = nullptr;
        ConvertSidToStringSidA(&allowed->SidStart, &sid);
        char line[160];
        snprintf(line, sizeof line, "%s %lx %x", sid ? sid : "?",
                 static_cast<unsigned long>(allowed->Mask), header->AceFlags);
        entries.push_back(line);
        LocalFree(sid);
    }
    LocalFree(descriptor);
    return entries;
}

// What a private folder's access list must read: administrators and SYSTEM, full control,
// handed down to files and folders in it.
inline const std::vector<std::string> kPrivateAccess = {"protected", "S-1-5-32-544 1f01ff 3",
                                                        "S-1-5-18 1f01ff 3"};

// The system's error when `path` is opened for `access` by someone who shares everything.
inline DWORD open_error(const std::string& path, DWORD access) {
    HANDLE h =
        CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return GetLastError();
    CloseHandle(h);
    return ERROR_SUCCESS;
}

}  // namespace testing_support
