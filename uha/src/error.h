#pragma once
// The archiver reports every failure as an Error whose message names what failed
// ("data.uha: block 3 is damaged"); main() prints it as one line and exits non-zero.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace uha {

class Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A damaged or hostile archive: sizes, names or checksums that do not add up.
class FormatError : public Error {
  public:
    using Error::Error;
};

// The destination's volume cannot hold what extraction would write; nothing was written.
// main() prints "uha: not enough space: <needed> bytes needed, <free> bytes free" and exits
// with status 3, which the installer tells from other failures.
class NoSpaceError : public Error {
  public:
    NoSpaceError(uint64_t needed, uint64_t available)
        : Error("not enough space: " + std::to_string(needed) + " bytes needed, " +
                std::to_string(available) + " bytes free"),
          needed(needed),
          available(available) {}
    uint64_t needed;
    uint64_t available;
};

}  // namespace uha
