#pragma once
#include "uha/src/archive.h"
#include "uha/src/output.h"

namespace uha {

// One line per entry: size, its estimated share of the packed archive, name (folders end
// in "/"); then a summary line.
void list_archive(const Archive& archive, uint64_t archive_size, LineSink& sink);

}  // namespace uha
