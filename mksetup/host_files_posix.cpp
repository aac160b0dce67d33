#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "mksetup/host_files.h"

namespace mksetup {

namespace {

[[noreturn]] void fail(const std::string& what, const std::string& path) {
    throw FileError("cannot " + what + " " + path + ": " + std::strerror(errno));
}

}  // namespace

std::vector<uint8_t> read_file(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) fail("read", path);
    std::vector<uint8_t> bytes;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        throw FileError("cannot read " + path + ": it is a folder");
    }
    if (st.st_size > 0) bytes.reserve(static_cast<size_t>(st.st_size));
    uint8_t buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int saved = errno;
            ::close(fd);
            errno = saved;
            fail("read", path);
        }
        if (n == 0) break;
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    ::close(fd);
    return bytes;
}

void write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) fail("write", path);
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int saved = errno;
            ::close(fd);
            errno = saved;
            fail("write", path);
        }
        done += static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) fail("write", path);
}

void replace_file(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) fail("write", to);
}

void remove_file_quietly(const std::string& path) noexcept {
    ::unlink(path.c_str());
}

bool is_folder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool is_file(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void make_folders(const std::string& path) {
    if (path.empty() || is_folder(path)) return;
    make_folders(folder_of(path));
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) fail("create the folder", path);
}

std::string folder_of(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return "";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string join_path(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string native_separators(std::string name) {
    for (char& c : name)
        if (c == '\\') c = '/';
    return name;
}

std::string own_path() {
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        throw FileError(std::string("cannot find this program's file: ") + std::strerror(errno));
    return std::string(buffer, static_cast<size_t>(n));
}

bool stderr_is_terminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

int run_shell_command(const std::string& command) {
    std::fflush(nullptr);
    const int status = std::system(command.c_str());
    if (status == -1) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string shell_quote(const std::string& path) {
    std::string quoted = "'";
    for (char c : path) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

unsigned long process_id() {
    return static_cast<unsigned long>(::getpid());
}

}  // namespace mksetup
