// Sha256 through OpenSSL's EVP interface (libcrypto).
#include <openssl/err.h>
#include <openssl/evp.h>

#include <stdexcept>

#include "integrity/sha256.h"

namespace setup {

namespace {

[[noreturn]] void fail(const char* call) {
    char reason[256] = "no reason given";
    if (unsigned long code = ERR_get_error()) ERR_error_string_n(code, reason, sizeof reason);
    throw std::runtime_error(std::string("SHA-256: ") + call + " failed: " + reason);
}

}  // namespace

struct Sha256::State {
    EVP_MD_CTX* context = nullptr;
    State() : context(EVP_MD_CTX_new()) {
        if (!context) fail("EVP_MD_CTX_new");
    }
    ~State() { EVP_MD_CTX_free(context); }
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    void start() {
        if (EVP_DigestInit_ex(context, EVP_sha256(), nullptr) != 1) fail("EVP_DigestInit_ex");
    }
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
    state_->start();
}

Sha256::~Sha256() = default;

void Sha256::update(const void* data, size_t size) {
    if (size != 0 && EVP_DigestUpdate(state_->context, data, size) != 1) fail("EVP_DigestUpdate");
}

Sha256Digest Sha256::finish() {
    Sha256Digest digest{};
    unsigned int size = 0;
    if (EVP_DigestFinal_ex(state_->context, digest.data(), &size) != 1 || size != digest.size())
        fail("EVP_DigestFinal_ex");
    state_->start();
    return digest;
}

}  // namespace setup
