#pragma once
// The archiver reports every failure as an Error whose message names what failed
// ("data.uha: block 3 is damaged"); main() prints it as one line and exits non-zero.
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

}  // namespace uha
