#pragma once
// The setup script read through Windows' private-profile reader, one lookup per key.
#include <string>

#include "script/ini_reader.h"

namespace setup::platform {

class ProfileFile : public IniReader {
  public:
    explicit ProfileFile(std::string path) : path_(std::move(path)) {}
    std::string read(std::string_view section, std::string_view key,
                     std::string_view default_value) const override;

  private:
    std::string path_;
};

}  // namespace setup::platform
