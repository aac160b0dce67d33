// Sha256 through CryptoAPI (advapi32): the AES provider type, whose default provider has
// SHA-256 from Windows XP SP3 on (and under Wine). A verify-only context needs no key
// container, so nothing is created or read in the user's profile.
#include <windows.h>

#include <wincrypt.h>

#include <cstdio>
#include <stdexcept>

#include "integrity/sha256.h"

namespace setup {

namespace {

// "0x" and eight upper-case hex digits. Not printf: its implementation (with floating point)
// would be a tenth of a small program.
std::string hex_code(unsigned long code) {
    std::string text = "0x00000000";
    for (size_t i = text.size(); code != 0 && i > 2; code >>= 4)
        text[--i] = "0123456789ABCDEF"[code & 15];
    return text;
}

[[noreturn]] void fail(const char* call) {
    const std::string code = hex_code(GetLastError());
    throw std::runtime_error(std::string("SHA-256: ") + call + " failed (error " + code + ")");
}

}  // namespace

struct Sha256::State {
    HCRYPTPROV provider = 0;
    HCRYPTHASH hash = 0;
    State() {
        if (!CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT))
            fail("CryptAcquireContextA");
    }
    ~State() {
        if (hash) CryptDestroyHash(hash);
        CryptReleaseContext(provider, 0);
    }
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    // A CryptoAPI hash object takes no data once its value has been read: each digest gets a
    // new one.
    void start() {
        if (hash) CryptDestroyHash(hash);
        hash = 0;
        if (!CryptCreateHash(provider, CALG_SHA_256, 0, 0, &hash)) fail("CryptCreateHash");
    }
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
    state_->start();
}

Sha256::~Sha256() = default;

void Sha256::update(const void* data, size_t size) {
    const auto* bytes = static_cast<const BYTE*>(data);
    while (size != 0) {
        const DWORD piece = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        if (!CryptHashData(state_->hash, bytes, piece, 0)) fail("CryptHashData");
        bytes += piece;
        size -= piece;
    }
}

Sha256Digest Sha256::finish() {
    Sha256Digest digest{};
    DWORD size = digest.size();
    if (!CryptGetHashParam(state_->hash, HP_HASHVAL, digest.data(), &size, 0) ||
        size != digest.size())
        fail("CryptGetHashParam");
    state_->start();
    return digest;
}

}  // namespace setup
