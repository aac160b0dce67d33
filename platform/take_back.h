#pragma once
// Taking back what a cancelled or failed installation made, one step at a time.
#include <optional>
#include <string>

#include "install/undo_ledger.h"

namespace setup::platform {

// Takes back one step; the message naming what could not be taken back and why, or nullopt
// when it is done or there was nothing left to take (the run may have ended before making it).
std::optional<std::string> take_back(const UndoStep& step);

}  // namespace setup::platform
