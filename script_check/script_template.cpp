#include "script_check/script_template.h"

#include <algorithm>
#include <vector>

#include "script_check/program_architecture.h"
#include "uha/src/names.h"

namespace setup {

namespace {

// The programs at the product's root, for which [M] gets a shortcut each.
std::vector<std::string> root_programs(const ProductListing& product) {
    std::vector<std::string> programs;
    for (const ProductItem& item : product) {
        if (!item.folder && item.name.find('/') == std::string::npos &&
            uha::extension_of(item.name) == "exe" &&
            uha::fold_name(item.name) != uha::fold_name("Odinstaluj.exe")) {
            programs.push_back(item.name);
        }
    }
    return programs;
}

// The program's name without ".exe", unless that is no file name Windows can hold ("a..exe").
std::string caption_of(const std::string& program) {
    std::string caption = program.substr(0, program.size() - 4);
    return uha::name_problem(caption) ? program : caption;
}

// A section that declares no entries, with its keys commented out as an example. Only one key
// 0 may be written: the reader takes the first of two.
std::string empty_section(std::string_view name, const std::vector<std::string>& example) {
    std::string text(1, '[');  // appended: GCC 12 warns falsely about "[" + string
    text += name;
    text += "]\n0=0\n";
    text += "; For the example below: write 0=1 and remove the \";\" before its keys.\n";
    for (const std::string& line : example) text += ";" + line + "\n";
    return text;
}

// x64 when one of the listed programs is 64-bit: the check warns of a 64-bit program in an
// x86 installation, not of 32-bit helpers in an x64 one, and the script must pass it.
std::string_view architecture_of(const ProductListing& product,
                                 const std::vector<std::string>& programs) {
    for (const ProductItem& item : product) {
        if (item.native_path.empty() ||
            std::find(programs.begin(), programs.end(), item.name) == programs.end())
            continue;
        if (read_program_architecture(item.native_path) == ProductArchitecture::x64) return "x64";
    }
    return "x86";
}

std::string product_section(const std::string& name, std::string_view architecture) {
    std::string text =
        "; [I] The product.\n"
        "[I]\n"
        "; 1: the title the wizard shows, and the uninstaller.\n";
    text += "1=" + name + "\n";
    text +=
        "; 2: the folder the product is installed into, inside the folder the user picks\n"
        ";    (Program Files at first); also the proposed Start-menu group and the name in\n"
        ";    Windows' list of programs. It may name nested folders: Maker\\Product.\n";
    text += "2=" + name + "\n";
    text +=
        "; 3: the archive beside Setup.exe that holds the product's files.\n"
        "3=data.uha\n"
        "; 4: 1 installs the uninstaller Odinstaluj.exe with the product and registers it\n"
        ";    (with a Start-menu shortcut when [M] has entries); 0 does not.\n"
        "4=1\n"
        "; 5: the second colour of the wizard's page headers, as $BBGGRR (blue, green, red).\n"
        "5=$FFFFFF\n"
        "; 6, 7: the version (one to four numbers separated by dots) and the publisher (write\n"
        ";    its name for \"Wydawca\"), shown in Windows' list of programs with the product's\n"
        ";    folder, size and icon.\n"
        "6=1.0\n"
        "7=Wydawca\n"
        "; 8: x86 for a 32-bit program, x64 for a 64-bit one: it goes into the 64-bit Program\n"
        ";    Files and registry, and installs only on 64-bit Windows.\n";
    text += "8=" + std::string(architecture) + "\n";
    text +=
        "; 9: the product's web address, shown in the list of programs with 6 or 7.\n"
        ";9=https://www.example.com\n";
    return text;
}

std::string start_menu_section(const std::vector<std::string>& programs) {
    std::string text =
        "\n; [M] Shortcuts in the Start-menu group the user picks. Key 0 is the number of\n"
        "; entries; entry n has na, the shortcut's name, and nb, the file it opens, relative to\n"
        "; the product folder (\"\\\" between folders).\n";
    if (programs.empty()) return text + empty_section("M", {"1a=Program", "1b=bin\\Program.exe"});
    text += "[M]\n0=" + std::to_string(programs.size()) + "\n";
    for (size_t i = 0; i < programs.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        text += n + "a=" + caption_of(programs[i]) + "\n" + n + "b=" + programs[i] + "\n";
    }
    return text;
}

std::string other_sections(const std::string& name, const std::string& program) {
    std::string text;
    text += "\n; [A] Shortcuts started with Windows (the Autostart folder), written as in [M].\n";
    text += empty_section("A", {"1a=" + name, "1b=" + program});
    text += "\n; [D] Shortcuts on the desktop, written as in [M].\n";
    text += empty_section("D", {"1a=" + name, "1b=" + program});
    text +=
        "\n; [R] Programs started from the product's folder when the installation ends: key n\n"
        "; is the program, relative to the product folder, and its arguments.\n";
    text += empty_section("R", {"1=" + program + " --first-run"});
    text +=
        "\n; [S] Registry values. Entry n: na the root (0 HKEY_LOCAL_MACHINE, 1\n"
        "; HKEY_CURRENT_USER, 2 HKEY_CLASSES_ROOT, 3 HKEY_USERS, 4 HKEY_CURRENT_CONFIG),\n"
        "; nb the key, nc the value's name (empty: the key's default value), nd the type\n"
        "; (0 text, 1 number), ne the data. The first <FOLDERDOCELOWY> in ne becomes the\n"
        "; folder the product was installed into.\n";
    text += empty_section(
        "S", {"1a=1", "1b=Software\\" + name, "1c=Folder", "1d=0", "1e=<FOLDERDOCELOWY>"});
    return text;
}

}  // namespace

std::string starting_script(std::string_view folder_name, const ProductListing& product) {
    const std::string name(folder_name);
    const std::vector<std::string> programs = root_programs(product);
    const std::string example = programs.empty() ? "bin\\Program.exe" : programs.front();
    return "; Setup script of " + name +
           ", made by \"mksetup init\". A line that starts with \";\" is a\n"
           "; comment; the others are [sections] and key=value lines. Letter case in section\n"
           "; and key names does not matter; blanks around a value are dropped.\n"
           "; \"mksetup check\" tells what the installer would make of it.\n\n" +
           product_section(name, architecture_of(product, programs)) +
           start_menu_section(programs) + other_sections(name, example);
}

}  // namespace setup
