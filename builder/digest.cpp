#include "builder/digest.h"

#include "builder/build_error.h"

#include <openssl/evp.h>

namespace ko {

TSha256::TSha256() : FContext(EVP_MD_CTX_new()) {
    if (!FContext || !EVP_DigestInit_ex(static_cast<EVP_MD_CTX*>(FContext), EVP_sha256(), nullptr))
        throw EBuildError("Cannot start a SHA-256 digest");
}

TSha256::~TSha256() {
    EVP_MD_CTX_free(static_cast<EVP_MD_CTX*>(FContext));
}

void TSha256::Update(const void* data, size_t size) {
    EVP_DigestUpdate(static_cast<EVP_MD_CTX*>(FContext), data, size);
}

std::array<uint8_t, 32> TSha256::Finish() {
    std::array<uint8_t, 32> digest{};
    EVP_DigestFinal_ex(static_cast<EVP_MD_CTX*>(FContext), digest.data(), nullptr);
    return digest;
}

std::string HexDigits(const uint8_t* bytes, size_t count) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

} // namespace ko
