#pragma once
// The private folders Setup.exe and Odinstaluj.exe make under their shared folder, as a test
// finds and reads them (Windows only). The tests that start the programs run one at a time
// (they take the desktop), so the folders found there are those of the test's own program.
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "platform/private_parent.h"
#include "tests/support/temp_tree.h"

namespace testing_support {

// The shared folder the programs make their private folders in, as they choose it.
inline std::filesystem::path private_parent() {
    return std::filesystem::path(setup::platform::private_folder_parent().path);
}

// While it lives, a file stands where the programs' own shared folder under the program data
// is (that folder set aside meanwhile), so that no private folder can be made there. Only
// where that folder is the one chosen, as on a system that keeps no access lists (Wine);
// `active()` tells.
class OwnSharedFolderBlocked {
  public:
    OwnSharedFolderBlocked() : folder_(private_parent()) {
        if (folder_.filename() != "Setup") return;
        std::error_code error;
        std::filesystem::rename(folder_, aside(), error);
        if (error) return;
        FILE* file = _wfopen(folder_.c_str(), L"wb");
        if (file) fclose(file);
        active_ = file != nullptr;
    }
    OwnSharedFolderBlocked(const OwnSharedFolderBlocked&) = delete;
    OwnSharedFolderBlocked& operator=(const OwnSharedFolderBlocked&) = delete;
    ~OwnSharedFolderBlocked() {
        std::error_code ignored;
        if (std::filesystem::is_regular_file(folder_, ignored))
            std::filesystem::remove(folder_, ignored);
        std::filesystem::rename(aside(), folder_, ignored);
    }
    bool active() const { return active_; }
    const std::filesystem::path& folder() const { return folder_; }

  private:
    std::filesystem::path aside() const { return folder_.wstring() + L"-odlozony"; }
    std::filesystem::path folder_;
    bool active_ = false;
};

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

// The entries of the access list of `path` that let in anyone but the administrators, SYSTEM
// and this process's user, as "SID mask flags" lines; {"unreadable"} when it cannot be read,
// {"no access list"} when it lets everyone in. Wine keeps no access list of its own: it shows
// the Unix rights a list was turned into, the owner's as an entry of the user, and a folder
// made without a list (the temporary folder's rights) lets Everyone read.
inline std::vector<std::string> others_let_in(const std::string& path) {
    std::string user = "?";
    HANDLE token = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        char buffer[256];
        DWORD size = 0;
        char* sid = nullptr;
        if (GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size) &&
            ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &sid)) {
            user = sid;
            LocalFree(sid);
        }
        CloseHandle(token);
    }
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &acl, nullptr, &descriptor) != ERROR_SUCCESS)
        return {"unreadable"};
    std::vector<std::string> others;
    if (!acl) others.push_back("no access list");
    for (DWORD i = 0; acl && i < acl->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(acl, i, &ace)) continue;
        const auto* header = static_cast<ACE_HEADER*>(ace);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;  // denials let nobody in
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        char* sid = nullptr;
        if (!ConvertSidToStringSidA(&allowed->SidStart, &sid)) continue;
        const std::string who = sid;
        LocalFree(sid);
        if (who == "S-1-5-32-544" || who == "S-1-5-18" || who == user) continue;
        char line[160];
        snprintf(line, sizeof line, "%s %lx %x", who.c_str(),
                 static_cast<unsigned long>(allowed->Mask), header->AceFlags);
        others.push_back(line);
    }
    LocalFree(descriptor);
    return others;
}

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
