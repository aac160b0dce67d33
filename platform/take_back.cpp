#include "platform/take_back.h"

#include <windows.h>

#include <optional>

#include "paths/paths.h"
#include "platform/files.h"
#include "platform/registry_writer.h"
#include "platform/win_handle.h"

namespace setup::platform {

using takeback::Action;
using takeback::Outcome;
using takeback::Result;
using takeback::TreeEntry;

namespace {

std::uint64_t file_time(const FILETIME& t) {
    return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

takeback::FileId id_of(const BY_HANDLE_FILE_INFORMATION& info) {
    return {info.dwVolumeSerialNumber,
            (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

// Opens the file (or the link) at `path` itself for `access`, sharing everything.
UniqueHandle open_entry(const std::string& path, DWORD access) {
    return UniqueHandle(CreateFileA(
        path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

// The ID of the file at `path`; unknown when it cannot be opened (in use without sharing).
takeback::FileId file_id(const std::string& path) {
    const UniqueHandle file = open_entry(path, FILE_READ_ATTRIBUTES);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file || !GetFileInformationByHandle(file.get(), &info)) return {};
    return id_of(info);
}

// Marks the file `file` is open on (with DELETE access) for deletion when its last handle
// closes; false when this system lacks the call (before Vista) or refuses, GetLastError()
// telling why.
bool delete_through(HANDLE file) {
    FILE_DISPOSITION_INFO disposition{TRUE};
    return set_file_information(file, FileDispositionInfo, &disposition, sizeof disposition);
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
        if (!entry.folder) entry.file = file_id(base + "\\" + name);
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

// The errors that mean the thing is not there (or its parent is not).
bool gone(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

Result failed(DWORD error) {
    return {Outcome::failed, system_message(error)};
}

// Removed, absent, or failed with the system's message.
Result outcome_of(LONG error) {
    if (error == ERROR_SUCCESS) return {Outcome::removed, ""};
    if (gone(static_cast<DWORD>(error))) return {Outcome::absent, ""};
    return failed(static_cast<DWORD>(error));
}

// Why `path` cannot be removed as a file (`folder` false) or a folder: absent, or failed;
// nothing when it can be tried. `attributes` receives what the path carries.
std::optional<Result> not_removable(const std::string& path, bool folder, DWORD& attributes) {
    attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return outcome_of(static_cast<LONG>(GetLastError()));
    if (((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) != folder)
        return Result{Outcome::failed, folder ? "to nie jest folder" : "to jest folder"};
    return std::nullopt;
}

Result change_value(const takeback::Step& step) {
    HKEY opened = nullptr;
    const LONG r = RegOpenKeyExA(root_key(step.registry.root), step.registry.key.c_str(), 0,
                                 KEY_SET_VALUE | view_access(step.registry.view), &opened);
    if (r != ERROR_SUCCESS) return outcome_of(r);
    const UniqueKey key(opened);
    if (step.action == Action::delete_value)
        return outcome_of(RegDeleteValueA(key.get(), step.registry.value.c_str()));
    return outcome_of(RegSetValueExA(key.get(), step.registry.value.c_str(), 0, step.previous.type,
                                     step.previous.data.data(),
                                     static_cast<DWORD>(step.previous.data.size())));
}

// Only an empty key goes: values and keys that others put in it stay, and so does it.
Result delete_key(const RegistryLine& line) {
    HKEY opened = nullptr;
    LONG r =
        RegOpenKeyExA(root_key(line.root), line.key.c_str(), 0,
                      KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | view_access(line.view), &opened);
    if (r != ERROR_SUCCESS) return outcome_of(r);
    UniqueKey key(opened);
    DWORD subkeys = 0;
    DWORD values = 0;
    r = RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr);
    if (r != ERROR_SUCCESS) return failed(static_cast<DWORD>(r));
    if (subkeys != 0 || values != 0) return {Outcome::not_empty, "klucz nie jest pusty"};
    key.reset();
    return outcome_of(delete_registry_key(root_key(line.root), line.key, line.view));
}

}  // namespace

std::vector<TreeEntry> list_tree(const std::string& folder) {
    std::vector<TreeEntry> out;
    list_below(paths::normalize_path(folder), "", out);
    return out;
}

Result TakeBack::apply(const takeback::Step& step) {
    switch (step.action) {
        case Action::delete_file:
            return delete_file(step.path, step.file);
        case Action::remove_folder:
            return remove_folder(step.path);
        case Action::delete_value:
        case Action::restore_value:
            return change_value(step);
        case Action::delete_key:
            return delete_key(step.registry);
    }
    return {Outcome::failed, "nieznany krok"};
}

bool TakeBack::holds_only_scheduled(const std::string& path) const {
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

bool TakeBack::schedule(const std::string& path) {
    if (in_use_ != InUse::remove_at_restart) return false;
    if (!MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return false;
    scheduled_.push_back(path);
    return true;
}

std::optional<Result> TakeBack::hold_levels(const std::string& path) {
    const std::vector<std::string> levels = paths::folder_levels(paths::parent_of(path));
    // The levels held for the step before and still above this path stay held; the others,
    // which this step may remove, are let go.
    size_t kept = 0;
    while (kept < held_.size() && kept < levels.size() &&
           paths::same_path(held_[kept].first, levels[kept]))
        ++kept;
    held_.resize(kept);
    for (size_t i = kept; i < levels.size(); ++i) {
        const std::string& level = levels[i];
        UniqueHandle handle = hold_folder(level);
        if (!handle) return outcome_of(static_cast<LONG>(GetLastError()));
        BY_HANDLE_FILE_INFORMATION info{};
        if (!GetFileInformationByHandle(handle.get(), &info)) return failed(GetLastError());
        // Read from the handle, and by the name once the handle holds the level: Wine opens
        // what a Unix symbolic link leads to in spite of FILE_FLAG_OPEN_REPARSE_POINT, but its
        // name still shows the reparse point.
        const DWORD by_name = GetFileAttributesA(level.c_str());
        bool trusted = false;
        for (const std::string& folder : trusted_)
            trusted = trusted || (!folder.empty() && paths::is_within(folder, level));
        // At or above a folder of the system's or the user's, links are theirs.
        const bool link =
            (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
            (by_name != INVALID_FILE_ATTRIBUTES && (by_name & FILE_ATTRIBUTE_REPARSE_POINT));
        if (link && !trusted)
            return Result{Outcome::failed, "ścieżka prowadzi przez dowiązanie " + level};
        if (!link && !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            return Result{Outcome::failed, level + " nie jest folderem"};
        held_.emplace_back(level, std::move(handle));
    }
    return std::nullopt;
}

Result TakeBack::delete_file(const std::string& path, const takeback::FileId& planned) {
    if (const auto why = hold_levels(path)) return *why;
    DWORD attributes = 0;
    if (const auto why = not_removable(path, false, attributes)) return *why;
    // The file planned is opened and recognised by its ID before anything is changed, and
    // deleted through that handle: one put under its name since is never touched. One that
    // cannot be opened so (in use) is handled by its name below.
    UniqueHandle file;
    if (planned.known()) {
        file = open_entry(path, DELETE | FILE_READ_ATTRIBUTES);
        BY_HANDLE_FILE_INFORMATION info{};
        if (file && GetFileInformationByHandle(file.get(), &info) && !(id_of(info) == planned))
            return {Outcome::failed, "plik został podmieniony po sporządzeniu planu"};
    }
    // An archive may carry read-only files; they were made all the same.
    if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (file && delete_through(file.get())) return {Outcome::removed, ""};
    file.reset();
    if (DeleteFileA(path.c_str())) return {Outcome::removed, ""};
    const DWORD error = GetLastError();
    if (gone(error)) return {Outcome::absent, ""};
    if ((error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
         error == ERROR_LOCK_VIOLATION) &&
        schedule(path))
        return {Outcome::scheduled, ""};
    if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesA(path.c_str(), attributes);
    return failed(error);
}

Result TakeBack::remove_folder(const std::string& path) {
    if (const auto why = hold_levels(path)) return *why;
    DWORD attributes = 0;
    if (const auto why = not_removable(path, true, attributes)) return *why;
    // A link (reparse point) is removed as a link: the folder it points at is not touched.
    if (RemoveDirectoryA(path.c_str())) return {Outcome::removed, ""};
    const DWORD error = GetLastError();
    if (!folder_is_empty(path)) {
        if (holds_only_scheduled(path) && schedule(path)) return {Outcome::scheduled, ""};
        return {Outcome::not_empty, system_message(error)};
    }
    return failed(error);
}

bool take_away_tree(const std::string& folder, TakeBack::InUse in_use) {
    // The folder is ours, below a folder of the system's or the user's: links above it are
    // theirs, below it none is followed.
    TakeBack take_back(in_use, {paths::parent_of(folder)});
    Result last;
    for (const takeback::Step& step : takeback::tree_removal(folder, list_tree(folder)))
        last = take_back.apply(step);
    return last.outcome == Outcome::removed || last.outcome == Outcome::absent ||
           last.outcome == Outcome::scheduled;
}

}  // namespace setup::platform
