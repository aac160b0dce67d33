#pragma once
// The extractor's file in the private folder, with its one owner: written and held by the
// start-up, let go for its process to start, and deleted once by whoever is done with it
// first (the run after the extraction, a run that ends before it, or this owner's end).
#include <functional>
#include <string>
#include <string_view>

#include "platform/win_handle.h"

namespace setup::platform {

class ExtractorFile {
  public:
    ExtractorFile() = default;  // no file
    // Writes `bytes` to `path`, which must not exist, and holds it as write_held_file does:
    // nobody can change or delete it until release_for_start(). Throws RuntimeError naming
    // the file and the system's reason.
    static ExtractorFile write(const std::string& path, std::string_view bytes);

    ExtractorFile(ExtractorFile&& other) noexcept;
    ExtractorFile& operator=(ExtractorFile&& other) noexcept;
    ExtractorFile(const ExtractorFile&) = delete;
    ExtractorFile& operator=(const ExtractorFile&) = delete;
    // Removes the file if nobody has.
    ~ExtractorFile() { remove(); }

    const std::string& path() const { return path_; }
    // The handle that holds the file until release_for_start(); null after.
    HANDLE hold() const { return hold_.get(); }
    // Lets go of the hold, so that the file can be deleted once its process has ended; the
    // running process's image cannot be written any more. Called as the process starts.
    void release_for_start() { hold_.reset(); }
    // Lets go of the hold and deletes the file. A file its ended process still locks is tried
    // again for a few seconds (remove_with_retries), `between` answering the window meanwhile;
    // one that stays is left to the private folder. Only the first call acts; true when the
    // file is gone.
    bool remove(const std::function<void()>& between = {});

  private:
    ExtractorFile(std::string path, UniqueHandle hold)
        : path_(std::move(path)), hold_(std::move(hold)), removed_(false) {}
    std::string path_;
    UniqueHandle hold_;
    bool removed_ = true;
};

}  // namespace setup::platform
