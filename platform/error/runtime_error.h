#pragma once
// The runtime's error: a failed file, folder, registry, resource or shell-object operation.
// It ends the operation at hand; the application's error box shows its message.
#include <stdexcept>

namespace setup {

class RuntimeError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace setup
