#include "tests/support/directory_link.h"

#include <windows.h>

namespace testing_support {
namespace {

using UnixName = char*(CDECL*)(const wchar_t*);

// Wine's own export; none on Windows.
UnixName wine_unix_name() {
    return reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
}

bool shows(const std::filesystem::path& path) {
    return GetFileAttributesW(path.wstring().c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Runs a Unix program under Wine and waits until `path` exists (or not, as `wanted`), at most
// 10 s: Wine neither waits for a Unix program nor passes its exit code on.
void run_until(std::string command_line, const std::filesystem::path& path, bool wanted) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &pi))
        return;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    for (int i = 0; i < 1000 && shows(path) != wanted; ++i) Sleep(10);
}

}  // namespace

DirectoryLink::DirectoryLink(std::filesystem::path link, const std::string& target_name)
    : link_(std::move(link)) {
    if (const UnixName unix_name = wine_unix_name()) {
        if (char* name = unix_name(link_.wstring().c_str())) {
            unix_link_ = name;
            HeapFree(GetProcessHeap(), 0, name);
            run_until("Z:\\bin\\ln -s \"" + target_name + "\" \"" + unix_link_ + "\"", link_, true);
        }
    } else {
        const std::wstring target(target_name.begin(), target_name.end());
        CreateSymbolicLinkW(link_.wstring().c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY);
    }
}

DirectoryLink::~DirectoryLink() {
    // Wine's RemoveDirectory of a Unix link removes the folder it points to and keeps the link.
    if (!unix_link_.empty()) {
        run_until("Z:\\bin\\rm -f \"" + unix_link_ + "\"", link_, false);
    } else {
        RemoveDirectoryW(link_.wstring().c_str());
    }
}

bool DirectoryLink::made() const {
    const DWORD attributes = GetFileAttributesW(link_.wstring().c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace testing_support
