#pragma once
// The record file beside the uninstaller.
#include <cstdint>
#include <string>

#include "record/registry_root.h"

namespace setup::uninstall {

inline constexpr const char* kRecordName = "uninstal.ini";

struct RecordFile {
    std::string bytes;
    std::uint64_t write_time = 0;  // the system's file time: the end of the installation
};

// Reads the whole file; throws RuntimeError naming the file and the system's reason when
// it cannot be read or is far larger than any record.
RecordFile read_record_file(const std::string& path);

// The text value `name` of the key `key` under HKEY_LOCAL_MACHINE in `view`, "" when the key
// or the value is missing or the value is no short REG_SZ text (a digest is 64 characters).
std::string read_machine_text(const std::string& key, const std::string& name, RegistryView view);

}  // namespace setup::uninstall
