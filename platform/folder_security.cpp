#include "platform/folder_security.h"

#include <aclapi.h>
#include <sddl.h>

#include "platform/error/runtime_error.h"
#include "platform/files.h"

namespace setup::platform {

namespace {

// SY and BA full control, BU read and execute (FILE_GENERIC_READ | FILE_GENERIC_EXECUTE),
// CO generic all on what is made inside only; OICI: inherited by files and folders; P: the
// parent's entries are not inherited.
constexpr const char* kProgramFolderSddl =
    "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)(A;OICIIO;GA;;;CO)";

}  // namespace

SecurityDescriptor program_folder_descriptor() {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kProgramFolderSddl, SDDL_REVISION_1,
                                                              &descriptor, nullptr))
        throw RuntimeError(std::string("Nie można utworzyć listy dostępu ") + kProgramFolderSddl +
                           ": " + system_message(GetLastError()));
    return SecurityDescriptor(descriptor);
}

void create_protected_folder(const std::string& path, const SecurityDescriptor& descriptor) {
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), FALSE};
    if (!CreateDirectoryA(path.c_str(), &attributes))
        throw RuntimeError("Nie można utworzyć folderu " + path + ": " +
                           system_message(GetLastError()));
}

void protect_existing_folder(const std::string& path, const SecurityDescriptor& descriptor) {
    BOOL present = FALSE, defaulted = FALSE;
    PACL list = nullptr;
    DWORD error = ERROR_INVALID_SECURITY_DESCR;
    if (GetSecurityDescriptorDacl(descriptor.get(), &present, &list, &defaulted) && present)
        error =
            SetNamedSecurityInfoA(const_cast<char*>(path.c_str()), SE_FILE_OBJECT,
                                  DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                  nullptr, nullptr, list, nullptr);
    if (error != ERROR_SUCCESS)
        throw RuntimeError("Nie można nadać folderowi " + path +
                           " listy dostępu folderu programów: " + system_message(error));
}

PathKind path_kind(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PathKind::missing
                                                                              : PathKind::present;
    }
    return attributes & FILE_ATTRIBUTE_REPARSE_POINT ? PathKind::link : PathKind::present;
}

}  // namespace setup::platform
