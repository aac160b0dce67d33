#pragma once
// What the builder needs of the system it runs on, implemented by host_files_posix.cpp and
// host_files_win32.cpp. Paths are "native": bytes on Linux, the ANSI code page on Windows.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace mksetup {

// A failed file operation; the message names the file and the system's reason.
class FileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

std::vector<uint8_t> read_file(const std::string& path);
// Writes `bytes` to `path`, replacing what is there.
void write_file(const std::string& path, const std::vector<uint8_t>& bytes);
// Moves `from` to `to`, replacing `to` in one step where the system allows it.
void replace_file(const std::string& from, const std::string& to);
// Removes a file; a file that is not there is no error. Never throws.
void remove_file_quietly(const std::string& path) noexcept;
bool is_folder(const std::string& path);
bool is_file(const std::string& path);
// Creates the folder and its missing parents.
void make_folders(const std::string& path);
// The folder part of a path, without its trailing separator ("" when there is none).
std::string folder_of(const std::string& path);
std::string join_path(const std::string& folder, const std::string& name);
// Turns "\" and "/" in a relative name into this system's separator.
std::string native_separators(std::string name);
// This program's own file.
std::string own_path();
// Whether standard error is a terminal (a console on Windows), where progress may redraw
// its line.
bool stderr_is_terminal();
// Runs a command line through the system's shell and returns its exit status.
int run_shell_command(const std::string& command);
// A path argument quoted for the system's shell.
std::string shell_quote(const std::string& path);
// The process id, for temporary names of our own.
unsigned long process_id();

// Removes a file when destroyed, unless released: temporary outputs never outlive a failure.
class TemporaryFile {
  public:
    explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
    ~TemporaryFile() {
        if (!path_.empty()) remove_file_quietly(path_);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::string& path() const { return path_; }
    void release() { path_.clear(); }

  private:
    std::string path_;
};

}  // namespace mksetup
