#pragma once
// The filter chain of a block and liblzma's return codes in words: shared by the coder's two
// halves, which are separate files so that a program that only decodes links no encoder.
#include <lzma.h>

#include <algorithm>
#include <string>

#include "uha/src/codec.h"
#include "uha/src/error.h"

namespace uha::detail {

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

inline std::string lzma_message(lzma_ret ret) {
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

}  // namespace uha::detail
