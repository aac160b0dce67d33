// libFuzzer target: any bytes as an archive. Reading and testing them must end in an
// archive or a clean FormatError; never a crash, a hang or unbounded memory.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "archive.h"
#include "error.h"
#include "extract.h"

namespace {

class Bytes : public uha::ByteSource {
  public:
    Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint64_t size() const override { return size_; }
    void read_at(uint64_t offset, void* buffer, size_t n) override {
        if (offset > size_ || n > size_ - offset) throw uha::Error("read past the end");
        std::memcpy(buffer, data_ + offset, n);
    }

  private:
    const uint8_t* data_;
    size_t size_;
};

struct Quiet : uha::LineSink {
    void line(const std::string&) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Bytes source(data, size);
    Quiet sink;
    try {
        uha::Archive archive = uha::read_archive(source, "fuzz.uha");
        // Decoding claims of gigabytes is correct but slow; the fuzzer wants many inputs.
        if (archive.file_bytes > (64u << 20)) return 0;
        uha::extract(archive, source, nullptr, uha::ExtractOptions{false, 1}, sink);
    } catch (const uha::Error&) {
    }
    return 0;
}
