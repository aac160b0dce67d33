#pragma once
// The file an installation log is written to: made anew (an existing file of that name is
// replaced), each line written through to the system at once, readable by others meanwhile.
#include <string>
#include <string_view>

#include "platform/win_handle.h"

namespace setup::platform {

// The local time as "YYYY-MM-DD hh:mm:ss", for the log's lines.
std::string local_time_text();

class LogFile {
  public:
    // `replace` makes the file anew and lets others only read it; `append` adds to the end of
    // the file (made when missing) and lets another process append to it meanwhile, for a log
    // two processes write in turn.
    enum class Opening { replace, append };
    // Throws RuntimeError naming the file when it cannot be made or opened.
    explicit LogFile(const std::string& path, Opening opening = Opening::replace);
    // Throws RuntimeError naming the file when the write fails.
    void write(std::string_view bytes);

  private:
    std::string path_;
    UniqueHandle file_;
};

}  // namespace setup::platform
