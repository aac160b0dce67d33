#include "uninstall/report.h"

#include "uninstall/texts.h"

namespace setup::uninstall {

namespace {

std::string subject(const Step& step) {
    return step.action == Action::delete_value || step.action == Action::restore_value ||
                   step.action == Action::delete_key
               ? describe(step.registry)
               : step.path;
}

}  // namespace

void Report::add(const Step& step, const Result& result) {
    if (result.outcome == Outcome::scheduled) scheduled_.push_back(subject(step));
    if (result.outcome != Outcome::failed) return;
    std::string line = "Nie można usunąć ";
    line += subject(step);
    if (!result.reason.empty()) line += ": " + result.reason;
    failures_.push_back(line);
}

ExitCode Report::exit_code() const {
    if (stopped_) return ExitCode::cancelled;
    if (!failures_.empty()) return ExitCode::later_step_failed;
    if (!scheduled_.empty()) return ExitCode::restart_needed;
    return ExitCode::done;
}

std::string log_line(const Step& step, const Result& result) {
    // A key line's own step removes the key's default value; the key goes with its own step.
    const std::string what = step.action == Action::delete_value && step.registry.value.empty()
                                 ? subject(step) + " (wartość domyślna)"
                                 : subject(step);
    switch (result.outcome) {
        case Outcome::removed:
            return "usunięto: " + what;
        case Outcome::absent:
            return "nie było: " + what;
        case Outcome::not_empty:
            return "pozostaje (niepusty): " + what;
        case Outcome::scheduled:
            return "usunięcie po restarcie: " + what;
        case Outcome::failed:
            break;
    }
    return "błąd: nie można usunąć " + what + (result.reason.empty() ? "" : ": " + result.reason);
}

std::string Report::status(const Record& record) const {
    if (stopped_) return "Usuwanie przerwane.";
    if (!failures_.empty()) return "Nie wszystko udało się usunąć.";
    return text(record, kFinished);
}

std::vector<std::string> Report::lines(const Record& record, const Plan& plan) const {
    std::vector<std::string> out;
    if (stopped_)
        out.push_back(removed_some_ ? "Część plików i ustawień pozostała; program "
                                      "odinstalowujący i jego plik uninstal.ini także."
                                    : "Nic nie zostało usunięte.");
    out.insert(out.end(), failures_.begin(), failures_.end());
    for (const std::string& path : scheduled_)
        out.push_back(format_text(text(record, kRemovedAtRestart), {path}));
    if (!plan.kept.empty()) {
        out.push_back(text(record, kKeptFiles));
        out.insert(out.end(), plan.kept.begin(), plan.kept.end());
    }
    out.insert(out.end(), record.notes.begin(), record.notes.end());
    out.insert(out.end(), plan.notes.begin(), plan.notes.end());
    return out;
}

}  // namespace setup::uninstall
