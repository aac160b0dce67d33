#pragma once
// Builds archives in memory from a list of entries, including ones that the archiver itself
// would refuse to make (bad names, sizes that do not add up), to test the reader.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "uha/src/format.h"
#include "uha/src/fs.h"

struct EntrySpec {
    std::string name;
    std::string data;
    bool folder = false;
};

struct BuildOptions {
    uint64_t block_size = 1u << 20;
    uha::Filter filter = uha::Filter::lzma2;
    std::function<void(uha::Table&)> tweak;  // edits the table before it is written
};

std::string build_archive(const std::vector<EntrySpec>& entries, const BuildOptions& options = {});

// A ByteSource over bytes in memory.
class MemorySource : public uha::ByteSource {
  public:
    explicit MemorySource(std::string bytes) : bytes_(std::move(bytes)) {}
    uint64_t size() const override { return bytes_.size(); }
    void read_at(uint64_t offset, void* buffer, size_t n) override;

  private:
    std::string bytes_;
};
