#include "platform/private_parent.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include <optional>

#include "common/folder_access.h"
#include "platform/error/runtime_error.h"
#include "platform/files.h"
#include "platform/folder_security.h"
#include "platform/private_folder.h"
#include "platform/win_handle.h"

namespace setup::platform {

namespace {

constexpr const char* kOwnFolder = "Setup";

std::string sid_text(PSID sid) {
    char* text = nullptr;
    if (!sid || !ConvertSidToStringSidA(sid, &text)) return "?";
    std::string result = text;
    LocalFree(text);
    return result;
}

// The owner and the access list of the folder `folder` is open on; nullopt when they cannot
// be read. An entry of a kind that is neither an allowance nor a denial counts as allowing
// everything to an unknown trustee: the test then fails rather than overlook it.
std::optional<FolderAccess> read_access(HANDLE folder) {
    PSID owner = nullptr;
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    // GetSecurityInfo returns its error rather than setting it: set, for the caller.
    const DWORD error = GetSecurityInfo(folder, SE_FILE_OBJECT,
                                        OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                        &owner, nullptr, &list, nullptr, &descriptor);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return std::nullopt;
    }
    const SecurityDescriptor owned(descriptor);
    FolderAccess access;
    access.owner = sid_text(owner);
    access.has_list = list != nullptr;
    for (DWORD i = 0; list && i < list->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(list, i, &ace)) return std::nullopt;
        const auto* header = static_cast<const ACE_HEADER*>(ace);
        AccessEntry entry;
        entry.inherit_only = (header->AceFlags & INHERIT_ONLY_ACE) != 0;
        if (header->AceType == ACCESS_ALLOWED_ACE_TYPE ||
            header->AceType == ACCESS_DENIED_ACE_TYPE) {
            auto* plain = static_cast<ACCESS_ALLOWED_ACE*>(ace);
            entry.sid = sid_text(&plain->SidStart);
            entry.mask = plain->Mask;
            entry.allows = header->AceType == ACCESS_ALLOWED_ACE_TYPE;
        } else {
            entry.sid = "?";
            entry.mask = GENERIC_ALL;
        }
        access.entries.push_back(entry);
    }
    return access;
}

// Who else may rename entries of the folder `folder` is open on; "lista dostępu nieczytelna"
// when its list cannot be read.
std::optional<std::string> others_in(HANDLE folder) {
    const std::optional<FolderAccess> access = read_access(folder);
    if (!access) return "lista dostępu nieczytelna: " + system_message(GetLastError());
    return others_may_rename_in(*access);
}

// Opens the folder at `path` itself, never what a link there points to, for `access`.
UniqueHandle open_folder(const std::string& path, DWORD access) {
    return UniqueHandle(CreateFileA(
        path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

DWORD attributes_of(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info{};
    return GetFileInformationByHandle(handle, &info) ? info.dwFileAttributes
                                                     : INVALID_FILE_ATTRIBUTES;
}

std::string windows_temp() {
    char buffer[MAX_PATH] = {};
    const UINT length = GetSystemWindowsDirectoryA(buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        throw SharedFolderError("%windir%", "Nie można odczytać folderu systemu Windows",
                                system_message(GetLastError()));
    std::string folder(buffer, length);
    if (folder.back() != '\\') folder += '\\';
    return folder + "Temp";
}

std::string program_data() {
    char buffer[MAX_PATH] = {};
    const HRESULT result =
        SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer);
    if (FAILED(result))
        throw SharedFolderError("%ProgramData%", "Nie można odczytać folderu danych programów",
                                system_message(static_cast<DWORD>(result)));
    std::string folder = buffer;
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return folder;
}

// The own folder made, or opened as it is, for reading and setting its list: a link there,
// which a user may have put in the program data in its place, is removed (the link only) and
// the folder made instead.
UniqueHandle own_folder(const std::string& path, const SecurityDescriptor& descriptor) {
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), FALSE};
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!CreateDirectoryA(path.c_str(), &attributes) && GetLastError() != ERROR_ALREADY_EXISTS)
            throw SharedFolderError(path, "Nie można utworzyć folderu " + path,
                                    system_message(GetLastError()));
        UniqueHandle folder = open_folder(path, READ_CONTROL | WRITE_DAC | WRITE_OWNER);
        if (!folder)
            throw SharedFolderError(path, "Nie można otworzyć folderu " + path,
                                    system_message(GetLastError()));
        const DWORD kind = attributes_of(folder.get());
        if (kind == INVALID_FILE_ATTRIBUTES)
            throw SharedFolderError(path, "Nie można odczytać atrybutów folderu " + path,
                                    system_message(GetLastError()));
        if (!(kind & FILE_ATTRIBUTE_REPARSE_POINT)) {
            if (!(kind & FILE_ATTRIBUTE_DIRECTORY))
                throw SharedFolderError(path, "Nie można utworzyć folderu " + path,
                                        "istnieje plik o tej nazwie");
            return folder;
        }
        folder.reset();
        if (!RemoveDirectoryA(path.c_str())) break;
    }
    throw SharedFolderError(path, "Nie można utworzyć folderu " + path, "ścieżka jest dowiązaniem");
}

// Gives the folder `folder` is open on the list of `descriptor`, not inherited from above,
// and the administrators as its owner.
void set_own_access(HANDLE folder, const std::string& path, const SecurityDescriptor& descriptor) {
    BOOL present = FALSE, defaulted = FALSE;
    PACL list = nullptr;
    PSID administrators = nullptr;
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    DWORD error = ERROR_INVALID_SECURITY_DESCR;
    if (GetSecurityDescriptorDacl(descriptor.get(), &present, &list, &defaulted) && present &&
        AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0,
                                 0, 0, 0, 0, &administrators)) {
        error = SetSecurityInfo(folder, SE_FILE_OBJECT,
                                OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                    PROTECTED_DACL_SECURITY_INFORMATION,
                                administrators, nullptr, list, nullptr);
        FreeSid(administrators);
    }
    if (error != ERROR_SUCCESS)
        throw SharedFolderError(
            path, "Nie można nadać folderowi " + path + " listy dostępu tylko dla administratorów",
            system_message(error));
}

}  // namespace

PrivateParent private_folder_parent() {
    const std::string temp = windows_temp();
    std::string note;
    if (UniqueHandle folder = open_folder(temp, READ_CONTROL)) {
        const DWORD kind = attributes_of(folder.get());
        if (kind != INVALID_FILE_ATTRIBUTES && (kind & FILE_ATTRIBUTE_DIRECTORY) &&
            !(kind & FILE_ATTRIBUTE_REPARSE_POINT)) {
            const std::optional<std::string> others = others_in(folder.get());
            if (!others) return {temp, ""};
            note = "w " + temp + " nazwy cudzych plików mogą zmieniać także inni (" + *others + ")";
        } else {
            note = temp + " nie jest folderem";
        }
    } else {
        note = "nie można otworzyć " + temp + ": " + system_message(GetLastError());
    }

    PSECURITY_DESCRIPTOR made = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kPrivateFolderAccess, SDDL_REVISION_1,
                                                              &made, nullptr))
        throw SharedFolderError(program_data(),
                                "Nie można utworzyć listy dostępu folderu tymczasowego",
                                system_message(GetLastError()));
    const SecurityDescriptor descriptor(made);
    const std::string own = program_data() + "\\" + kOwnFolder;
    const UniqueHandle folder = own_folder(own, descriptor);
    if (!others_in(folder.get())) return {own, note};
    set_own_access(folder.get(), own, descriptor);
    if (const std::optional<std::string> others = others_in(folder.get()))
        note += "; system nie zachował listy dostępu nadanej folderowi " + own + " (" + *others +
                "): nie chroni ona jego plików";
    return {own, note};
}

}  // namespace setup::platform
