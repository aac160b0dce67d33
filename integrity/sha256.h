#pragma once
// SHA-256 through the system's own implementation: OpenSSL's libcrypto on Linux, CryptoAPI
// (advapi32) on Windows. Portable: includes neither system's headers.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace setup {

using Sha256Digest = std::array<uint8_t, 32>;

// A digest fed in pieces. Any split of the same bytes gives the same digest. Errors of the
// underlying library throw std::runtime_error naming the call that failed.
class Sha256 {
  public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void update(const void* data, size_t size);
    // The digest of everything fed since construction or the last finish(); the object then
    // starts a new, empty digest.
    Sha256Digest finish();

  private:
    struct State;  // the library's context; one owner, released by the destructor
    std::unique_ptr<State> state_;
};

// The digest of a whole file, read in large chunks. `native_path` is a path as the system
// takes it: bytes on Linux, the ANSI code page on Windows. Throws std::runtime_error naming
// the file when it cannot be opened or read.
Sha256Digest sha256_file(const std::string& native_path);
// The same, calling `between_chunks` after each full chunk (whenever more of the file may
// follow), so that a caller can keep a window alive; when it returns false the reading stops
// and the result is nullopt.
std::optional<Sha256Digest> sha256_file(const std::string& native_path,
                                        const std::function<bool()>& between_chunks);

// 64 lowercase hexadecimal digits.
std::string to_hex(const Sha256Digest& digest);
// The digest written by exactly 64 hexadecimal digits (either case, nothing around them);
// nullopt for any other text.
std::optional<Sha256Digest> digest_from_hex(std::string_view text);

}  // namespace setup
