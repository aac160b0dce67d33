#include "codec.h"

#include <algorithm>

#include "error.h"

namespace uha {

namespace {

struct Filters {
    lzma_options_lzma lzma{};
    lzma_filter chain[3];

    Filters(const Coding& coding, const Level* level) {
        if (level != nullptr) {
            uint32_t preset = static_cast<uint32_t>(std::clamp(level->preset, 0, 9));
            if (level->extreme) preset |= LZMA_PRESET_EXTREME;
            if (lzma_lzma_preset(&lzma, preset)) throw Error("LZMA preset is not supported");
            lzma.pb = coding.pb;
        }
        lzma.dict_size = coding.dict_size;
        lzma.preset_dict = coding.preset;
        lzma.preset_dict_size = static_cast<uint32_t>(coding.preset_size);
        int n = 0;
        if (coding.filter == Filter::x86_lzma2) chain[n++] = {LZMA_FILTER_X86, nullptr};
        chain[n++] = {LZMA_FILTER_LZMA2, &lzma};
        chain[n] = {LZMA_VLI_UNKNOWN, nullptr};
    }
};

std::string lzma_message(lzma_ret ret) {
    switch (ret) {
        case LZMA_MEM_ERROR:
            return "out of memory";
        case LZMA_MEMLIMIT_ERROR:
            return "needs more memory than allowed";
        case LZMA_OPTIONS_ERROR:
            return "unsupported options";
        case LZMA_DATA_ERROR:
            return "data error";
        case LZMA_BUF_ERROR:
            return "data ends too early";
        default:
            return "liblzma error " + std::to_string(static_cast<int>(ret));
    }
}

}  // namespace

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
    std::vector<uint8_t> out(lzma_stream_buffer_bound(size));
    if (!consumed) {
        size_t out_pos = 0;
        lzma_ret ret =
            lzma_raw_buffer_encode(f.chain, nullptr, data, size, out.data(), &out_pos, out.size());
        if (ret != LZMA_OK) throw Error("compression failed: " + lzma_message(ret));
        out.resize(out_pos);
        return out;
    }
    // The same coder fed a chunk at a time, so that a caller can show progress; liblzma's
    // output does not depend on how its input is cut.
    lzma_stream strm = LZMA_STREAM_INIT;
    lzma_ret ret = lzma_raw_encoder(&strm, f.chain);
    if (ret != LZMA_OK) throw Error("compression failed: " + lzma_message(ret));
    strm.next_out = out.data();
    strm.avail_out = out.size();
    constexpr size_t kChunk = 1u << 20;
    size_t fed = 0;
    do {
        const size_t n = std::min(kChunk, size - fed);
        strm.next_in = data + fed;
        strm.avail_in = n;
        fed += n;
        const lzma_action action = fed == size ? LZMA_FINISH : LZMA_RUN;
        do ret = lzma_code(&strm, action);
        while (ret == LZMA_OK && (strm.avail_in > 0 || action == LZMA_FINISH));
        if (ret != LZMA_OK && ret != LZMA_STREAM_END) break;
        consumed(n);
    } while (fed < size);
    const size_t out_size = strm.total_out;
    lzma_end(&strm);
    if (ret != LZMA_STREAM_END) throw Error("compression failed: " + lzma_message(ret));
    out.resize(out_size);
    return out;
}

std::vector<uint8_t> decompress_all(const uint8_t* packed, size_t packed_size, size_t size,
                                    const Coding& coding, const std::string& what) {
    std::vector<uint8_t> out(size);
    BlockDecoder decoder(coding, what);
    size_t produced = 0;
    bool ended = false;
    while (!ended) {
        // One byte of spare room shows a stream that is longer than it claims.
        uint8_t spare;
        uint8_t* dst = produced < size ? out.data() + produced : &spare;
        size_t room = produced < size ? size - produced : 1;
        size_t n = decoder.decode(packed, packed_size, dst, room, true, ended);
        if (produced == size && n != 0) throw FormatError(what + " is damaged (too long)");
        produced += n;
        if (n == 0 && !ended) throw FormatError(what + " is damaged (truncated)");
    }
    if (produced != size || packed_size != 0) throw FormatError(what + " is damaged (size)");
    return out;
}

BlockDecoder::BlockDecoder(const Coding& coding, std::string what) : what_(std::move(what)) {
    Filters f(coding, nullptr);
    lzma_ret ret = lzma_raw_decoder(&strm_, f.chain);
    if (ret != LZMA_OK) throw Error(what_ + ": cannot start decoding: " + lzma_message(ret));
}

BlockDecoder::~BlockDecoder() {
    lzma_end(&strm_);
}

size_t BlockDecoder::decode(const uint8_t*& in, size_t& in_left, uint8_t* out, size_t out_size,
                            bool input_done, bool& ended) {
    strm_.next_in = in;
    strm_.avail_in = in_left;
    strm_.next_out = out;
    strm_.avail_out = out_size;
    lzma_ret ret = lzma_code(&strm_, input_done ? LZMA_FINISH : LZMA_RUN);
    size_t produced = out_size - strm_.avail_out;
    in = strm_.next_in;
    in_left = strm_.avail_in;
    if (ret == LZMA_STREAM_END) {
        ended = true;
    } else if (ret != LZMA_OK) {
        throw FormatError(what_ + " is damaged (" + lzma_message(ret) + ")");
    }
    return produced;
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
