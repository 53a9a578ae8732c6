#include "package/aes.h"

#include "package/cipher.h"

#include <openssl/evp.h>

namespace ko {

// Natively libcrypto is Debian's shared library: its EVP layer picks the processor's AES
// instructions by itself, and the size of the provider machinery does not matter for the
// builder. (The stub's static build has its own backend in aes_aesni.cpp.)
struct TAesEcb::TState {
    EVP_CIPHER_CTX* Context = nullptr;
    ~TState() { EVP_CIPHER_CTX_free(Context); }
};

TAesEcb::TAesEcb(const uint8_t* key, int keySize, bool encrypt)
    : FState(std::make_unique<TState>()) {
    const EVP_CIPHER* cipher = keySize == 16   ? EVP_aes_128_ecb()
                               : keySize == 24 ? EVP_aes_192_ecb()
                               : keySize == 32 ? EVP_aes_256_ecb()
                                               : nullptr;
    if (!cipher)
        throw ECipherException("TAesEcb: unsupported key size");
    FState->Context = EVP_CIPHER_CTX_new();
    if (!FState->Context ||
        !EVP_CipherInit_ex(FState->Context, cipher, nullptr, key, nullptr, encrypt ? 1 : 0))
        throw ECipherException("TAesEcb: cannot set up the cipher");
    EVP_CIPHER_CTX_set_padding(FState->Context, 0);
}

TAesEcb::~TAesEcb() = default;

void TAesEcb::Process(uint8_t* data, size_t blocks) {
    // EVP takes an int length; feed it in slices that fit.
    constexpr size_t slice = size_t(1) << 26;
    while (blocks > 0) {
        const size_t n = blocks < slice ? blocks : slice;
        int written = 0;
        if (!EVP_CipherUpdate(FState->Context, data, &written, data, static_cast<int>(n * 16)))
            throw ECipherException("TAesEcb: cipher failed");
        data += n * 16;
        blocks -= n;
    }
}

const char* TAesEcb::Implementation() {
    return "EVP";
}

} // namespace ko
