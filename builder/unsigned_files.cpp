#include "builder/unsigned_files.h"

#include "base/ascii_text.h"
#include "builder/code_signature.h"

#include <optional>

namespace ko {

bool IsProgramOrLibrary(const std::string& target) {
    const std::string lower = AsciiLowerCase(target);
    return lower.ends_with(".exe") || lower.ends_with(".dll");
}

std::string UnsignedFileWarning(const std::string& target, const std::filesystem::path& source,
                                bool willBeSigned) {
    if (willBeSigned || !IsProgramOrLibrary(target))
        return {};
    const std::optional<TCodeSignature> signature = ReadCodeSignature(source);
    if (!signature)
        return target + " is not signed: Windows 11's Smart App Control blocks unsigned libraries "
                        "and programs; sign it or set sign = true";
    if (signature->EllipticCurve)
        return target + " is signed with an elliptic-curve key: Windows 11's Smart App Control "
                        "accepts only RSA signatures; sign it with an RSA key or set sign = true";
    return {};
}

} // namespace ko
