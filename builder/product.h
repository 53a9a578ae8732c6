// Turns a checked manifest into package content: converts its texts to the package's code page,
// reads the documents and the banner, expands the file patterns and measures every source.
#pragma once

#include "builder/manifest.h"
#include "builder/package_writer.h"
#include "package/format.h"

#include <array>
#include <string>
#include <vector>

namespace ko {

class TFileSigner;

// Throws EManifestError with every mistake of the manifest, those its reading found and those
// found here ("FILE:LINE: ..." naming the field, the character or the source file). Warnings
// (nothing wrong, but likely unintended) go to Warnings. A build passes Signer, which stores the
// files marked sign = true as signed copies (a mistake when it has no command); without it (a
// check) they are only checked.
TPackageContent ResolveManifest(const TManifest& manifest,
                                const std::array<uint8_t, format::KeySize>& key,
                                std::vector<std::string>& warnings, TFileSigner* signer = nullptr);

} // namespace ko
