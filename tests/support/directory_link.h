#pragma once
// Directory links for tests of what the installer refuses (Windows only).
#include <filesystem>
#include <string>

namespace testing_support {

// A symbolic link to a folder, removed (the link, not what it points to) when this goes: a
// folder holding a link is then removed as any other.
class DirectoryLink {
  public:
    // Makes `link` a link to the folder `target_name` beside it: through the system's
    // CreateSymbolicLink, or, under Wine, whose CreateSymbolicLink makes nothing, as a Unix
    // symbolic link made by ln (Wine starts Unix programs as it starts its own), which Wine
    // reports as a reparse point.
    DirectoryLink(std::filesystem::path link, const std::string& target_name);
    ~DirectoryLink();
    DirectoryLink(const DirectoryLink&) = delete;
    DirectoryLink& operator=(const DirectoryLink&) = delete;
    // The link shows as a reparse point.
    bool made() const;

  private:
    std::filesystem::path link_;
    std::string unix_link_;  // under Wine
};

}  // namespace testing_support
