#include "tests/support/link_probe.h"

#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

namespace testing_support {

std::optional<Link> read_link(const std::string& link_path) {
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return std::nullopt;
    IPersistFile* file = nullptr;
    link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    std::wstring wide(MAX_PATH, L'\0');
    MultiByteToWideChar(CP_ACP, 0, link_path.c_str(), -1, wide.data(), MAX_PATH);
    std::optional<Link> result;
    if (file && SUCCEEDED(file->Load(wide.c_str(), STGM_READ))) {
        char path[MAX_PATH] = {}, folder[MAX_PATH] = {}, args[MAX_PATH] = {};
        link->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH);
        link->GetWorkingDirectory(folder, MAX_PATH);
        link->GetArguments(args, MAX_PATH);
        result = Link{path, folder, args};
    }
    if (file) file->Release();
    link->Release();
    return result;
}

}  // namespace testing_support
