#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "script_check/code_page_1250.h"
#include "uha/src/names.h"

namespace setup {

namespace {

// One conversion descriptor, closed with its owner.
class Iconv {
  public:
    Iconv(const char* to, const char* from) : handle_(iconv_open(to, from)) {
        if (handle_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " +
                                     to + ": " + std::strerror(errno));
        }
    }
    ~Iconv() { iconv_close(handle_); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    // Converts as much of the input as it can; false with errno set where it stopped.
    bool convert(const char*& in, size_t& in_left, char*& out, size_t& out_left) {
        char* in_cursor = const_cast<char*>(in);  // iconv's signature; it never writes there
        const size_t result = iconv(handle_, &in_cursor, &in_left, &out, &out_left);
        in = in_cursor;
        return result != static_cast<size_t>(-1);
    }

  private:
    iconv_t handle_;
};

// The bytes of the UTF-8 sequence at text[at] (the input is valid UTF-8).
size_t sequence_length(std::string_view text, size_t at) {
    uint32_t cp = 0;
    return std::max<size_t>(uha::utf8_sequence(text, at, cp), 1);
}

}  // namespace

Cp1250Conversion utf8_to_cp1250(std::string_view utf8) {
    Iconv iconv_1250("CP1250", "UTF-8");
    Cp1250Conversion result;
    result.text.resize(utf8.size());  // never more bytes than the UTF-8 form has
    const char* in = utf8.data();
    size_t in_left = utf8.size();
    char* out = result.text.data();
    size_t out_left = result.text.size();
    while (!iconv_1250.convert(in, in_left, out, out_left)) {
        if (errno != EILSEQ && errno != EINVAL) {
            throw std::runtime_error(std::string("iconv from UTF-8 to CP1250: ") +
                                     std::strerror(errno));
        }
        result.unmappable.push_back(static_cast<size_t>(in - utf8.data()));
        const size_t skip =
            std::min(in_left, sequence_length(utf8, static_cast<size_t>(in - utf8.data())));
        in += skip;
        in_left -= skip;
        *out++ = '?';
        --out_left;
    }
    result.text.resize(result.text.size() - out_left);
    return result;
}

std::string cp1250_to_utf8(std::string_view cp1250) {
    Iconv iconv_utf8("UTF-8", "CP1250");
    std::string result(cp1250.size() * 3, '\0');  // no CP1250 character needs more
    const char* in = cp1250.data();
    size_t in_left = cp1250.size();
    char* out = result.data();
    size_t out_left = result.size();
    static constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD, as long as any output
    while (!iconv_utf8.convert(in, in_left, out, out_left)) {
        if (errno != EILSEQ && errno != EINVAL) {
            throw std::runtime_error(std::string("iconv from CP1250 to UTF-8: ") +
                                     std::strerror(errno));
        }
        std::memcpy(out, kReplacement, 3);
        out += 3;
        out_left -= 3;
        ++in;
        --in_left;
    }
    result.resize(result.size() - out_left);
    return result;
}

}  // namespace setup
