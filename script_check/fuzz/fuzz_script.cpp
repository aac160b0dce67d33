// libFuzzer target: any bytes as a setup script, read as the builder checks it and as the
// installer reads it. Neither may crash, hang, leak or grow without bound, and what they give
// keeps its stated form: the decoded script is CP1250 with every line ended by CR LF, and the
// findings come sorted by line, then column.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "script/ini_reader.h"
#include "script/setup_script.h"
#include "script_check/product_listing.h"
#include "script_check/script_check.h"
#include "script_check/script_source.h"

namespace {

// The sample product's folder, so that the checks of targets against a folder run too.
const setup::ProductListing& product() {
    static const setup::ProductListing listing = {
        {"Czytaj.txt", false},          {"Licencja.txt", false},
        {"Witaj.exe", false},           {"Dane", true},
        {"Dane/S\xc5\x82ownik", false}, {"Dane/pusty.dat", false},
        {"Dokumentacja", true},         {"Dokumentacja/Instrukcja obs\xc5\x82ugi.txt", false},
    };
    return listing;
}

void require(bool holds) {
    if (!holds) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);

    setup::CheckedScript checked = setup::check_script_file(bytes, &product());
    const std::string& text = checked.cp1250_text;
    require(text.empty() || (text.size() >= 2 && text.ends_with("\r\n")));
    for (size_t i = 1; i < checked.diagnostics.size(); ++i) {
        const setup::Diagnostic& a = checked.diagnostics[i - 1];
        const setup::Diagnostic& b = checked.diagnostics[i];
        require(a.line < b.line || (a.line == b.line && a.column <= b.column));
    }

    // The installer reads the stored script's bytes as they stand.
    setup::IniText ini{std::string(bytes)};
    setup::read_product_settings(ini, "C:\\Instalator\\");
    try {
        setup::read_install_plan(ini);
    } catch (const setup::ScriptError&) {
    }
    return 0;
}
