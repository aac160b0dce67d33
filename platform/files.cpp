#include "platform/files.h"

#include "platform/error/runtime_error.h"
#include "platform/win_handle.h"

namespace setup::platform {

std::string GetTempDirectory() {
    char buffer[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, buffer);
    return buffer;
}

std::string own_module_path() {
    char buffer[MAX_PATH * 2] = {};
    DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    return std::string(buffer, n);
}

bool file_exists(const std::string& path) {
    if (path.empty()) return false;
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool folder_exists(const std::string& path) {
    if (path.empty()) return false;
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool delete_file(const std::string& path) {
    return DeleteFileA(path.c_str()) != 0;
}

std::string system_message(DWORD code) {
    return system_message(code, "kod błędu ");
}

namespace {

struct ResourceBytes {
    const void* data;
    DWORD size;
};

ResourceBytes find_resource(HMODULE module, const char* name) {
    HRSRC found = FindResourceA(module, name, MAKEINTRESOURCEA(10));  // RT_RCDATA
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (bytes == nullptr) throw RuntimeError(std::string("Nie znaleziono zasobu ") + name);
    return {bytes, SizeofResource(module, found)};
}

}  // namespace

std::string load_resource(HMODULE module, const char* name) {
    ResourceBytes r = find_resource(module, name);
    return std::string(static_cast<const char*>(r.data), r.size);
}

std::optional<std::string> find_resource_bytes(HMODULE module, const char* name) {
    if (!FindResourceA(module, name, MAKEINTRESOURCEA(10))) return std::nullopt;  // RT_RCDATA
    return load_resource(module, name);
}

void write_file(const std::string& path, const void* bytes, size_t size, Existing existing) {
    const DWORD disposition = existing == Existing::replace ? CREATE_ALWAYS : CREATE_NEW;
    UniqueHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        throw RuntimeError("Nie można utworzyć pliku " + path + ": " +
                           system_message(GetLastError()));
    DWORD written = 0;
    const auto length = static_cast<DWORD>(size);
    if (!WriteFile(file.get(), bytes, length, &written, nullptr) || written != length)
        throw RuntimeError("Nie można zapisać pliku " + path + ": " +
                           system_message(GetLastError()));
}

std::string read_open_file(HANDLE file, size_t limit, const std::string& path) {
    std::string bytes(limit, '\0');
    size_t total = 0;
    DWORD got = 0;
    while (total < limit) {
        if (!ReadFile(file, bytes.data() + total, static_cast<DWORD>(limit - total), &got, nullptr))
            throw RuntimeError("Nie można odczytać pliku " + path + ": " +
                               system_message(GetLastError()));
        if (got == 0) break;
        total += got;
    }
    bytes.resize(total);
    return bytes;
}

std::optional<std::string> read_small_file(const std::string& path, size_t limit) {
    UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    return read_open_file(file.get(), limit, path);
}

void SaveResourceToFile(HMODULE module, const char* name, const std::string& path) {
    const auto [bytes, size] = find_resource(module, name);
    write_file(path, bytes, size);
}

void create_folder(const std::string& path) {
    if (!CreateDirectoryA(path.c_str(), nullptr))
        throw RuntimeError("Nie można utworzyć folderu " + path + ": " +
                           system_message(GetLastError()));
}

void set_current_folder(const std::string& path) {
    if (!SetCurrentDirectoryA(path.c_str()))
        throw RuntimeError("Nie można przejść do folderu " + path + ": " +
                           system_message(GetLastError()));
}

UniqueHandle hold_folder(const std::string& path) {
    return UniqueHandle(CreateFileA(
        path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

bool set_file_information(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, void* info, DWORD size) {
    using SetInformation = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
    const auto set_information = reinterpret_cast<SetInformation>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetFileInformationByHandle")));
    if (!set_information) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return false;
    }
    return set_information(file, kind, info, size) != 0;
}

bool names_held_file(const std::string& path, HANDLE held) {
    const UniqueHandle named(CreateFileA(
        path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION a{}, b{};
    return named && GetFileInformationByHandle(held, &a) &&
           GetFileInformationByHandle(named.get(), &b) &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

}  // namespace setup::platform
