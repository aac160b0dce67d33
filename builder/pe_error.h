#pragma once
#include <stdexcept>
#include <string>

namespace setup::pe {

// Every refusal of the PE reader and stamper: a damaged or unsupported image, or a change that
// cannot be made safely. The message names what is wrong (the structure, its offset, the value)
// so that the builder can show it after the stub's file name.
class PeError : public std::runtime_error {
  public:
    explicit PeError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace setup::pe
