#include "uninstall/texts.h"

#include "record/uninstall_record.h"

namespace setup::uninstall {

std::string text(const Record& record, int id) {
    if (auto found = record.texts.find(id); found != record.texts.end()) return found->second;
    if (id == kProductTitle) return "program";
    for (const UninstallerText& t : kUninstallerTexts)
        if (t.number == id) return std::string(t.text);
    return "";
}

std::string format_text(std::string_view pattern, std::initializer_list<std::string_view> args) {
    std::string out;
    auto next = args.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 's') {
            if (next != args.end()) out += *next++;
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

}  // namespace setup::uninstall
