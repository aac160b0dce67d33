#pragma once
// The fuzz target's body, also run by the tests: any bytes read as an uninstall record and
// planned for a fixed installation, and the plan checked against what that installation made.
#include <cstddef>
#include <string>
#include <string_view>

#include "uninstall/record.h"
#include "uninstall/removal_plan.h"

namespace setup::uninstall::fuzz {

// The installation every record is planned for: its folder, what lies in it (a link among
// them), the protected folders and the folders where its shortcuts lie.
const PlanInput& fixed_input();

// Why `plan` reaches outside what `record`'s installation made, or "" when it does not. Every
// file or folder step must name a canonical path that is the target or lies in it (not behind
// a link there), a .lnk file inside the shortcut folders, or a folder inside a Programs
// folder; every value step must be a J line of the record or a digest value of the product's
// uninstall key, and every key step a key the record made (an empty-name line followed by a
// line of the same key), the uninstall key, or a key the installation's list names, never a
// root.
std::string plan_violation(const Record& record, const PlanInput& input, const Plan& plan);

// Reads `bytes`, plans them as the uninstaller does when the record is not refused and checks
// the plan; `steps` receives the number of steps planned (0 when refused).
std::string check_record_bytes(std::string_view bytes, size_t& steps);

}  // namespace setup::uninstall::fuzz
