#pragma once
// The runtime's error: a failed file, folder, registry, resource or shell-object operation.
// It ends the operation at hand; the application's error box shows its message.
#include <stdexcept>
#include <string>
#include <utility>

namespace setup {

class RuntimeError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A system call that failed: "<what failed>: <the system's reason>", with the reason apart for
// a caller that names the failure in words of its own.
class SystemError : public RuntimeError {
  public:
    SystemError(const std::string& what_failed, std::string reason)
        : RuntimeError(what_failed + ": " + reason), reason_(std::move(reason)) {}
    const std::string& reason() const { return reason_; }

  private:
    std::string reason_;
};

}  // namespace setup
