#include "common/command_line.h"

#include <vector>

namespace setup {

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

std::string upper_ascii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

struct Switch {
    std::string name;  // upper case, with its slash: "/LOG"
    std::optional<std::string> value;
    std::string text;  // as written, for messages
};

std::string trimmed_right(std::string_view text) {
    while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
    return std::string(text);
}

// Splits the arguments into switches; an ArgumentError for a text that is no switch or an
// unclosed quote. `silent` turns true as soon as /S is read, also when a later word is refused.
std::variant<std::vector<Switch>, ArgumentError> split(std::string_view line, bool& silent) {
    std::vector<Switch> switches;
    size_t at = 0;
    while (true) {
        while (at < line.size() && is_blank(line[at])) ++at;
        if (at == line.size()) return switches;
        const size_t start = at;
        std::string token;
        std::optional<std::string> value;
        if (line[at] == '"') {  // "/LOG=C:\a b.log": the whole switch quoted
            const size_t close = line.find('"', at + 1);
            if (close == std::string_view::npos)
                return ArgumentError{"unclosed quote in " + std::string(line.substr(start))};
            token = std::string(line.substr(at + 1, close - at - 1));
            at = close + 1;
            if (const size_t eq = token.find('='); eq != std::string::npos) {
                value = token.substr(eq + 1);
                token.resize(eq);
            }
        } else {
            while (at < line.size() && !is_blank(line[at]) && line[at] != '=') token += line[at++];
            if (at < line.size() && line[at] == '=') {
                ++at;
                if (upper_ascii(token) == "/D") {  // the rest of the line, as peers take it
                    value = trimmed_right(line.substr(at));
                    at = line.size();
                } else if (at < line.size() && line[at] == '"') {
                    const size_t close = line.find('"', at + 1);
                    if (close == std::string_view::npos)
                        return ArgumentError{"unclosed quote in " +
                                             std::string(line.substr(start))};
                    value = std::string(line.substr(at + 1, close - at - 1));
                    at = close + 1;
                } else {
                    value.emplace();
                    while (at < line.size() && !is_blank(line[at])) *value += line[at++];
                }
            }
        }
        const std::string text(line.substr(start, at - start));
        if (token.size() < 2 || token[0] != '/')
            return ArgumentError{"'" + text + "' is no switch (switches start with /)"};
        switches.push_back({upper_ascii(token), std::move(value), text});
        silent = silent || switches.back().name == "/S";
    }
}

// What a switch sets: a flag, or a text that must not be empty.
struct Field {
    const char* name;
    bool* flag = nullptr;
    std::optional<std::string>* text = nullptr;
};

std::optional<ArgumentError> apply(const std::vector<Switch>& switches,
                                   const std::vector<Field>& fields) {
    std::vector<bool> seen(fields.size(), false);
    for (const Switch& s : switches) {
        size_t i = 0;
        while (i < fields.size() && s.name != fields[i].name) ++i;
        if (i == fields.size()) return ArgumentError{"unknown switch '" + s.text + "'"};
        if (seen[i]) return ArgumentError{"switch " + s.name + " given twice"};
        seen[i] = true;
        const Field& f = fields[i];
        if (f.flag) {
            if (s.value) return ArgumentError{"switch " + s.name + " takes no value"};
            *f.flag = true;
        } else {
            if (!s.value || s.value->empty())
                return ArgumentError{"switch " + s.name + " needs a value: " + s.name + "=..."};
            *f.text = s.value;
        }
    }
    return std::nullopt;
}

// Splits `line` and sets `fields` from it; the refusal, told whether /S was among the switches
// read, when there is one.
std::optional<ArgumentError> parse_switches(std::string_view line,
                                            const std::vector<Field>& fields) {
    bool silent = false;
    auto split_result = split(line, silent);
    std::optional<ArgumentError> error;
    if (auto* refused = std::get_if<ArgumentError>(&split_result))
        error = *refused;
    else
        error = apply(std::get<std::vector<Switch>>(split_result), fields);
    if (error) error->silent = silent;
    return error;
}

}  // namespace

std::string_view arguments_of(std::string_view command_line) {
    size_t at = 0;
    if (!command_line.empty() && command_line[0] == '"') {
        const size_t close = command_line.find('"', 1);
        at = close == std::string_view::npos ? command_line.size() : close + 1;
    }
    while (at < command_line.size() && !is_blank(command_line[at])) ++at;
    while (at < command_line.size() && is_blank(command_line[at])) ++at;
    return command_line.substr(at);
}

std::variant<SetupArguments, ArgumentError> parse_setup_arguments(std::string_view arguments) {
    SetupArguments a;
    if (auto error = parse_switches(arguments, {{"/S", &a.silent},
                                                {"/P", &a.passive},
                                                {"/?", &a.help},
                                                {"/RUN", &a.run_programs},
                                                {"/FORCE", &a.force},
                                                {"/D", nullptr, &a.target},
                                                {"/GROUP", nullptr, &a.group},
                                                {"/LOG", nullptr, &a.log}}))
        return *error;
    return a;
}

std::variant<UninstallArguments, ArgumentError> parse_uninstall_arguments(
    std::string_view arguments) {
    UninstallArguments a;
    if (auto error = parse_switches(
            arguments, {{"/S", &a.silent}, {"/?", &a.help}, {"/LOG", nullptr, &a.log}}))
        return *error;
    return a;
}

std::string setup_switches_text() {
    return "Setup.exe [/S | /P] [/GROUP=nazwa] [/LOG=plik] [/RUN] [/FORCE] [/D=folder]\r\n"
           "\r\n"
           "/S\tbez kreatora i bez pytań\r\n"
           "/P\ttylko strona postępu, bez pytań\r\n"
           "/D=\tfolder docelowy (reszta wiersza, także ze spacjami)\r\n"
           "/GROUP=\tgrupa w menu Start\r\n"
           "/LOG=\tplik dziennika instalacji\r\n"
           "/RUN\turuchom programy skryptu po instalacji /S\r\n"
           "/FORCE\tinstaluj także nad nowszą wersją\r\n"
           "/?\tta lista";
}

}  // namespace setup
