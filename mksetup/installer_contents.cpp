#include "mksetup/installer_contents.h"

#include <optional>
#include <sstream>
#include <stdexcept>

#include "integrity/archive_digest.h"
#include "integrity/sha256.h"
#include "mksetup/host_files.h"
#include "mksetup/installed_entry.h"
#include "mksetup/messages.h"
#include "mksetup/stub.h"
#include "script/ini_reader.h"
#include "script/setup_script.h"
#include "script_check/code_page_1250.h"
#include "uha/src/archive.h"
#include "uha/src/fs.h"
#include "ui/jpeg_image.h"
#include "ui/layout.h"

namespace mksetup {

namespace {

std::string picture_size(const std::string& jpeg) {
    try {
        const setup::RgbImage image =
            setup::decode_jpeg(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size());
        return std::to_string(image.width) + " x " + std::to_string(image.height);
    } catch (const std::exception& e) {
        return std::string("does not decode: ") + e.what();
    }
}

std::string text_of(const std::vector<uint8_t>& bytes) {
    return {bytes.begin(), bytes.end()};
}

// Writes what the installer carries into `folder`, one file each.
void save_contents(const std::vector<setup::pe::Resource>& resources, const std::string& folder,
                   const Console& console) {
    make_folders(folder);
    auto save = [&](const std::string& file, const std::vector<uint8_t>& bytes) {
        write_file(join_path(folder, file), bytes);
        print_line(console.out, "saved " + uha::native_to_utf8(join_path(folder, file)));
    };
    const std::pair<const char*, const char*> files[] = {{kScriptResource, "setup.ini"},
                                                         {kHeaderResource, "header.jpg"},
                                                         {kExtractorResource, "uha.exe"},
                                                         {kUninstallerResource, "Odinstaluj.exe"}};
    for (const auto& [resource, file] : files)
        if (const setup::pe::Resource* r = find_rcdata(resources, resource)) save(file, r->data);
    if (const setup::pe::Resource* layout = find_rcdata(resources, kLayoutResource)) {
        const setup::Layout parsed = setup::parse_layout(text_of(layout->data));
        auto banner = parsed.pictures.find(kBannerPicture);
        if (banner != parsed.pictures.end())
            save("banner.jpg", std::vector<uint8_t>(banner->second.begin(), banner->second.end()));
    }
}

// The sizes of the archive's files, added up from its table as the installer adds them; nullopt
// when the archive is not there or its table does not read.
std::optional<uint64_t> unpacked_bytes(const std::string& archive) {
    if (!is_file(archive)) return std::nullopt;
    try {
        const auto source = uha::open_file(archive);
        uint64_t bytes = 0;
        for (const uha::Entry& e : uha::read_archive(*source, archive).table.entries)
            if (e.kind == uha::EntryKind::file) bytes += e.size;
        return bytes;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// What the installation will write into the system's list of programs.
void print_entry(std::FILE* out, const std::string& script, const std::string& archive) {
    const setup::IniText ini(script);
    setup::InstallPlan plan;
    try {
        plan = setup::read_install_plan(ini);
    } catch (const std::exception& e) {
        print_line(out, std::string("uninstall entry: the script cannot be read: ") + e.what());
        return;
    }
    for (const std::string& line : installed_entry_lines(setup::read_product_settings(ini, ""),
                                                         plan, unpacked_bytes(archive)))
        print_line(out, line);
}

}  // namespace

void inspect_installer(const Options& options, const Console& console) {
    const std::string& path = options.installer;
    const std::vector<uint8_t> image = read_file(path);
    const std::vector<setup::pe::Resource> resources = setup::pe::read_resources(image);
    std::FILE* out = console.out;
    auto rc = [&](const char* name) {
        const setup::pe::Resource* r = find_rcdata(resources, name);
        return r ? &r->data : nullptr;
    };
    const std::vector<uint8_t>* version = rc(kStubVersionResource);
    print_line(out, uha::native_to_utf8(path) + ": " + std::to_string(image.size()) + " bytes, " +
                        (version ? "stub version " + text_of(*version)
                                 : std::string("not a stub of this builder")) +
                        (is_signed(image) ? ", signed" : ", not signed"));
    print_line(out, "resources:");
    for (const setup::pe::Resource& r : resources)
        print_line(out, "  " + setup::pe::describe(r.type, r.name) + " (language " +
                            std::to_string(r.language) + "): " + std::to_string(r.data.size()) +
                            " bytes");
    std::string archive;  // where the installer will look for it; "" without a script
    if (const auto* script = rc(kScriptResource)) {
        print_line(out, "script:");
        std::istringstream lines(setup::cp1250_to_utf8(text_of(*script)));
        for (std::string line; std::getline(lines, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            print_line(out, "  " + line);
        }
        const setup::IniText ini(text_of(*script));
        archive = join_path(folder_of(path),
                            native_separators(setup::read_product_settings(ini, "").ArchivePath));
        print_entry(out, text_of(*script), archive);
    }
    if (const auto* header = rc(kHeaderResource))
        print_line(out, "header picture: " + picture_size(text_of(*header)));
    if (const auto* layout = rc(kLayoutResource)) {
        try {
            const setup::Layout parsed = setup::parse_layout(text_of(*layout));
            auto banner = parsed.pictures.find(kBannerPicture);
            if (banner != parsed.pictures.end())
                print_line(out, "banner picture: " + picture_size(banner->second));
        } catch (const std::exception& e) {
            print_line(out, std::string("window layout: damaged: ") + e.what());
        }
    }
    if (!options.save_folder.empty()) save_contents(resources, options.save_folder, console);
    const auto* digest = rc(setup::kArchiveDigestResource);
    if (digest == nullptr) {
        print_line(out, "archive digest: none (the archive is not checked before unpacking)");
        return;
    }
    print_line(out, "archive digest: SHA-256 " + text_of(*digest));
    if (!archive.empty()) {
        const std::string shown = uha::native_to_utf8(archive);
        if (!is_file(archive))
            print_line(out, "archive: " + shown + " is not there");
        else
            print_line(out, "archive: " + shown +
                                (setup::to_hex(setup::sha256_file(archive)) == text_of(*digest)
                                     ? " matches the digest"
                                     : " DIFFERS from the digest: the installer will refuse it"));
    }
}

}  // namespace mksetup
