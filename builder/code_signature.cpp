#include "builder/code_signature.h"

#include "base/stream.h"
#include "package/pe_image.h"

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pkcs7.h>
#include <openssl/x509.h>

#include <fstream>
#include <iterator>
#include <memory>

namespace ko {

namespace {

// The certificate table's entries: length (4), revision (2), type (2), then the certificate.
constexpr size_t CertificateHeader = 8;
constexpr uint16_t CertificateTypePkcsSignedData = 0x0002;

struct TPkcs7Free {
    void operator()(PKCS7* p) const { PKCS7_free(p); }
};
struct TStackFree {
    void operator()(STACK_OF(X509) * s) const { sk_X509_free(s); }
};
struct TBioFree {
    void operator()(BIO* b) const { BIO_free(b); }
};

// "CN=Example, O=Example Ltd": in the certificate's order, as Windows shows it, with UTF-8
// left as it is.
std::string NameText(const X509_NAME* name) {
    std::unique_ptr<BIO, TBioFree> bio(BIO_new(BIO_s_mem()));
    constexpr unsigned long flags =
        (ASN1_STRFLGS_RFC2253 & ~ASN1_STRFLGS_ESC_MSB) | XN_FLAG_SEP_CPLUS_SPC | XN_FLAG_FN_SN;
    if (!bio || X509_NAME_print_ex(bio.get(), name, 0, flags) < 0)
        return {};
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    return size > 0 ? std::string(data, size_t(size)) : std::string();
}

std::optional<TCodeSignature> ReadSignedData(const uint8_t* der, size_t size) {
    const unsigned char* at = der;
    std::unique_ptr<PKCS7, TPkcs7Free> p7(d2i_PKCS7(nullptr, &at, long(size)));
    if (!p7 || !PKCS7_type_is_signed(p7.get()))
        return std::nullopt;
    // The signers' certificates travel inside the SignedData; no store is consulted.
    std::unique_ptr<STACK_OF(X509), TStackFree> signers(
        PKCS7_get0_signers(p7.get(), nullptr, PKCS7_NOVERIFY | PKCS7_NOCHAIN));
    if (!signers || sk_X509_num(signers.get()) < 1)
        return std::nullopt;
    X509* signer = sk_X509_value(signers.get(), 0);
    TCodeSignature signature;
    signature.Subject = NameText(X509_get_subject_name(signer));
    const EVP_PKEY* key = X509_get0_pubkey(signer);
    signature.EllipticCurve = key && EVP_PKEY_get_base_id(key) == EVP_PKEY_EC;
    return signature;
}

} // namespace

std::optional<TCodeSignature> ReadCodeSignature(const std::string& bytes) {
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    const std::optional<TPeFields> fields = FindPeFields(data, bytes.size());
    if (!fields || fields->SecurityDirectory > bytes.size() - 8)
        return std::nullopt;
    const uint32_t offset = GetLE32(data + fields->SecurityDirectory);
    const uint32_t size = GetLE32(data + fields->SecurityDirectory + 4);
    if (size <= CertificateHeader || offset > bytes.size() || size > bytes.size() - offset)
        return std::nullopt;
    const uint8_t* entry = data + offset;
    const uint32_t length = GetLE32(entry);
    if (GetLE16(entry + 6) != CertificateTypePkcsSignedData || length <= CertificateHeader ||
        length > size)
        return std::nullopt;
    return ReadSignedData(entry + CertificateHeader, length - CertificateHeader);
}

std::optional<TCodeSignature> ReadCodeSignature(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    return ReadCodeSignature(bytes);
}

} // namespace ko
