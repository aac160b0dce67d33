#include "mksetup/build_installer.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <stdexcept>

#include "builder/pe_resources.h"
#include "integrity/archive_digest.h"
#include "integrity/sha256.h"
#include "mksetup/host_files.h"
#include "mksetup/layout_pictures.h"
#include "mksetup/messages.h"
#include "mksetup/progress_view.h"
#include "mksetup/signing.h"
#include "mksetup/stub.h"
#include "script/ini_reader.h"
#include "script/setup_script.h"
#include "script_check/product_scan.h"
#include "script_check/script_check.h"
#include "script_check/script_template.h"
#include "uha/src/fs.h"
#include "uha/src/pack.h"
#include "ui/jpeg_image.h"
#include "ui/layout.h"

namespace mksetup {

namespace {

using Bytes = std::vector<uint8_t>;

// The script as Setup.exe will read it, and whether anything in it stops the build.
struct CheckedScript {
    std::string text;  // CP1250, CR LF
    setup::ProductSettings settings;
    bool ok = false;
};

// Reads, decodes and checks the script (against the product folder when one is named),
// printing every finding; ok is false when one of them stops the build.
CheckedScript check_script_file(const Options& options, const Console& console) {
    const std::string shown = uha::native_to_utf8(options.script);
    const Bytes raw = read_file(options.script);
    std::optional<setup::ProductListing> listing;
    if (!options.product.empty()) listing = scan_product(options.product, console);
    setup::CheckedScript checked = setup::check_script_file(
        std::string_view(reinterpret_cast<const char*>(raw.data()), raw.size()),
        listing ? &*listing : nullptr);
    size_t errors = 0, warnings = 0;
    const std::string product = uha::native_to_utf8(options.product);
    for (const setup::Diagnostic& d : checked.diagnostics) {
        (d.severity == setup::Severity::error ? errors : warnings) += 1;
        print_line(console.err, setup::format_diagnostic(shown, d, product));
    }
    CheckedScript result;
    result.text = std::move(checked.cp1250_text);
    result.ok = errors == 0 && (warnings == 0 || !options.warnings_are_errors);
    if (!checked.diagnostics.empty() || !options.quiet)
        print_line(console.err,
                   shown + ": " + std::to_string(errors) + " error(s), " +
                       std::to_string(warnings) + " warning(s)" +
                       (warnings && options.warnings_are_errors ? " (warnings are errors)" : ""));
    if (result.ok) {
        const setup::IniText ini(result.text);
        result.settings = setup::read_product_settings(ini, "");
    }
    return result;
}

// A picture the wizard will show: it must decode as the wizard decodes it; a size other than
// the space the layout gives it is shown cut or with a gap, which deserves a warning.
Bytes read_picture(const std::string& path, const char* what, const setup::ControlSpec& space,
                   const Console& console) {
    const std::string shown = uha::native_to_utf8(path);
    Bytes jpeg = read_file(path);
    setup::RgbImage image;
    try {
        image = setup::decode_jpeg(jpeg.data(), jpeg.size());
    } catch (const std::exception& e) {
        throw std::runtime_error("the " + std::string(what) + " picture " + shown +
                                 " is not a JPEG the installer can show: " + e.what());
    }
    if (image.width != space.width || image.height != space.height)
        print_line(console.err,
                   shown + ": warning: the " + what + " picture is " + std::to_string(image.width) +
                       " x " + std::to_string(image.height) + " pixels; the wizard gives it " +
                       std::to_string(space.width) + " x " + std::to_string(space.height) +
                       " (a larger one is cut, a smaller one leaves a gap)");
    return jpeg;
}

setup::pe::Replacement rcdata(const char* name, Bytes data) {
    return {setup::pe::ResourceName::from_id(setup::pe::kTypeRcData),
            setup::pe::ResourceName::from_ascii(name), std::move(data)};
}

Bytes bytes_of(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

// SOURCE_DATE_EPOCH, when set, as the latest time stored (100-ns ticks since 1601).
uint64_t latest_time() {
    const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
    if (epoch == nullptr || *epoch == '\0') return UINT64_MAX;
    char* end = nullptr;
    const long long seconds = std::strtoll(epoch, &end, 10);
    if (*end != '\0' || seconds < 0)
        throw std::runtime_error(std::string("SOURCE_DATE_EPOCH is not a number of seconds: ") +
                                 epoch);
    return (static_cast<uint64_t>(seconds) + 11644473600ull) * 10000000ull;
}

// Packs the product folder's contents into `path`, showing progress.
void pack_product(const Options& options, const std::string& path, const Console& console) {
    ProgressView view(console.err, console.terminal, options.quiet);
    uha::PackOptions pack;
    pack.level = options.level;
    pack.threads = options.threads;
    // Only what every system keeps, so that Linux and Windows builders give the same bytes.
    pack.attribute_mask = uha::kAttrReadOnly;
    pack.latest_time = latest_time();
    pack.on_progress = [&](const uha::PackProgress& p) { view.update(p); };
    // uha's own lines ("Adding ...") are not shown: the progress line stands for them.
    struct Quiet : uha::LineSink {
        void line(const std::string&) override {}
    } quiet;
    const uha::PackResult r = uha::pack(path, {uha::PackInput(options.product, ".")}, pack, quiet);
    view.finish();
    if (!options.quiet)
        print_line(console.err, "packed " + std::to_string(r.files) + " files, " +
                                    std::to_string(r.folders) + " folders, " +
                                    std::to_string(r.bytes) + " bytes into " +
                                    std::to_string(r.packed) + " bytes");
}

}  // namespace

setup::ProductListing scan_product(const std::string& folder, const Console& console) {
    if (!is_folder(folder))
        throw std::runtime_error("the product folder " + uha::native_to_utf8(folder) +
                                 " is not there");
    return setup::scan_product(folder, [&](const std::string& note) {
        print_line(console.err, "mksetup: note: " + note);
    });
}

void print_starting_script(const Options& options, const Console& console) {
    const setup::ProductListing listing = scan_product(options.product, console);
    std::string name = options.product;
    while (name.size() > 1 && (name.back() == '/' || name.back() == '\\')) name.pop_back();
    const size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos) name = name.substr(slash + 1);
    std::fputs(setup::starting_script(uha::native_to_utf8(name), listing).c_str(), console.out);
    std::fflush(console.out);
}

bool check_only(const Options& options, const Console& console) {
    return check_script_file(options, console).ok;
}

void build_installer(const Options& options, const Console& console) {
    const Stub stub = load_stub(find_stub(options.stub));
    const CheckedScript script = check_script_file(options, console);
    if (!script.ok) throw std::runtime_error("the script has errors: nothing was written");

    std::vector<setup::pe::Replacement> changes;
    changes.push_back(rcdata(kScriptResource, bytes_of(script.text)));
    const Bytes& layout_bytes = *stub.rcdata(kLayoutResource);
    const std::string layout_text(layout_bytes.begin(), layout_bytes.end());
    const setup::Layout layout = setup::parse_layout(layout_text);
    if (!options.header.empty())
        changes.push_back(rcdata(
            kHeaderResource, read_picture(options.header, "header", layout.at("Image3"), console)));
    if (!options.banner.empty()) {
        const Bytes banner = read_picture(options.banner, "banner", layout.at("Image1"), console);
        changes.push_back(rcdata(
            kLayoutResource,
            bytes_of(replace_layout_picture(
                layout_text, kBannerPicture,
                std::string_view(reinterpret_cast<const char*>(banner.data()), banner.size())))));
    }

    // The archive goes where Setup.exe will look for it: the script's name, beside it.
    const std::string out = options.out_folder;
    make_folders(out);
    const std::string archive = join_path(out, native_separators(script.settings.ArchivePath));
    make_folders(folder_of(archive));
    const std::string installer = join_path(out, "Setup.exe");
    const std::string tag = ".mksetup-" + std::to_string(process_id());
    TemporaryFile archive_tmp(archive + tag);
    TemporaryFile installer_tmp(installer + tag);

    pack_product(options, archive_tmp.path(), console);
    changes.push_back(rcdata(setup::kArchiveDigestResource,
                             bytes_of(setup::to_hex(setup::sha256_file(archive_tmp.path())))));

    Signer signer(options.sign_command, out, tag, console.err, options.quiet);
    if (signer.active()) {
        // The programs inside are signed before they are stamped in: the installer writes
        // them out as they are.
        changes.push_back(rcdata(kExtractorResource,
                                 signer.sign_bytes(*stub.rcdata(kExtractorResource), "uha.exe")));
        changes.push_back(
            rcdata(kUninstallerResource,
                   signer.sign_bytes(*stub.rcdata(kUninstallerResource), "Odinstaluj.exe")));
    }
    Bytes image;
    try {
        image = setup::pe::stamp_resources(stub.image, changes);
    } catch (const setup::pe::PeError& e) {
        throw std::runtime_error("cannot stamp the stub " + stub.path + ": " + e.what());
    }
    if (signer.active()) image = signer.sign_bytes(image, "Setup.exe");
    write_file(installer_tmp.path(), image);

    replace_file(archive_tmp.path(), archive);
    archive_tmp.release();
    replace_file(installer_tmp.path(), installer);
    installer_tmp.release();
    if (!options.quiet)
        print_line(console.err, "wrote " + uha::native_to_utf8(installer) + " (" +
                                    std::to_string(image.size()) + " bytes) and " +
                                    uha::native_to_utf8(archive));
}

}  // namespace mksetup
