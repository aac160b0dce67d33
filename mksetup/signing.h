#pragma once
// Signing through the packager's own command (osslsigncode, signtool, ...): "{in}" and "{out}"
// in it are replaced by the quoted names of an unsigned file and of the signed file it must
// write. Both files are temporary, beside the outputs, and removed afterwards.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace mksetup {

class Signer {
  public:
    // An empty command signs nothing.
    Signer(std::string command, std::string folder, std::string tag, std::FILE* err, bool quiet);
    bool active() const { return !command_.empty(); }
    // The signed form of `program` (shown in messages as `name`). Throws std::runtime_error
    // when the command fails or writes nothing.
    std::vector<uint8_t> sign_bytes(const std::vector<uint8_t>& program, const std::string& name);

    // The command with {in} and {out} replaced (every occurrence).
    static std::string expand(const std::string& command, const std::string& in,
                              const std::string& out);

  private:
    std::string command_, folder_, tag_;
    std::FILE* err_;
    bool quiet_;
};

}  // namespace mksetup
