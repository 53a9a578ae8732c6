#include "package/aes.h"

#include "package/cipher.h"

// The low-level block functions are all the stub needs: libcrypto's EVP layer would bring its
// provider machinery into every Setup.exe (megabytes) for the same bytes.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/aes.h>

// libcrypto's own AES-NI routines, which its EVP layer uses internally. They are not in its
// public headers, so they are declared here; the prototypes are those of libcrypto's
// aesni-x86 module. The portable block functions decipher about 90 MB/s under the stub's
// conditions, the AES-NI routine about 8 GB/s, many blocks per call (ECB has no chaining, so
// this gives the same bytes as block by block).
extern "C" {
int aesni_set_encrypt_key(const unsigned char* userKey, int bits, AES_KEY* key);
int aesni_set_decrypt_key(const unsigned char* userKey, int bits, AES_KEY* key);
void aesni_ecb_encrypt(const unsigned char* in, unsigned char* out, size_t length,
                       const AES_KEY* key, int enc);
void OPENSSL_cpuid_setup(void);
extern unsigned int OPENSSL_ia32cap_P[4];
}

namespace ko {

namespace {

// The processor-capability probe runs only when called: linking the block functions alone
// leaves every flag zero.
bool HasAesNi() {
    static const bool has = [] {
        OPENSSL_cpuid_setup();
        return (OPENSSL_ia32cap_P[1] & (1u << (57 - 32))) != 0;
    }();
    return has;
}

} // namespace

struct TAesEcb::TState {
    AES_KEY Key; // the two routines lay out their key schedules differently
    bool Encrypt;
    bool AesNi;
};

TAesEcb::TAesEcb(const uint8_t* key, int keySize, bool encrypt)
    : FState(std::make_unique<TState>()) {
    FState->Encrypt = encrypt;
    FState->AesNi = HasAesNi();
    const int bits = keySize * 8;
    int rc;
    if (FState->AesNi)
        rc = encrypt ? aesni_set_encrypt_key(key, bits, &FState->Key)
                     : aesni_set_decrypt_key(key, bits, &FState->Key);
    else
        rc = encrypt ? AES_set_encrypt_key(key, bits, &FState->Key)
                     : AES_set_decrypt_key(key, bits, &FState->Key);
    if (keySize != 16 && keySize != 24 && keySize != 32)
        rc = -1;
    if (rc != 0)
        throw ECipherException("TAesEcb: unsupported key size");
}

TAesEcb::~TAesEcb() = default;

void TAesEcb::Process(uint8_t* data, size_t blocks) {
    if (FState->AesNi) {
        aesni_ecb_encrypt(data, data, blocks * 16, &FState->Key, FState->Encrypt ? 1 : 0);
        return;
    }
    for (size_t i = 0; i < blocks; ++i, data += 16) {
        if (FState->Encrypt)
            AES_encrypt(data, data, &FState->Key);
        else
            AES_decrypt(data, data, &FState->Key);
    }
}

const char* TAesEcb::Implementation() {
    return HasAesNi() ? "aes-ni" : "portable";
}

} // namespace ko
