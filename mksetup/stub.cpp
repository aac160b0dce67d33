#include "mksetup/stub.h"

#include <stdexcept>

#include "builder/pe_image.h"
#include "mksetup/host_files.h"

namespace mksetup {

const setup::pe::Resource* find_rcdata(const std::vector<setup::pe::Resource>& resources,
                                       std::string_view name) {
    const setup::pe::ResourceName rcdata = setup::pe::ResourceName::from_id(setup::pe::kTypeRcData);
    const setup::pe::ResourceName wanted = setup::pe::ResourceName::from_ascii(name);
    for (const setup::pe::Resource& r : resources)
        if (r.type == rcdata && setup::pe::same_resource(r.name, wanted)) return &r;
    return nullptr;
}

bool is_signed(std::span<const uint8_t> image) {
    return !setup::pe::parse_pe_headers(image).directory(setup::pe::kCertificateDirectory).empty();
}

const std::vector<uint8_t>* Stub::rcdata(std::string_view name) const {
    const setup::pe::Resource* r = find_rcdata(resources, name);
    return r ? &r->data : nullptr;
}

std::string find_stub(const std::string& chosen) {
    if (!chosen.empty()) {
        if (!is_file(chosen)) throw std::runtime_error("the stub " + chosen + " is not there");
        return chosen;
    }
    const std::string folder = folder_of(own_path());
    const std::string places[] = {
        join_path(join_path(folder, "stub"), "Setup.exe"),
        join_path(join_path(join_path(join_path(folder, ".."), "share"), "mksetup"), "Setup.exe"),
    };
    for (const std::string& place : places)
        if (is_file(place)) return place;
    throw std::runtime_error("no stub (Setup.exe) found at " + places[0] + " nor at " + places[1] +
                             ": build the windows preset, or name one with --stub");
}

Stub load_stub(const std::string& path) {
    Stub stub;
    stub.path = path;
    stub.image = read_file(path);
    try {
        stub.resources = setup::pe::read_resources(stub.image);
    } catch (const std::exception& e) {
        throw std::runtime_error("the stub " + path + " cannot be used: " + e.what());
    }
    if (is_signed(stub.image))
        throw std::runtime_error("the stub " + path +
                                 " is signed: stamping would break its signature; use an "
                                 "unsigned stub and sign with --sign-cmd, which signs last");
    const std::vector<uint8_t>* version = stub.rcdata(kStubVersionResource);
    if (version == nullptr)
        throw std::runtime_error("the stub " + path +
                                 " is not an installer stub of this builder (it has no " +
                                 kStubVersionResource + " resource)");
    const std::string found(version->begin(), version->end());
    if (found != kStubVersion)
        throw std::runtime_error("the stub " + path + " is of version " + found +
                                 ", this mksetup stamps version " + std::string(kStubVersion) +
                                 ": use the Setup.exe that came with this mksetup");
    for (const char* name : {kScriptResource, kHeaderResource, kLayoutResource, kExtractorResource,
                             kUninstallerResource})
        if (stub.rcdata(name) == nullptr)
            throw std::runtime_error("the stub " + path + " lacks its " + name + " resource");
    return stub;
}

}  // namespace mksetup
