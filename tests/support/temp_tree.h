#pragma once
// Test helpers for folders of files. Names are UTF-8 on every system (std::filesystem
// turns them into the system's wide names on Windows).
#include <filesystem>
#include <map>
#include <string>

namespace testing_support {

std::filesystem::path u8(const std::string& utf8);
std::string utf8_of(const std::filesystem::path& path);

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& utf8) const { return path_ / u8(utf8); }

  private:
    std::filesystem::path path_;
};

void write_file(const std::filesystem::path& path, const std::string& bytes);
std::string read_file(const std::filesystem::path& path);

// Everything below root: "name" -> contents for files, "name/" -> "" for folders.
std::map<std::string, std::string> snapshot(const std::filesystem::path& root);

// Bytes that LZMA cannot shrink much, the same for the same seed.
std::string noise(size_t size, uint32_t seed);

// The path as the system's native narrow API takes it (ANSI on Windows).
std::string native(const std::filesystem::path& path);

}  // namespace testing_support
