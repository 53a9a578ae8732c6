// The AES block operation (FIPS 197) in ECB form, on libcrypto. Many blocks go through one call
// so that the processor's AES instructions can be used where it has them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace ko {

class TAesEcb {
public:
    // KeySize bytes of Key; 16, 24 or 32. Throws ECipherException for any other size.
    TAesEcb(const uint8_t* key, int keySize, bool encrypt);
    ~TAesEcb();
    TAesEcb(const TAesEcb&) = delete;
    TAesEcb& operator=(const TAesEcb&) = delete;

    // Enciphers or deciphers Blocks 16-byte blocks in place.
    void Process(uint8_t* data, size_t blocks);

    // The name of the routine in use ("aes-ni" or "portable"), for benchmarks and tests.
    static const char* Implementation();

private:
    struct TState;
    std::unique_ptr<TState> FState;
};

} // namespace ko
