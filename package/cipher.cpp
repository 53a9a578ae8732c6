#include "package/cipher.h"

#include "package/aes.h"
#include "package/format.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace ko {

namespace {

constexpr int64_t Block = format::CipherBlock;
// Blocks go through the cipher in chunks: one read, one write and one cipher call per MiB rather
// than per block, while memory stays the same for any file size. Under Wine a system call costs
// enough that 1 MiB deciphers a large file in about 1.15 times a plain copy, 64 KiB in 1.3.
constexpr int64_t ChunkBlocks = 65536;

[[noreturn]] void InvalidFormat() {
    throw ECipherException("Invalid file format");
}

// Passes Blocks whole blocks from Input through the cipher to Output. A short read still writes
// the whole blocks that came before it fails.
void ProcessBlocks(TStream& input, TStream& output, TAesEcb& aes, int64_t blocks,
                   std::vector<uint8_t>& buffer) {
    while (blocks > 0) {
        const int64_t want = std::min(blocks, ChunkBlocks) * Block;
        const int64_t got = input.ReadFully(buffer.data(), want);
        const int64_t whole = got / Block;
        aes.Process(buffer.data(), static_cast<size_t>(whole));
        output.WriteBuffer(buffer.data(), whole * Block);
        if (got != want)
            InvalidFormat();
        blocks -= whole;
    }
}

// Keys shorter than the cipher needs are zero-filled rather than read past their end.
TAesEcb MakeCipher(const uint8_t* key, int keySize, bool encrypt) {
    const int nk = std::clamp(keySize / 4, 4, 8);
    uint8_t material[32] = {};
    std::memcpy(material, key, static_cast<size_t>(std::clamp(keySize, 0, 32)));
    return TAesEcb(material, nk * 4, encrypt);
}

} // namespace

int64_t DecipherToMemory(TStream& input, std::vector<uint8_t>& buffer, const uint8_t* key,
                         int keySize) {
    // As in CipherStream, bytes after the last whole block are no part of the data.
    const int64_t size = input.Size() / Block * Block;
    buffer.resize(static_cast<size_t>(size));
    if (size == 0 || input.ReadFully(buffer.data(), size) != size)
        InvalidFormat();
    MakeCipher(key, keySize, false).Process(buffer.data(), static_cast<size_t>(size / Block));
    const uint8_t count = buffer[static_cast<size_t>(size - 1)];
    if (count >= Block)
        InvalidFormat();
    return size - Block + count;
}

void CipherStream(TStream& input, TStream& output, const uint8_t* key, int keySize, bool encrypt) {
    TAesEcb aes = MakeCipher(key, keySize, encrypt);
    const int64_t size = input.Size();
    // No bigger than the data: a fresh megabyte for every small file costs more than its copy.
    std::vector<uint8_t> buffer(
        static_cast<size_t>(std::clamp<int64_t>(size, 0, ChunkBlocks * Block)));
    uint8_t last[Block] = {};
    if (encrypt) {
        ProcessBlocks(input, output, aes, size / Block, buffer);
        const int64_t rest = size % Block;
        if (input.ReadFully(last, rest) != rest)
            InvalidFormat();
        last[Block - 1] = static_cast<uint8_t>(rest);
        aes.Process(last, 1);
        output.WriteBuffer(last, Block);
        return;
    }
    // The last block says how many of its bytes belong to the data. It is deciphered with the
    // chunk it ends, so that a small file takes one read and one write.
    int64_t blocks = size / Block;
    if (blocks == 0)
        InvalidFormat();
    while (blocks > 0) {
        const int64_t want = std::min(blocks, ChunkBlocks) * Block;
        const int64_t got = input.ReadFully(buffer.data(), want);
        const int64_t whole = got / Block;
        aes.Process(buffer.data(), static_cast<size_t>(whole));
        blocks -= whole;
        if (got != want) {
            output.WriteBuffer(buffer.data(), whole * Block);
            InvalidFormat();
        }
        if (blocks > 0) {
            output.WriteBuffer(buffer.data(), want);
            continue;
        }
        // A count above 15 means a wrong key or damaged data; the block holds at most 15 bytes.
        const uint8_t count = buffer[static_cast<size_t>(want - 1)];
        output.WriteBuffer(buffer.data(), want - Block + (count < Block ? count : 0));
        if (count >= Block)
            InvalidFormat();
    }
}

} // namespace ko
