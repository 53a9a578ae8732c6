// The payload cipher: AES-128 in ECB form over 16-byte blocks, the last block carrying the count
// of content bytes it holds in its byte 15.
#pragma once

#include "base/errors.h"
#include "base/stream.h"

#include <cstdint>
#include <vector>

namespace ko {

class ECipherException : public EKoError {
public:
    using EKoError::EKoError;
};

// Enciphers (Encrypt true) or deciphers Input from its position into Output at its position.
// The block count comes from Input's whole size, so a window over one record's data deciphers
// exactly that record. Throws ECipherException "Invalid file format" when Input ends inside a
// block or a final block's count is above 15; what was written before stays written.
void CipherStream(TStream& input, TStream& output, const uint8_t* key, int keySize, bool encrypt);

// Deciphers the whole of Input into Buffer, for data small enough to hold in memory, and returns
// how many bytes at the start of Buffer are content. Throws ECipherException "Invalid file format"
// as CipherStream does.
int64_t DecipherToMemory(TStream& input, std::vector<uint8_t>& buffer, const uint8_t* key,
                         int keySize);

} // namespace ko
