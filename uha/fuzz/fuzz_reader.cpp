// libFuzzer target: any bytes as an archive, mutated as bytes.
#include <cstddef>
#include <cstdint>

#include "uha/fuzz/read_and_test.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uha_fuzz::read_and_test(data, size);
    return 0;
}
