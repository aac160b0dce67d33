#include "uha/fuzz/read_and_test.h"

#include <cstring>
#include <string>

#include "uha/src/archive.h"
#include "uha/src/error.h"
#include "uha/src/extract.h"

namespace uha_fuzz {

namespace {

struct Quiet : uha::LineSink {
    void line(const std::string&) override {}
};

}  // namespace

void MemorySource::read_at(uint64_t offset, void* buffer, size_t n) {
    if (offset > size_ || n > size_ - offset) throw uha::Error("read past the end");
    std::memcpy(buffer, data_ + offset, n);
}

void read_and_test(const uint8_t* data, size_t size) {
    MemorySource source(data, size);
    Quiet sink;
    try {
        uha::Archive archive = uha::read_archive(source, "fuzz.uha");
        // Decoding claims of gigabytes is correct but slow; the fuzzer wants many inputs.
        if (archive.file_bytes > (64u << 20)) return;
        uha::extract(archive, source, nullptr, uha::ExtractOptions{false, 1}, sink);
    } catch (const uha::Error&) {
    }
}

}  // namespace uha_fuzz
