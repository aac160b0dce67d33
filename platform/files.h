#pragma once
// Small file operations of the installer, through the ANSI API.
#include <windows.h>

#include <optional>
#include <string>

#include "platform/system_message.h"
#include "platform/win_handle.h"

namespace setup::platform {

// The system's temporary folder as GetTempPathA reports it (up to its first NUL).
std::string GetTempDirectory();
std::string own_module_path();

// A file exists: the path names something that is not a folder. A folder exists: the
// path's attributes can be read and carry the directory flag. "" names neither.
bool file_exists(const std::string& path);
bool folder_exists(const std::string& path);
bool delete_file(const std::string& path);

// The system's text for an error code, without its line end; "kod błędu <code>" when the
// system has none.
std::string system_message(DWORD code);

// The bytes of the raw-data (RCDATA) resource `name` in `module`; throws RuntimeError
// naming it when missing.
std::string load_resource(HMODULE module, const char* name);

// The bytes of the raw-data (RCDATA) resource `name` in `module`; nullopt when it has none of
// that name. Throws RuntimeError naming it when it is there but cannot be loaded.
std::optional<std::string> find_resource_bytes(HMODULE module, const char* name);

// Finds the raw-data (RCDATA) resource `name` in `module` and writes its bytes to `path`
// with one write, replacing an existing file. Throws RuntimeError naming what failed.
void SaveResourceToFile(HMODULE module, const char* name, const std::string& path);

// What write_file does when `path` exists.
enum class Existing { replace, refuse };

// Writes `size` bytes to `path` with one write, replacing an existing file or, with
// Existing::refuse, failing without opening it. Throws RuntimeError naming the file.
void write_file(const std::string& path, const void* bytes, size_t size,
                Existing existing = Existing::replace);

// Up to `limit` bytes of the open `file` from where it stands; throws RuntimeError naming
// `path` when a read fails.
std::string read_open_file(HANDLE file, size_t limit, const std::string& path);
// Up to `limit` bytes of the file at `path`; nullopt when it cannot be opened.
std::optional<std::string> read_small_file(const std::string& path, size_t limit);

// `path` names the file `held` is open on, as its volume and file ID show: a program started
// by its path ran from the file held, not from one put under that name since. A link at
// `path` is not followed.
bool names_held_file(const std::string& path, HANDLE held);

// SetFileInformationByHandle, looked up at run time (Windows before Vista lacks it); false
// with ERROR_CALL_NOT_IMPLEMENTED there, else as the call answers.
bool set_file_information(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, void* info, DWORD size);

// Opens the folder (or the link) at `path` without following a link, for its attributes only,
// sharing all but deletion: while the handle is open nobody can rename or remove it. Null when
// it cannot be opened, GetLastError() telling why.
UniqueHandle hold_folder(const std::string& path);

// One folder level (its parent must exist); throws RuntimeError naming it.
void create_folder(const std::string& path);
// Makes `path` the process's current folder; throws RuntimeError naming it.
void set_current_folder(const std::string& path);

}  // namespace setup::platform
