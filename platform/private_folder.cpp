#include "platform/private_folder.h"

#include <ntsecapi.h>
#include <sddl.h>

#include <memory>
#include <vector>

#include "paths/paths.h"
#include "platform/error/runtime_error.h"
#include "platform/files.h"
#include "platform/take_back.h"
#include "platform/win_handle.h"

namespace setup::platform {

namespace {

// A name taken meanwhile is tried again under another; a collision of 64 random bits is not
// expected, so a second failure is the folder's real reason.
constexpr int kNameAttempts = 3;
// Files of a process that has just ended may stay locked a moment.
constexpr int kRemoveAttempts = 50;
constexpr DWORD kRemoveRetryMs = 10;

struct LocalFreer {
    void operator()(void* p) const { LocalFree(p); }
};

std::string with_backslash(std::string folder) {
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
    return folder;
}

// Holds each level of `folder`, down to the folder itself (hold_folder). Empty when a level
// cannot be opened, GetLastError() telling why.
std::vector<UniqueHandle> hold_levels(const std::string& folder) {
    std::vector<UniqueHandle> held;
    for (const std::string& level : paths::folder_levels(folder)) {
        UniqueHandle handle = hold_folder(level);
        if (!handle) return {};
        held.push_back(std::move(handle));
    }
    return held;
}

}  // namespace

std::string random_hex(size_t bytes) {
    std::vector<unsigned char> random(bytes);
    if (!RtlGenRandom(random.data(), static_cast<ULONG>(random.size())))
        throw RuntimeError("Nie można pobrać liczb losowych: " + system_message(GetLastError()));
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char b : random) {
        text += kDigits[b >> 4];
        text += kDigits[b & 15];
    }
    return text;
}

PrivateFolder PrivateFolder::create(const std::string& parent, const std::string& prefix) {
    const auto fail = [&parent](DWORD error) {
        return SystemError("Nie można utworzyć folderu tymczasowego w " + parent,
                           system_message(error));
    };
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kPrivateFolderAccess, SDDL_REVISION_1,
                                                              &descriptor, nullptr))
        throw fail(GetLastError());
    const std::unique_ptr<void, LocalFreer> owned(descriptor);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    DWORD error = ERROR_ALREADY_EXISTS;
    for (int attempt = 0; attempt < kNameAttempts && error == ERROR_ALREADY_EXISTS; ++attempt) {
        const std::string path = with_backslash(parent) + prefix + random_hex(8);
        // Fails when anything of that name exists: a folder someone made is never taken.
        if (CreateDirectoryA(path.c_str(), &attributes)) {
            std::vector<UniqueHandle> held = hold_levels(path);
            if (!held.empty()) return PrivateFolder(path, std::move(held));
            error = GetLastError();
            RemoveDirectoryA(path.c_str());
            throw fail(error);
        }
        error = GetLastError();
    }
    throw fail(error);
}

PrivateFolder::~PrivateFolder() {
    held_.clear();  // the folder's own handle would keep it
    if (path_.empty()) return;
    for (int attempt = 0; attempt < kRemoveAttempts; ++attempt) {
        if (take_away_tree(path_, TakeBack::InUse::fail)) return;
        Sleep(kRemoveRetryMs);
    }
    // What is still held at the end goes at the next restart, and the folder after it.
    take_away_tree(path_, TakeBack::InUse::remove_at_restart);
}

UniqueHandle hold_for_reading(const std::string& path) {
    UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        throw SystemError("Nie można otworzyć pliku " + path, system_message(GetLastError()));
    return file;
}

UniqueHandle write_held_file(const std::string& path, std::string_view bytes) {
    const auto length = static_cast<DWORD>(bytes.size());
    write_file(path, bytes.data(), bytes.size(), Existing::refuse);
    // A write handle cannot be held: the loader does not share a file it runs with writers.
    // So the file is reopened for reading, which also fails while anyone else has it open for
    // writing, and read back: what is held from here on is what was written.
    UniqueHandle held = hold_for_reading(path);
    std::string back(bytes.size() + 1, '\0');
    DWORD got = 0, total = 0;
    while (ReadFile(held.get(), back.data() + total, length + 1 - total, &got, nullptr) && got > 0)
        total += got;
    if (total != length || std::string_view(back.data(), total) != bytes)
        throw RuntimeError("Plik " + path + " został zmieniony po zapisaniu");
    return held;
}

}  // namespace setup::platform
