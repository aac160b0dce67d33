#pragma once
// What became of each step of the plan, told the user at the end.
#include <string>
#include <vector>

#include "common/command_line.h"
#include "uninstall/record.h"
#include "uninstall/removal_plan.h"

namespace setup::uninstall {

using takeback::Outcome;
using takeback::Result;

class Report {
  public:
    void add(const Step& step, const Result& result);
    // A failure that belongs to no step, told as it is.
    void add_failure(const std::string& message) { failures_.push_back(message); }
    // The user stopped the removal; `anything_removed` says whether a step had run.
    void stopped(bool anything_removed) {
        stopped_ = true;
        removed_some_ = anything_removed;
    }
    bool has_failures() const { return !failures_.empty(); }

    // What a deployment tool is told: cancelled when stopped, later_step_failed when
    // something could not be removed, restart_needed when something goes at the next
    // restart, else done.
    ExitCode exit_code() const;

    // The status line: the record's "finished" text when the plan ran to its end and nothing
    // failed (files kept on purpose and removals at restart are no failure).
    std::string status(const Record& record) const;

    // What could not be removed, what goes at restart, the files kept (under the record's
    // heading for them), and the record lines skipped and left alone.
    std::vector<std::string> lines(const Record& record, const Plan& plan) const;

  private:
    std::vector<std::string> failures_;
    std::vector<std::string> scheduled_;
    bool stopped_ = false;
    bool removed_some_ = false;
};

// The log's line for one step: "usunięto: <what>", "nie było: ", "pozostaje (niepusty): ",
// "usunięcie po restarcie: ", or "błąd: nie można usunąć <what>: <reason>".
std::string log_line(const Step& step, const Result& result);

}  // namespace setup::uninstall
