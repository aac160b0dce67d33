#pragma once
// The extractor as a hidden child process writing into an anonymous pipe.
#include <windows.h>

#include <memory>
#include <string>

#include "install/extractor_runner.h"

namespace setup::platform {

// Makes the pipe (both ends inheritable) and starts the command hidden, its output the
// pipe's write end and its input the read end of the same pipe, no error handle. The command
// starts with the program `image`, which `held` holds open: the process runs only once
// `image` is seen to name the file held, else it is ended and the start fails.
ExtractorSystem::Started start_extractor(const std::string& command_line, const std::string& image,
                                         HANDLE held);

}  // namespace setup::platform
