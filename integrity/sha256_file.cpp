#include <cerrno>
#include <cstdio>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "integrity/sha256.h"

namespace setup {

namespace {

// Large enough that the per-call cost of the library and the system is lost in the hashing,
// small enough to be allocated at once on a 32-bit system.
constexpr size_t kChunkSize = size_t{1} << 20;

std::string errno_text(int code) {
    return std::error_code(code, std::generic_category()).message();
}

// One owner of the open file.
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

std::optional<Sha256Digest> sha256_file(const std::string& native_path,
                                        const std::function<bool()>& between_chunks) {
    // The C runtime takes the narrow path as the system does: bytes on Linux, the ANSI code
    // page on Windows.
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(native_path.c_str(), "rb"));
    if (!file) throw std::runtime_error("cannot open " + native_path + ": " + errno_text(errno));
    Sha256 hash;
    std::vector<unsigned char> chunk(kChunkSize);
    while (true) {
        const size_t n = std::fread(chunk.data(), 1, chunk.size(), file.get());
        hash.update(chunk.data(), n);
        if (n == chunk.size()) {
            if (!between_chunks()) return std::nullopt;
            continue;
        }
        // A short read is the end of the file or an error (on Linux, a folder fails here).
        if (std::ferror(file.get()))
            throw std::runtime_error("cannot read " + native_path + ": " + errno_text(errno));
        return hash.finish();
    }
}

Sha256Digest sha256_file(const std::string& native_path) {
    return *sha256_file(native_path, [] { return true; });
}

}  // namespace setup
