#include "uha/src/codec.h"

#include "uha/src/codec_filters.h"

namespace uha {

using detail::Filters;
using detail::lzma_message;

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

}  // namespace uha
