#include "base/double_byte.h"

namespace ko {

bool IsDoubleByteCodePage(int codePage) {
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950;
}

bool IsLeadByte(unsigned char byte, int codePage) {
    if (codePage == 932)
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    return IsDoubleByteCodePage(codePage) && byte >= 0x81 && byte <= 0xFE;
}

} // namespace ko
