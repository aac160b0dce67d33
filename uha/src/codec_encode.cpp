// The encoding half of the coder (see codec_filters.h).
#include "uha/src/codec.h"
#include "uha/src/codec_filters.h"

namespace uha {

using detail::Filters;
using detail::lzma_message;

uint32_t dict_size_for(uint64_t data_size, Level level) {
    lzma_options_lzma opt{};
    uint32_t preset = static_cast<uint32_t>(std::clamp(level.preset, 0, 9));
    lzma_lzma_preset(&opt, preset);
    uint64_t need = kMinDictSize;
    while (need < data_size && need < opt.dict_size) need <<= 1;
    return static_cast<uint32_t>(std::min<uint64_t>({need, opt.dict_size, kMaxDictSize}));
}

std::vector<uint8_t> compress(const uint8_t* data, size_t size, const Coding& coding, Level level,
                              const std::function<void(size_t)>& consumed) {
    Filters f(coding, &level);
    lzma_stream strm = LZMA_STREAM_INIT;
    lzma_ret ret = lzma_raw_encoder(&strm, f.chain);
    if (ret != LZMA_OK) throw Error("compression failed: " + lzma_message(ret));
    // Data that does not pack comes out a little larger than it went in, by more than
    // liblzma's bound for a stream when the stream is large (an 80 MB one overflowed it): the
    // output starts at the bound and grows whenever it is full.
    std::vector<uint8_t> out(lzma_stream_buffer_bound(size) + (size >> 10) + 4096);
    const auto make_room = [&] {
        if (strm.avail_out > 0) return;
        const size_t used = static_cast<size_t>(strm.total_out);
        out.resize(out.size() + out.size() / 8 + 4096);
        strm.next_out = out.data() + used;
        strm.avail_out = out.size() - used;
    };
    strm.next_out = out.data();
    strm.avail_out = out.size();
    // Fed a chunk at a time, so that a caller can show progress; liblzma's output does not
    // depend on how its input is cut.
    constexpr size_t kChunk = 1u << 20;
    size_t fed = 0;
    do {
        const size_t n = std::min(kChunk, size - fed);
        strm.next_in = data + fed;
        strm.avail_in = n;
        fed += n;
        const lzma_action action = fed == size ? LZMA_FINISH : LZMA_RUN;
        do {
            make_room();
            ret = lzma_code(&strm, action);
        } while (ret == LZMA_OK && (strm.avail_in > 0 || action == LZMA_FINISH));
        if (ret != LZMA_OK && ret != LZMA_STREAM_END) break;
        if (consumed) consumed(n);
    } while (fed < size);
    const size_t out_size = static_cast<size_t>(strm.total_out);
    lzma_end(&strm);
    if (ret != LZMA_STREAM_END)
        throw Error("compression of " + std::to_string(size) +
                    " bytes failed: " + lzma_message(ret));
    out.resize(out_size);
    return out;
}

SizeEstimator::SizeEstimator(uint64_t total_size, Filter filter, uint32_t pb) : scratch_(1u << 16) {
    Coding coding{filter, dict_size_for(total_size, Level{9, false}), pb};
    Filters f(coding, nullptr);
    if (lzma_lzma_preset(&f.lzma, 0)) throw Error("LZMA preset is not supported");
    f.lzma.dict_size = coding.dict_size;
    f.lzma.pb = pb;
    lzma_ret ret = lzma_raw_encoder(&strm_, f.chain);
    if (ret != LZMA_OK) throw Error("cannot start the size estimate: " + lzma_message(ret));
}

SizeEstimator::~SizeEstimator() {
    lzma_end(&strm_);
}

void SizeEstimator::feed(const uint8_t* data, size_t size) {
    strm_.next_in = data;
    strm_.avail_in = size;
    while (strm_.avail_in > 0) {
        strm_.next_out = scratch_.data();
        strm_.avail_out = scratch_.size();
        lzma_ret ret = lzma_code(&strm_, LZMA_RUN);
        if (ret != LZMA_OK) throw Error("size estimate failed: " + lzma_message(ret));
    }
}

}  // namespace uha
