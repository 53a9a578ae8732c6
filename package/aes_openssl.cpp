#include "package/aes.h"

#include "package/cipher.h"

// The low-level block functions are all the stub needs; the EVP layer would pull libcrypto's
// provider machinery into the stub (megabytes) for the same bytes.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/aes.h>

namespace ko {

struct TAesEcb::TState {
    AES_KEY Key;
    bool Encrypt;
};

TAesEcb::TAesEcb(const uint8_t* key, int keySize, bool encrypt)
    : FState(std::make_unique<TState>()) {
    FState->Encrypt = encrypt;
    const int bits = keySize * 8;
    const int rc = encrypt ? AES_set_encrypt_key(key, bits, &FState->Key)
                           : AES_set_decrypt_key(key, bits, &FState->Key);
    if (rc != 0)
        throw ECipherException("TAesEcb: unsupported key size");
}

TAesEcb::~TAesEcb() = default;

void TAesEcb::Process(uint8_t* data, size_t blocks) {
    for (size_t i = 0; i < blocks; ++i, data += 16) {
        if (FState->Encrypt)
            AES_encrypt(data, data, &FState->Key);
        else
            AES_decrypt(data, data, &FState->Key);
    }
}

const char* TAesEcb::Implementation() {
    return "portable";
}

} // namespace ko
