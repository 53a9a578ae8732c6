#include "package/sha256.h"

// Natively libcrypto is Debian's shared library, whose block routine picks the processor's SHA
// instructions by itself. (The stub's static build has its own in sha256_shani.cpp.)
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/sha.h>

namespace ko {

struct TSha256::TState {
    SHA256_CTX Context;
};

TSha256::TSha256() : FState(std::make_unique<TState>()) {
    SHA256_Init(&FState->Context);
}

TSha256::~TSha256() = default;

void TSha256::Update(const void* data, size_t size) {
    SHA256_Update(&FState->Context, data, size);
}

TDigest TSha256::Finish() {
    TDigest digest{};
    SHA256_Final(digest.data(), &FState->Context);
    return digest;
}

const char* TSha256::Implementation() {
    return "libcrypto";
}

} // namespace ko
