// The installer program that kosetup carries inside itself, put there when kosetup was built
// (cmake/embed-stub.cmake), so that a build needs no stub file beside the builder.
#pragma once

#include <cstddef>

namespace ko {

struct TEmbeddedStub {
    const unsigned char* Bytes;
    size_t Size; // 0 when kosetup was built before any stub existed
    const char* Version;
    const char* Sha256; // lower-case hex
};

TEmbeddedStub EmbeddedStub();

} // namespace ko
