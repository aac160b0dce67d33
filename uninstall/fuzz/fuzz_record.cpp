// libFuzzer target for the uninstall record: whatever bytes lie in uninstal.ini, the plan the
// uninstaller makes from them removes nothing outside what the installation made. A plan that
// does aborts, so that libFuzzer keeps the input. The checks are stated afresh here, not
// taken from the planner, so that a fault there shows.
#include "uninstall/fuzz/fuzz_record.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "paths/paths.h"
#include "record/uninstall_record.h"

namespace setup::uninstall::fuzz {

namespace {

// The record folder: records that name another one are refused before any plan is made.
constexpr std::string_view kFolder = "C:\\Gry\\Zolw";
constexpr std::string_view kUserPrograms =
    "C:\\Users\\jan\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs";
constexpr std::string_view kCommonPrograms =
    "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";

bool strictly_inside(std::string_view path, const std::vector<std::string>& folders) {
    for (const std::string& folder : folders)
        if (paths::is_within(path, folder) && !paths::same_path(path, folder)) return true;
    return false;
}

bool ends_with_lnk(std::string_view path) {
    return path.size() > 4 &&
           paths::fold_case(path.substr(path.size() - 4)) == paths::fold_case(".lnk");
}

// The key texts compared as the system compares them: letters without case, no trailing
// separator.
std::string key_text(std::string_view key) {
    while (key.ends_with('\\')) key.remove_suffix(1);
    return paths::fold_case(key);
}

bool path_allowed(const Step& step, const PlanInput& input) {
    if (!paths::is_canonical(step.path)) return false;
    if (paths::is_within(step.path, input.target)) {
        for (const TreeEntry& entry : input.tree)
            if (entry.link && paths::is_within(step.path, input.target + "\\" + entry.relative))
                return false;
        return true;
    }
    if (step.action == Action::delete_file)
        return ends_with_lnk(step.path) && strictly_inside(step.path, input.shortcut_folders);
    return strictly_inside(step.path, input.programs_folders);
}

}  // namespace

const PlanInput& fixed_input() {
    static const PlanInput input = [] {
        PlanInput in;
        in.target = std::string(kFolder);
        in.uninstaller = in.target + "\\Odinstaluj.exe";
        in.record_path = in.target + "\\uninstal.ini";
        in.record_time = 1000;
        in.tree = {{"Odinstaluj.exe", false, false, 900},
                   {"uninstal.ini", false, false, 1000},
                   {"gra.exe", false, false, 900},
                   {"dane", true, false, 900},
                   {"dane\\poziom.dat", false, false, 900},
                   {"dane\\zapis.sav", false, false, 2000},
                   {"lacze", true, true, 900}};
        in.programs_folders = {std::string(kUserPrograms), std::string(kCommonPrograms)};
        in.shortcut_folders = {std::string(kUserPrograms), std::string(kCommonPrograms),
                               std::string(kUserPrograms) + "\\Startup", "C:\\Users\\jan\\Desktop",
                               "C:\\Users\\Public\\Desktop"};
        in.protected_folders = {"C:\\Windows",
                                "C:\\Windows\\System32",
                                "C:\\Program Files",
                                "C:\\Users\\jan",
                                "C:\\Users\\jan\\Desktop",
                                "C:\\Users\\Public\\Desktop",
                                std::string(kUserPrograms),
                                std::string(kCommonPrograms),
                                std::string(kUserPrograms) + "\\Startup"};
        return in;
    }();
    return input;
}

std::string plan_violation(const Record& record, const PlanInput& input, const Plan& plan) {
    auto same_key = [](const RegistryLine& a, const RegistryLine& b) {
        return a.root == b.root && key_text(a.key) == key_text(b.key);
    };
    std::vector<RegistryLine> made;
    const std::vector<RegistryLine>& lines = record.registry;
    for (size_t i = 0; i + 1 < lines.size(); ++i)
        if (lines[i].value.empty() && same_key(lines[i], lines[i + 1])) made.push_back(lines[i]);
    // The product's uninstall key: the first registry line, a name below the parent.
    const std::string parent = paths::fold_case(kUninstallKeysParent);  // ends in a separator
    const std::string first = lines.empty() ? "" : paths::fold_case(lines[0].key);
    std::vector<RegistryLine> values = lines;
    if (!lines.empty() && lines[0].root == RegistryRoot::local_machine && lines[0].value.empty() &&
        first.starts_with(parent) && first.size() > parent.size() && first[parent.size()] != '\\') {
        made.push_back(lines[0]);
        for (std::string_view digest : {kRecordDigestValue, kInstalledListDigestValue})
            values.push_back({lines[0].root, lines[0].key, std::string(digest)});
    }
    if (input.installed)
        made.insert(made.end(), input.installed->keys.begin(), input.installed->keys.end());

    for (const Step& step : plan.steps) {
        if (step.action == Action::delete_file || step.action == Action::remove_folder) {
            if (!path_allowed(step, input)) return "outside the installation: " + step.path;
            continue;
        }
        const RegistryLine& line = step.registry;
        auto named = [&](const std::vector<RegistryLine>& among, bool with_value) {
            for (const RegistryLine& other : among)
                if (same_key(line, other) &&
                    (!with_value || paths::fold_case(line.value) == paths::fold_case(other.value)))
                    return true;
            return false;
        };
        if (step.action == Action::delete_key) {
            if (key_text(line.key).empty() || !named(made, false))
                return "a key the installation did not make: " + describe(line);
        } else if (!named(values, true)) {
            return "a value the record does not name: " + describe(line);
        }
    }
    return "";
}

std::string check_record_bytes(std::string_view bytes, size_t& steps) {
    steps = 0;
    const Record record = parse_record(bytes);
    PlanInput input = fixed_input();
    if (!refusal(record, kFolder, input.protected_folders).empty()) return "";
    input.target = *find_target(record, kFolder);
    const Plan plan = make_plan(record, input);
    steps = plan.steps.size();
    return plan_violation(record, input, plan);
}

}  // namespace setup::uninstall::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    size_t steps = 0;
    const std::string why = setup::uninstall::fuzz::check_record_bytes(
        std::string_view(reinterpret_cast<const char*>(data), size), steps);
    if (!why.empty()) {
        std::fprintf(stderr, "%s\n", why.c_str());
        std::abort();
    }
    return 0;
}
