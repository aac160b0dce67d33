#include "platform/extractor_file.h"

#include <utility>

#include "install/extractor_runner.h"
#include "platform/files.h"
#include "platform/private_folder.h"

namespace setup::platform {

ExtractorFile ExtractorFile::write(const std::string& path, std::string_view bytes) {
    return ExtractorFile(path, write_held_file(path, bytes));
}

ExtractorFile::ExtractorFile(ExtractorFile&& other) noexcept
    : path_(std::move(other.path_)),
      hold_(std::move(other.hold_)),
      removed_(std::exchange(other.removed_, true)) {}

ExtractorFile& ExtractorFile::operator=(ExtractorFile&& other) noexcept {
    if (this != &other) {
        remove();
        path_ = std::move(other.path_);
        hold_ = std::move(other.hold_);
        removed_ = std::exchange(other.removed_, true);
    }
    return *this;
}

bool ExtractorFile::remove(const std::function<void()>& between) {
    if (removed_) return !file_exists(path_);
    removed_ = true;
    hold_.reset();
    return remove_with_retries(
        [this] {
            delete_file(path_);
            return !file_exists(path_);
        },
        [&between] {
            if (between) between();
            Sleep(kDeleteRetryMs);
        });
}

}  // namespace setup::platform
