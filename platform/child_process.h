#pragma once
// The extractor as a hidden child process writing into an anonymous pipe.
#include <memory>
#include <string>

#include "install/extractor_runner.h"

namespace setup::platform {

// Makes the pipe (both ends inheritable) and starts the command hidden, its output the
// pipe's write end and its input the read end of the same pipe, no error handle.
ExtractorSystem::Started start_extractor(const std::string& command_line);

}  // namespace setup::platform
