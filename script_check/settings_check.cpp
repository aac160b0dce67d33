// Section [I]: the product's settings.
#include <string>

#include "script/integer_text.h"
#include "script_check/checks.h"
#include "script_check/windows_names.h"

namespace setup {

namespace {

// A text setting that must be written and not empty.
struct RequiredText {
    std::string_view key;
    std::string_view what;        // "the product's title"
    std::string_view value_hint;  // what to write after "key="
    std::string_view if_missing;  // what the installer does then
    std::string_view if_empty;
};

// The setting's key, or nullptr when it is missing or empty (both reported).
const KeyLine* required_text(CheckContext& context, const RequiredText& setting) {
    const KeyLine* line = context.key("I", setting.key);
    const std::string name =
        std::string(setting.what) + " (key " + std::string(setting.key) + " in [I])";
    const std::string fix =
        "; write " + std::string(setting.key) + "=<" + std::string(setting.value_hint) + ">";
    if (line == nullptr) {
        const SectionBlock* block = context.section("I");
        context.report(Severity::error, block ? block->line : 0, block ? block->column : 0,
                       name + " is missing: " + std::string(setting.if_missing) + fix);
        return nullptr;
    }
    if (line->value.empty()) {
        context.report_at(Severity::error, *line, 0,
                          name + " is empty: " + std::string(setting.if_empty) + fix);
        return nullptr;
    }
    return line;
}

void check_folder_name(CheckContext& context, const ProductSettings& settings) {
    const KeyLine* line = required_text(
        context, {"2", "the product's folder name", "folder name",
                  "the installer proposes a folder named 'Program'",
                  "the installer would propose the base folder itself as the target"});
    if (line == nullptr) return;
    if (auto problem = folder_name_problem(settings.ProductFolderName)) {
        context.report_at(Severity::error, *line, problem->offset,
                          "the folder name " + quoted(settings.ProductFolderName) +
                              " cannot be a Windows folder: it " + problem->what +
                              "; write a name Windows can hold");
    }
}

void check_archive_name(CheckContext& context) {
    const KeyLine* line = context.key("I", "3");
    if (line == nullptr) return;  // "data.uha"
    if (line->value.empty()) {
        context.report_at(Severity::error, *line, 0,
                          "the archive's name (key 3 in [I]) is empty: the installer would look "
                          "for its own folder as the archive; remove the key (data.uha) or name "
                          "the archive");
    } else if (auto problem = folder_name_problem(line->value)) {
        context.report_at(Severity::error, *line, problem->offset,
                          "the archive's name " + quoted(line->value) +
                              " cannot be a Windows file name: it " + problem->what);
    }
}

void check_uninstaller_switch(CheckContext& context) {
    const KeyLine* line = context.key("I", "4");
    if (line == nullptr) return;
    const auto value = parse_integer_text(line->value);
    if (value && (*value == 0 || *value == 1)) return;
    context.report_at(
        Severity::warning, *line, 0,
        "the uninstaller switch (key 4 in [I]) " +
            (value ? std::to_string(*value) + " is neither 0 nor 1: the installer reads it as on"
                   : quoted(line->value) +
                         " is not a number: the installer keeps the uninstaller on") +
            "; write 1 (on) or 0 (off)");
}

void check_colour(CheckContext& context) {
    const KeyLine* line = context.key("I", "5");
    if (line == nullptr) return;
    const auto value = parse_integer_text(line->value);
    if (value && *value >= 0 && *value <= 0xFFFFFF) return;
    context.report_at(Severity::warning, *line, 0,
                      "the colour (key 5 in [I]) " + quoted(line->value) +
                          (value ? " is outside $000000 to $FFFFFF: the highest byte of a Windows "
                                   "colour is no part of it"
                                 : " is not a number: the installer uses white ($FFFFFF)") +
                          "; write the colour as $BBGGRR (blue, green, red), e.g. $E0A040");
}

// An empty value reads as a missing key: the entry lacks the value, and nothing is misread.
// Worth a warning, as the packager wrote the key to give something; not an error, as the
// installer does with it what it does without it.
bool warn_if_empty(CheckContext& context, const KeyLine& line, std::string_view what,
                   std::string_view value_hint) {
    if (!line.value.empty()) return false;
    context.report_at(Severity::warning, line, 0,
                      std::string(what) + " (key " + std::string(line.name) +
                          " in [I]) is empty: the installer reads it as missing; write " +
                          std::string(line.name) + "=<" + std::string(value_hint) +
                          "> or remove the key");
    return true;
}

constexpr std::string_view kVersionForm = "one to four numbers separated by dots, such as 2.1";

void check_version(CheckContext& context) {
    const KeyLine* line = context.key("I", "6");
    if (line == nullptr || warn_if_empty(context, *line, "the product's version", kVersionForm))
        return;
    if (is_product_version(line->value)) return;
    context.report_at(Severity::error, *line, 0,
                      "the product's version (key 6 in [I]) " + quoted(line->value) +
                          " is not one to four numbers of up to nine digits separated by dots: "
                          "the system's list of programs would show it as written; write 6=<" +
                          std::string(kVersionForm) + ">");
}

void check_publisher(CheckContext& context) {
    if (const KeyLine* line = context.key("I", "7"))
        warn_if_empty(context, *line, "the publisher", "the publisher's name");
}

void check_architecture_key(CheckContext& context) {
    const KeyLine* line = context.key("I", "8");
    if (line == nullptr || parse_architecture(line->value)) return;
    context.report_at(Severity::error, *line, 0,
                      "the product's kind (key 8 in [I]) " + quoted(line->value) +
                          " is neither x86 nor x64: the installer would install it as a 32-bit "
                          "program (x86); write 8=x86 or 8=x64");
}

void check_web_address(CheckContext& context, const ProductSettings& settings) {
    const KeyLine* line = context.key("I", "9");
    if (line == nullptr || warn_if_empty(context, *line, "the web address", "https://...")) return;
    const std::string lower = ascii_lower(line->value);
    if (!lower.starts_with("http://") && !lower.starts_with("https://")) {
        context.report_at(Severity::warning, *line, 0,
                          "the web address (key 9 in [I]) " + quoted(line->value) +
                              " does not start with http:// or https://: the system's list of "
                              "programs shows it as a link that may open nothing");
    }
    if (!settings.complete_entry()) {
        context.report_at(Severity::warning, *line, 0,
                          "the web address (key 9 in [I]) goes into the system's list of "
                          "programs only with the product's version (key 6) or publisher (key "
                          "7), and the script gives neither; write one of them");
    }
}

}  // namespace

void check_settings(CheckContext& context, const ProductSettings& settings) {
    required_text(context, {"1", "the product's title", "title",
                            "the installer shows the title 'Program v1.0'",
                            "the wizard would show no title"});
    check_folder_name(context, settings);
    check_archive_name(context);
    check_uninstaller_switch(context);
    check_colour(context);
    check_version(context);
    check_publisher(context);
    check_architecture_key(context);
    check_web_address(context, settings);
}

}  // namespace setup
