// libFuzzer target: archives mutated as archives. The custom mutator takes an input apart
// (header, data area, blocks, entries), changes one thing and puts it together with the table
// packed and every CRC computed anew, so the mutations reach the checks behind the CRCs. An
// input that is no archive is mutated as bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>

#include "uha/fuzz/archive_model.h"
#include "uha/fuzz/read_and_test.h"

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t max_size);

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uha_fuzz::read_and_test(data, size);
    return 0;
}

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t max_size,
                                          unsigned int seed) {
    auto model = uha_fuzz::parse_archive(data, size);
    if (!model) return LLVMFuzzerMutate(data, size, max_size);
    std::mt19937 random(seed);
    uha_fuzz::mutate(*model, random, LLVMFuzzerMutate);
    std::vector<uint8_t> out = uha_fuzz::build_archive(*model);
    if (out.size() > max_size) return LLVMFuzzerMutate(data, size, max_size);
    std::memcpy(data, out.data(), out.size());
    return out.size();
}
