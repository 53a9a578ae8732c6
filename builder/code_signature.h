// The signature a code-signing tool appends to a Windows program or DLL: a PKCS#7 SignedData in
// the file's security directory. The builder reads it to tell the vendor which of the product's
// files Windows 11's Smart App Control would block; whether the certificate chains to a trusted
// root is Windows' judgement to make, not the builder's.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace ko {

struct TCodeSignature {
    std::string Subject;        // the signer certificate's subject, "CN=..., O=..."
    bool EllipticCurve = false; // signed with an EC key, which Smart App Control refuses
};

// The signature of the PE file at Path; nothing when it carries none, or when its security
// directory holds anything but a readable SignedData.
std::optional<TCodeSignature> ReadCodeSignature(const std::filesystem::path& path);

// The same of a file's whole contents.
std::optional<TCodeSignature> ReadCodeSignature(const std::string& bytes);

} // namespace ko
