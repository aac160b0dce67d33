// The record fuzz target's body, run on its seed records and on many records made from them,
// and its check shown to catch plans that reach outside the installation.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "uninstall/fuzz/fuzz_record.h"

using namespace setup::uninstall;
using namespace setup::uninstall::fuzz;
using setup::RegistryRoot;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::vector<std::string> seeds() {
    std::vector<std::string> out;
    for (const auto& entry : std::filesystem::directory_iterator(FUZZ_RECORD_CORPUS)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        out.push_back(bytes.str());
    }
    return out;
}

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line + "\n");
    return out;
}

// A record made from `seed` by one of the changes a hostile editor of the record makes.
std::string mutate(const std::string& seed, const std::vector<std::string>& pool,
                   std::mt19937& random) {
    static const std::string fragments[] = {"..\\",  "\\\\?\\", ":",    "\\\\srv\\s\\", ".",
                                            "J0,0,", ",",       "\r\n", "\\",           " "};
    std::vector<std::string> lines = split_lines(seed);
    if (lines.empty()) return seed;
    auto pick = [&random](size_t n) {
        return std::uniform_int_distribution<size_t>(0, n - 1)(random);
    };
    std::string& line = lines[pick(lines.size())];
    switch (pick(5)) {
        case 0:  // a fragment within a line
            line.insert(pick(line.size()), fragments[pick(std::size(fragments))]);
            break;
        case 1:  // a line of another record
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(pick(lines.size())),
                         pool[pick(pool.size())]);
            break;
        case 2:  // a line twice
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(pick(lines.size())), line);
            break;
        case 3:  // two lines swapped
            std::swap(line, lines[pick(lines.size())]);
            break;
        default:  // a line dropped
            line.clear();
            break;
    }
    std::string out;
    for (const std::string& l : lines) out += l;
    return out;
}

}  // namespace

TEST(UninstallFuzzRecord, SeedsAndRecordsMadeFromThemPlanNothingOutside) {
    const std::vector<std::string> records = seeds();
    ASSERT_GE(records.size(), 3u);
    std::vector<std::string> pool;
    for (const std::string& record : records) {
        size_t steps = 0;
        EXPECT_EQ(check_record_bytes(record, steps), "");
        EXPECT_GT(steps, 3u) << "each seed is planned, not refused";
        EXPECT_EQ(
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(record.data()), record.size()),
            0);
        for (const std::string& line : split_lines(record)) pool.push_back(line);
    }
    std::mt19937 random(20261208);
    for (int round = 0; round < 3000; ++round) {
        std::string record = records[round % records.size()];
        for (int change = 0; change <= round % 4; ++change) record = mutate(record, pool, random);
        size_t steps = 0;
        ASSERT_EQ(check_record_bytes(record, steps), "") << record;
    }
}

// The check itself: a step added to the plan of a genuine record is caught exactly when it
// reaches outside the installation.
TEST(UninstallFuzzRecord, TheCheckCatchesStepsOutsideTheInstallation) {
    std::string genuine;
    for (const std::string& record : seeds())
        if (record.find("Startup\\Gra.lnk") != std::string::npos &&
            record.find("txtfile") == std::string::npos)
            genuine = record;
    ASSERT_FALSE(genuine.empty());
    const Record record = parse_record(genuine);
    const PlanInput& input = fixed_input();
    const Plan plan = make_plan(record, input);
    ASSERT_EQ(plan_violation(record, input, plan), "");

    const std::string programs =
        "C:\\Users\\jan\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs";
    auto file = [](std::string path) { return Step{Action::delete_file, Phase::files, path, {}}; };
    auto folder = [](std::string path) {
        return Step{Action::remove_folder, Phase::files, path, {}};
    };
    auto value = [](RegistryRoot root, std::string key, std::string name) {
        return Step{Action::delete_value, Phase::registry, "", {root, key, name}};
    };
    auto key = [](RegistryRoot root, std::string key) {
        return Step{Action::delete_key, Phase::registry, "", {root, key, ""}};
    };
    struct Case {
        Step step;
        bool caught;
    };
    const Case cases[] = {
        {file("C:\\Gry\\Zolw\\dane\\inny.dat"), false},
        {file("C:\\Gry\\Zolw\\..\\Inna\\a.dat"), true},
        {file("C:\\Gry\\Zolw\\gra.exe:strumien"), true},
        {file("\\\\?\\C:\\Gry\\Zolw\\gra.exe"), true},
        {file("C:\\Gry\\Zolw\\lacze\\hosts"), true},
        {file("C:\\Windows\\win.ini"), true},
        {file("C:\\Users\\jan\\Desktop\\Inny.lnk"), false},
        {file("C:\\Users\\jan\\Desktop\\Raport.doc"), true},
        {file("C:\\Users\\jan\\Documents\\Praca.lnk"), true},
        {folder(programs + "\\Inna grupa"), false},
        {folder(programs), true},
        {folder("C:\\Users\\jan\\Desktop\\Folder"), true},
        {value(RegistryRoot::current_user, "Software\\Żółw\\Opcje", "Tryb"), true},
        {value(RegistryRoot::current_user, "Software", "Cokolwiek"), true},
        {value(RegistryRoot::classes_root, "txtfile", ""), true},
        {value(RegistryRoot::classes_root, ".zolw", ""), false},
        {value(RegistryRoot::local_machine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
               "Gra"),
         true},
        {key(RegistryRoot::current_user, "Software\\Istniejący"), true},
        {key(RegistryRoot::current_user, "Software\\Żółw\\Opcje"), true},
        {key(RegistryRoot::current_config, "Software\\Gra"), false},
    };
    for (const Case& c : cases) {
        Plan forged = plan;
        forged.steps.insert(forged.steps.begin(), c.step);
        const std::string why = plan_violation(record, input, forged);
        EXPECT_EQ(!why.empty(), c.caught) << c.step.path << describe(c.step.registry) << why;
    }
}
