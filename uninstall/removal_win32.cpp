#include "uninstall/removal_win32.h"

#include <windows.h>

#include <optional>

#include "paths/paths.h"
#include "platform/files.h"
#include "platform/registry_writer.h"
#include "platform/win_handle.h"

namespace setup::uninstall {

using platform::system_message;
using platform::UniqueKey;

namespace {

using platform::UniqueFind;

std::uint64_t file_time(const FILETIME& t) {
    return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

void list_below(const std::string& folder, const std::string& relative,
                std::vector<TreeEntry>& out) {
    WIN32_FIND_DATAA found{};
    const std::string base = relative.empty() ? folder : folder + "\\" + relative;
    UniqueFind find(FindFirstFileA((base + "\\*").c_str(), &found));
    if (!find) return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        TreeEntry entry;
        entry.relative = relative.empty() ? name : relative + "\\" + name;
        entry.folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.link = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        entry.write_time = file_time(found.ftLastWriteTime);
        out.push_back(entry);
        if (entry.folder && !entry.link) list_below(folder, entry.relative, out);
    } while (FindNextFileA(find.get(), &found));
}

bool folder_is_empty(const std::string& path) {
    WIN32_FIND_DATAA found{};
    UniqueFind find(FindFirstFileA((path + "\\*").c_str(), &found));
    if (!find) return true;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") return false;
    } while (FindNextFileA(find.get(), &found));
    return true;
}

bool gone(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

using platform::root_key;

// Why `path` cannot be removed as a file (`folder` false) or a folder: absent, or failed with
// `reason`; nothing when it can be tried. `attributes` receives what the path carries.
std::optional<Outcome> not_removable(const std::string& path, bool folder, DWORD& attributes,
                                     std::string& reason) {
    attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (gone(error)) return Outcome::absent;
        reason = system_message(error);
        return Outcome::failed;
    }
    if (((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) != folder) {
        reason = folder ? "to nie jest folder" : "to jest folder";
        return Outcome::failed;
    }
    return std::nullopt;
}

Outcome delete_value(const RegistryLine& line, std::string& reason) {
    HKEY opened = nullptr;
    LONG r = RegOpenKeyExA(root_key(line.root), line.key.c_str(), 0, KEY_SET_VALUE, &opened);
    if (r == ERROR_FILE_NOT_FOUND) return Outcome::absent;
    if (r != ERROR_SUCCESS) {
        reason = system_message(static_cast<DWORD>(r));
        return Outcome::failed;
    }
    UniqueKey key(opened);
    r = RegDeleteValueA(key.get(), line.value.c_str());
    if (r == ERROR_SUCCESS) return Outcome::removed;
    if (r == ERROR_FILE_NOT_FOUND) return Outcome::absent;
    reason = system_message(static_cast<DWORD>(r));
    return Outcome::failed;
}

// Only an empty key goes: values and subkeys the installation did not make stay with it.
Outcome delete_key(const RegistryLine& line, std::string& reason) {
    HKEY opened = nullptr;
    LONG r = RegOpenKeyExA(root_key(line.root), line.key.c_str(), 0,
                           KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, &opened);
    if (r == ERROR_FILE_NOT_FOUND) return Outcome::absent;
    if (r != ERROR_SUCCESS) {
        reason = system_message(static_cast<DWORD>(r));
        return Outcome::failed;
    }
    UniqueKey key(opened);
    DWORD subkeys = 0;
    DWORD values = 0;
    r = RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr);
    if (r != ERROR_SUCCESS) {
        reason = system_message(static_cast<DWORD>(r));
        return Outcome::failed;
    }
    if (subkeys != 0 || values != 0) return Outcome::not_empty;
    key.reset();
    r = RegDeleteKeyA(root_key(line.root), line.key.c_str());
    if (r == ERROR_SUCCESS) return Outcome::removed;
    if (r == ERROR_FILE_NOT_FOUND) return Outcome::absent;
    reason = system_message(static_cast<DWORD>(r));
    return Outcome::failed;
}

}  // namespace

std::vector<TreeEntry> list_tree(const std::string& folder) {
    std::vector<TreeEntry> out;
    list_below(paths::normalize_path(folder), "", out);
    return out;
}

Outcome Remover::run(const Step& step, std::string& reason) {
    switch (step.action) {
        case Action::delete_file:
            return delete_file(step.path, reason);
        case Action::remove_folder:
            return remove_folder(step.path, reason);
        case Action::delete_value:
            return delete_value(step.registry, reason);
        case Action::delete_key:
            return delete_key(step.registry, reason);
    }
    return Outcome::failed;
}

bool Remover::holds_only_scheduled(const std::string& path) const {
    WIN32_FIND_DATAA found{};
    UniqueFind find(FindFirstFileA((path + "\\*").c_str(), &found));
    if (!find) return false;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        const std::string inside = path + "\\" + name;
        bool pending = false;
        for (const std::string& s : scheduled_) pending = pending || paths::same_path(s, inside);
        if (!pending) return false;
    } while (FindNextFileA(find.get(), &found));
    return true;
}

bool Remover::schedule(const std::string& path) {
    if (!MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return false;
    scheduled_.push_back(path);
    return true;
}

Outcome Remover::delete_file(const std::string& path, std::string& reason) {
    DWORD attributes = 0;
    if (const auto why = not_removable(path, false, attributes, reason)) return *why;
    // The archive may have carried read-only files; the installation made them all the same.
    if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (DeleteFileA(path.c_str())) return Outcome::removed;
    const DWORD error = GetLastError();
    if (gone(error)) return Outcome::absent;
    if ((error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
         error == ERROR_LOCK_VIOLATION) &&
        schedule(path))
        return Outcome::scheduled;
    if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesA(path.c_str(), attributes);
    reason = system_message(error);
    return Outcome::failed;
}

Outcome Remover::remove_folder(const std::string& path, std::string& reason) {
    DWORD attributes = 0;
    if (const auto why = not_removable(path, true, attributes, reason)) return *why;
    if (RemoveDirectoryA(path.c_str())) return Outcome::removed;
    const DWORD error = GetLastError();
    if (!folder_is_empty(path)) {
        if (holds_only_scheduled(path) && schedule(path)) return Outcome::scheduled;
        return Outcome::not_empty;
    }
    reason = system_message(error);
    return Outcome::failed;
}

}  // namespace setup::uninstall
