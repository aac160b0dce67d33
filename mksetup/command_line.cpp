#include "mksetup/command_line.h"

#include <charconv>
#include <map>

namespace mksetup {

namespace {

const std::map<std::string, Command>& commands() {
    static const std::map<std::string, Command> table = {
        {"build", Command::build},     {"check", Command::check}, {"inspect", Command::inspect},
        {"init", Command::init},       {"help", Command::help},   {"--help", Command::help},
        {"-h", Command::help},         {"/?", Command::help},     {"--version", Command::version},
        {"version", Command::version},
    };
    return table;
}

// How many plain arguments each command takes: at least, at most.
struct Arity {
    size_t least, most;
};

Arity arity_of(Command c) {
    switch (c) {
        case Command::build:
            return {2, 2};
        case Command::check:
            return {1, 2};
        case Command::inspect:
        case Command::init:
            return {1, 1};
        default:
            return {0, 0};
    }
}

uha::Level parse_level(const std::string& arg) {
    // -m<0-9>[e]
    const std::string rest = arg.substr(2);
    if (rest.empty() || rest.size() > 2 || rest[0] < '0' || rest[0] > '9' ||
        (rest.size() == 2 && rest[1] != 'e'))
        throw UsageError("bad compression level " + arg + " (use -m0 to -m9, e.g. -m9e)");
    return uha::Level{rest[0] - '0', rest.size() == 2};
}

unsigned parse_threads(const std::string& text) {
    unsigned n = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec != std::errc() || end != text.data() + text.size() || n == 0 || n > 256)
        throw UsageError("bad thread count " + text + " (use -j 1 to -j 256)");
    return n;
}

}  // namespace

Options parse_options(const std::vector<std::string>& args) {
    Options o;
    if (args.empty()) return o;
    auto command = commands().find(args[0]);
    if (command == commands().end())
        throw UsageError("unknown command " + args[0] + " (build, check, inspect or init)");
    o.command = command->second;
    std::vector<std::string> plain;
    // The value of a switch that takes one: the next argument.
    auto value = [&](size_t& i) -> const std::string& {
        if (i + 1 >= args.size()) throw UsageError(args[i] + " needs a value");
        return args[++i];
    };
    const bool builds = o.command == Command::build;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--quiet" || a == "-q") {
            o.quiet = true;
        } else if (a == "--Werror") {
            o.warnings_are_errors = true;
        } else if (builds && a == "-o") {
            o.out_folder = value(i);
        } else if (builds && a == "--header") {
            o.header = value(i);
        } else if (builds && a == "--banner") {
            o.banner = value(i);
        } else if (builds && a == "--stub") {
            o.stub = value(i);
        } else if (builds && a == "--sign-cmd") {
            o.sign_command = value(i);
            if (o.sign_command.find("{in}") == std::string::npos ||
                o.sign_command.find("{out}") == std::string::npos)
                throw UsageError("--sign-cmd needs both {in} and {out} in its command");
        } else if (o.command == Command::inspect && a == "--save") {
            o.save_folder = value(i);
        } else if (builds && a == "-j") {
            o.threads = parse_threads(value(i));
        } else if (builds && a.starts_with("-j") && a.size() > 2) {
            o.threads = parse_threads(a.substr(2));
        } else if (builds && a.starts_with("-m")) {
            o.level = parse_level(a);
        } else if (a.size() > 1 && a[0] == '-') {
            throw UsageError("unknown switch " + a + " for " + args[0]);
        } else {
            plain.push_back(a);
        }
    }
    const Arity arity = arity_of(o.command);
    if (plain.size() < arity.least || plain.size() > arity.most)
        throw UsageError(plain.size() < arity.least ? "too few arguments for " + args[0]
                                                    : "too many arguments for " + args[0]);
    switch (o.command) {
        case Command::build:
        case Command::check:
            o.script = plain[0];
            if (plain.size() > 1) o.product = plain[1];
            break;
        case Command::inspect:
            o.installer = plain[0];
            break;
        case Command::init:
            o.product = plain[0];
            break;
        default:
            break;
    }
    return o;
}

const char* usage_text() {
    return R"(mksetup: makes an installer, Setup.exe and its archive, from a setup script and a product folder

usage:
  mksetup build <script> <product folder> [switches]
        checks the script against the folder, packs the folder's contents into the archive the
        script names (data.uha unless it says otherwise) and writes Setup.exe beside it
    -o <folder>        where to write them (default: the current folder; made when missing)
    --header <jpg>     the picture at the top right of the wizard's pages (109 x 56)
    --banner <jpg>     the picture at the left of the first and last pages (164 x 296)
    -m<0-9>[e]         compression level (default -m9e)
    -j <n>             threads for packing (default: one per processor)
    --sign-cmd "<cmd>" signs the extractor and the uninstaller inside Setup.exe, then Setup.exe
                       itself: <cmd> is run with {in} and {out} replaced by file names, e.g.
                       "osslsigncode sign -pkcs12 key.pfx -pass PW -h sha256 -in {in} -out {out}"
    --stub <Setup.exe> build from this stub instead of the one that came with mksetup
    --Werror           treat warnings as errors
    --quiet            print only warnings and errors
  mksetup check <script> [<product folder>] [--Werror]
        checks the script (and, with the folder, what its entries name); writes nothing
  mksetup inspect <Setup.exe> [--save <folder>]
        shows what an installer carries: its script, pictures, programs and archive digest;
        --save writes them to the folder (setup.ini as stored, header.jpg, banner.jpg,
        uha.exe, Odinstaluj.exe), e.g. to check their signatures
  mksetup init <product folder>
        prints a commented starting script for the folder
  mksetup --help | --version

The script may be UTF-8 (with or without a byte-order mark) or CP1250, with LF or CR LF line
ends; it is stored in CP1250 with CR LF. Messages name the file, line and column.
SOURCE_DATE_EPOCH, when set, is the latest file time stored in the archive.
Exit status: 0 done, 1 failed (nothing written), 2 bad command line.
)";
}

}  // namespace mksetup
