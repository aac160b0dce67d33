#pragma once
// The file an installation log is written to: made anew (an existing file of that name is
// replaced), each line written through to the system at once, readable by others meanwhile.
#include <string>
#include <string_view>

#include "win_handle.h"

namespace setup::platform {

// The local time as "YYYY-MM-DD hh:mm:ss", for the log's lines.
std::string local_time_text();

class LogFile {
  public:
    // Throws RuntimeError naming the file when it cannot be made.
    explicit LogFile(const std::string& path);
    // Throws RuntimeError naming the file when the write fails.
    void write(std::string_view bytes);

  private:
    std::string path_;
    UniqueHandle file_;
};

}  // namespace setup::platform
