#pragma once
// What the archiver needs of the file system, implemented by fs_posix.cpp and fs_win32.cpp.
// "Native" strings are paths as the system takes them (bytes on Linux, the ANSI code page
// on Windows); archive names are UTF-8 with "/" and have passed name_problem().
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "uha/src/names.h"

namespace uha {

struct FileMeta {
    uint32_t attributes = 0;  // kAttr* bits
    uint64_t mtime = 0;       // 100-ns ticks since 1601-01-01 UTC
};

// Random-access input. Safe to call read_at from several threads at once.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual uint64_t size() const = 0;
    // Reads exactly n bytes at offset, or throws an Error naming the source.
    virtual void read_at(uint64_t offset, void* buffer, size_t n) = 0;
};

std::unique_ptr<ByteSource> open_file(const std::string& native_path);

// A file being extracted: written under a temporary name next to its final one and moved
// there by commit(), so a failed or damaged file never stands under its real name.
// Destroying it uncommitted removes the temporary file. write_at may be called from
// several threads for disjoint ranges.
class OutputFile {
  public:
    virtual ~OutputFile() = default;
    virtual void write_at(uint64_t offset, const void* data, size_t n) = 0;
    virtual void commit(const FileMeta& meta, bool replace) = 0;
};

enum class Existing { none, file, folder, other };

// What stands under a name in the destination; size is a file's, 0 for the rest.
struct Occupant {
    Existing kind = Existing::none;
    uint64_t size = 0;
};

// The folder that an archive is extracted into. Every method takes archive names and never
// reaches outside the root: links met on the way are refused, not followed. Each folder is
// opened relative to its parent's handle, so swapping a folder for a link while extracting
// leads nowhere either.
class Destination {
  public:
    virtual ~Destination() = default;
    virtual Occupant existing(const std::string& name) = 0;
    virtual void make_folder(const std::string& name) = 0;
    virtual void set_folder_meta(const std::string& name, const FileMeta& meta) = 0;
    // The name's folder must exist. Thread-safe.
    virtual std::unique_ptr<OutputFile> create_file(const std::string& name) = 0;
    // Bytes the caller may still write on the destination's volume; nothing when the system
    // cannot tell (then a full disk shows as a failed write).
    virtual std::optional<uint64_t> free_space() = 0;
};

// Opens the destination folder, creating it and its missing parents. A destination that is
// itself a link (a symbolic link, a junction) is refused with an Error naming it.
std::unique_ptr<Destination> open_destination(const std::string& native_root);

// One file or folder found below a path named for packing.
struct FoundItem {
    std::string name;  // archive name
    std::string native_path;
    bool folder = false;
    uint64_t size = 0;
    FileMeta meta;
};

// The inputs and, below each named folder, what lies inside it, under the names that
// place_input() gives them. A named link is followed; links and special files inside a
// folder are passed over with a note.
std::vector<FoundItem> scan_inputs(const std::vector<PackInput>& inputs,
                                   const std::function<void(const std::string&)>& note);

// Writes a new archive under a temporary name and moves it into place on commit().
class ArchiveSink {
  public:
    virtual ~ArchiveSink() = default;
    virtual void write(const void* data, size_t n) = 0;
    virtual void write_at(uint64_t offset, const void* data, size_t n) = 0;
    virtual void commit() = 0;
};
std::unique_ptr<ArchiveSink> create_archive(const std::string& native_path);

// Text conversions for messages: the program's messages are UTF-8.
std::string native_to_utf8(const std::string& native);

// An archive name as this system writes paths ("\\" between folders on Windows).
std::string shown_name(const std::string& name);

}  // namespace uha
