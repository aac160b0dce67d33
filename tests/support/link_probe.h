#pragma once
// Reads shell links (".lnk") for tests and tools (Windows only; the caller has initialised
// the component object library).
#include <optional>
#include <string>

namespace testing_support {

struct Link {
    std::string path, working_folder, arguments;
};

// The target, working folder and arguments a link file holds; nullopt when it cannot be read.
std::optional<Link> read_link(const std::string& link_path);

}  // namespace testing_support
