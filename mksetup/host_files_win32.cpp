#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "mksetup/host_files.h"
#include "platform/files.h"
#include "platform/win_handle.h"

namespace mksetup {

namespace {

[[noreturn]] void fail(const std::string& what, const std::string& path) {
    const DWORD code = GetLastError();
    throw FileError("cannot " + what + " " + path + ": " + setup::platform::system_message(code));
}

}  // namespace

std::vector<uint8_t> read_file(const std::string& path) {
    if (is_folder(path)) throw FileError("cannot read " + path + ": it is a folder");
    const setup::platform::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                                         FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                         FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) fail("read", path);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) fail("read", path);
    std::vector<uint8_t> bytes(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
        if (!ReadFile(file.get(), bytes.data() + done, want, &got, nullptr)) fail("read", path);
        if (got == 0) throw FileError("cannot read " + path + ": it ended early");
        done += got;
    }
    return bytes;
}

void write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
    const setup::platform::UniqueHandle file(CreateFileA(
        path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) fail("write", path);
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD wrote = 0;
        const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
        if (!WriteFile(file.get(), bytes.data() + done, want, &wrote, nullptr)) fail("write", path);
        done += wrote;
    }
    if (!FlushFileBuffers(file.get())) fail("write", path);
}

void replace_file(const std::string& from, const std::string& to) {
    if (!MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        fail("write", to);
}

void remove_file_quietly(const std::string& path) noexcept {
    DeleteFileA(path.c_str());
}

bool is_folder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool is_file(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void make_folders(const std::string& path) {
    if (path.empty() || is_folder(path)) return;
    const std::string parent = folder_of(path);
    if (parent != path) make_folders(parent);
    if (!CreateDirectoryA(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        fail("create the folder", path);
}

std::string folder_of(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return "";
    // "C:\" and "\" keep their separator: they name a root.
    if (slash == 0 || (slash == 2 && path[1] == ':')) return path.substr(0, slash + 1);
    return path.substr(0, slash);
}

std::string join_path(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    const char last = folder.back();
    return last == '\\' || last == '/' ? folder + name : folder + "\\" + name;
}

std::string native_separators(std::string name) {
    for (char& c : name)
        if (c == '/') c = '\\';
    return name;
}

std::string own_path() {
    char buffer[MAX_PATH + 1];
    const DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    if (n == 0 || n >= sizeof buffer) fail("find", "this program's file");
    return std::string(buffer, n);
}

bool stderr_is_terminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

int run_shell_command(const std::string& command) {
    std::fflush(nullptr);
    // cmd /c drops the first and the last quote of a line that starts with one: an outer
    // pair keeps the command's own quotes.
    return std::system(("\"" + command + "\"").c_str());
}

std::string shell_quote(const std::string& path) {
    return "\"" + path + "\"";
}

unsigned long process_id() {
    return GetCurrentProcessId();
}

}  // namespace mksetup
