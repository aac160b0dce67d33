#include "uha/src/cli.h"

#include <charconv>

namespace uha {

namespace {

unsigned number(const std::string& text, unsigned min, unsigned max, const std::string& sw) {
    unsigned value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < min ||
        value > max)
        throw UsageError("switch " + sw + " needs a number from " + std::to_string(min) + " to " +
                         std::to_string(max));
    return value;
}

// "+" or nothing turns a switch on, "-" off.
bool on_off(const std::string& rest, const std::string& sw) {
    if (rest.empty() || rest == "+") return true;
    if (rest == "-") return false;
    throw UsageError("switch " + sw + " takes + or -");
}

}  // namespace

CommandLine parse_command_line(const std::vector<std::string>& args) {
    CommandLine cl;
    // Each positional argument with the -C folder in force where it stands.
    std::vector<PackInput> positional;
    std::string folder;
    bool folder_used = true;  // whether an input followed the last -C
    bool switches = true;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (switches && arg == "--") {
            switches = false;
            continue;
        }
        if (!switches || arg.size() < 2 || arg[0] != '-') {
            positional.emplace_back(folder, arg);
            folder_used = true;
            continue;
        }
        char letter = arg[1];
        std::string rest = arg.substr(2);
        switch (letter) {
            case 'h':
            case '?':
                cl.command = Command::help;
                return cl;
            case 'C':
                // "-C folder" as tar writes it, or "-Cfolder" as -t takes its folder.
                if (rest.empty() && i + 1 < args.size()) rest = args[++i];
                if (rest.empty()) throw UsageError("switch -C needs a folder: -C <folder>");
                folder = rest;
                folder_used = false;
                break;
            case 'o':
                cl.overwrite = on_off(rest, arg);
                break;
            case 'y':
                cl.assume_yes = on_off(rest, arg);
                break;
            case 't':
                if (rest.empty()) throw UsageError("switch -t needs a folder: -t<folder>");
                cl.target = rest;
                break;
            case 'm': {
                bool extreme = !rest.empty() && rest.back() == 'e';
                if (extreme) rest.pop_back();
                cl.level = Level{static_cast<int>(number(rest, 0, 9, arg)), extreme};
                break;
            }
            case 'b':
                cl.block_size = uint64_t{number(rest, 1, 4096, arg)} << 20;
                break;
            case 'j':
                cl.threads = number(rest, 1, 64, arg);
                break;
            default:
                if (arg == "--help") {
                    cl.command = Command::help;
                    return cl;
                }
                throw UsageError("unknown switch " + arg);
        }
    }
    if (positional.empty()) throw UsageError("no command given");
    const std::string& cmd = positional[0].path;
    if (cmd == "a")
        cl.command = Command::add;
    else if (cmd == "x")
        cl.command = Command::extract;
    else if (cmd == "l")
        cl.command = Command::list;
    else if (cmd == "t")
        cl.command = Command::test;
    else
        throw UsageError("unknown command " + cmd);
    if (positional.size() < 2) throw UsageError("no archive named");
    cl.archive = positional[1].path;
    cl.inputs.assign(positional.begin() + 2, positional.end());
    if (cl.command == Command::add && cl.inputs.empty())
        throw UsageError("a needs files or folders to add");
    if (cl.command != Command::add && !cl.inputs.empty())
        throw UsageError("unexpected argument " + cl.inputs.front().path);
    if (!folder.empty() && cl.command != Command::add) throw UsageError("switch -C is for a only");
    if (!folder_used)
        throw UsageError("-C " + folder + " is not followed by a file or folder to add");
    return cl;
}

const char* usage_text() {
    return "uha - archiver\n"
           "usage: uha <command> [switches] <archive> [files and folders]\n"
           "commands:\n"
           "  a  add: create <archive> from the files and folders named; each keeps\n"
           "     its own name (\"bin\" and \"bin/\" store bin/...); \"dir/.\" stores\n"
           "     dir's contents without a prefix\n"
           "  x  extract <archive>\n"
           "  l  list <archive>\n"
           "  t  test <archive>: decode and check everything, write nothing\n"
           "switches:\n"
           "  -C <folder> a: the names after it are read from <folder> and stored\n"
           "              relative to it (\"-C dir .\" stores dir's contents); each -C\n"
           "              holds until the next and is relative to the current folder\n"
           "  -t<folder>  extract into <folder> (created if missing; default: here)\n"
           "  -o+ / -o-   overwrite existing files / keep them (default)\n"
           "  -y+ / -y-   answer yes to every question (nothing is ever asked)\n"
           "  -m<0-9>[e]  compression level, e for extreme (default -m9e)\n"
           "  -b<MiB>     largest block, 1 to 4096 (default 128); data of 8 MiB or more\n"
           "              is cut in two blocks at least, so two threads decode it\n"
           "  -j<n>       threads (default: one per processor)\n"
           "  -h          this text\n"
           "exit status: 0 success, 1 failure (one line says what failed), 2 bad usage,\n"
           "             3 the destination lacks the space to extract (nothing written)\n";
}

std::vector<std::string> split_command_line(std::string_view line) {
    std::vector<std::string> args;
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    size_t i = 0;
    // The program's name: up to the first blank outside quotes.
    for (bool quoted = false; i < line.size() && (quoted || !blank(line[i])); ++i)
        if (line[i] == '"') quoted = !quoted;
    while (true) {
        while (i < line.size() && blank(line[i])) ++i;
        if (i == line.size()) break;
        std::string arg;
        for (bool quoted = false; i < line.size() && (quoted || !blank(line[i])); ++i) {
            if (line[i] == '"') {
                quoted = !quoted;
            } else {
                arg += line[i];
            }
        }
        args.push_back(std::move(arg));
    }
    return args;
}

}  // namespace uha
