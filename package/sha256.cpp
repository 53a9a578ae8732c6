#include "package/sha256.h"

// The block functions rather than EVP: the stub links libcrypto statically, and EVP would bring
// megabytes of provider machinery into every Setup.exe for one digest. These still use the
// processor's SHA instructions where it has them.
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

int64_t TSha256Stream::Write(const void* buffer, int64_t count) {
    const int64_t written = FOutput.Write(buffer, count);
    if (written > 0)
        FSha.Update(buffer, static_cast<size_t>(written));
    return written;
}

} // namespace ko
