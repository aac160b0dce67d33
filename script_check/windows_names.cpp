#include "script_check/windows_names.h"

#include "script_check/code_page_1250.h"
#include "script_check/product_listing.h"
#include "uha/src/names.h"

namespace setup {

namespace {

// uha's names are "/"-separated, so a "/" inside a script's name must be caught before them.
std::optional<NameProblem> slash_problem(std::string_view cp1250) {
    const size_t slash = cp1250.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    return NameProblem{slash, "contains the character '/'"};
}

}  // namespace

std::optional<NameProblem> folder_name_problem(std::string_view cp1250) {
    if (auto problem = slash_problem(cp1250)) return problem;
    const auto what = uha::name_problem(with_forward_slashes(cp1250_to_utf8(cp1250)));
    if (!what) return std::nullopt;
    // The first part at fault, for the column; the whole text's problem, for the message.
    size_t start = 0;
    while (true) {
        const size_t end = cp1250.find('\\', start);
        const std::string_view part = cp1250.substr(start, end - start);
        if (uha::name_problem(cp1250_to_utf8(part)) || end == std::string_view::npos) break;
        start = end + 1;
    }
    return NameProblem{start, *what};
}

std::optional<NameProblem> file_name_problem(std::string_view cp1250) {
    if (auto problem = slash_problem(cp1250)) return problem;
    if (auto what = uha::name_problem(cp1250_to_utf8(cp1250))) return NameProblem{0, *what};
    return std::nullopt;
}

}  // namespace setup
