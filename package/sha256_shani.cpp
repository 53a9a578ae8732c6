#include "package/sha256.h"

#include <cstring>
#include <immintrin.h>

// The stub's SHA-256 (FIPS 180-4). libcrypto's block routine carries code paths for every x86
// generation, 22 KB of every Setup.exe; this one uses the processor's SHA instructions where it
// has them and a plain loop elsewhere, in about 2 KB.

// libcrypto's processor-capability probe, as in aes_aesni.cpp. It honours the OPENSSL_ia32cap
// environment variable (its second value masks the words of leaf 7), which lets the tests mask
// the SHA instructions off.
extern "C" {
void OPENSSL_cpuid_setup(void);
extern unsigned int OPENSSL_ia32cap_P[4];
}

#define KO_SHANI __attribute__((target("sha,sse4.1"), force_align_arg_pointer))

namespace ko {

namespace {

bool HasShaNi() {
    static const bool has = [] {
        OPENSSL_cpuid_setup();
        const bool sse41 = (OPENSSL_ia32cap_P[1] & (1u << 19)) != 0;
        return sse41 && (OPENSSL_ia32cap_P[2] & (1u << 29)) != 0;
    }();
    return has;
}

constexpr uint32_t K[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

inline uint32_t Rotr(uint32_t x, int n) {
    return x >> n | x << (32 - n);
}

void BlocksPortable(uint32_t* h, const uint8_t* data, size_t blocks) {
    for (; blocks > 0; --blocks, data += 64) {
        uint32_t w[64];
        for (int i = 0; i < 16; ++i)
            w[i] = uint32_t(data[4 * i]) << 24 | uint32_t(data[4 * i + 1]) << 16 |
                   uint32_t(data[4 * i + 2]) << 8 | data[4 * i + 3];
        for (int i = 16; i < 64; ++i) {
            const uint32_t s0 = Rotr(w[i - 15], 7) ^ Rotr(w[i - 15], 18) ^ w[i - 15] >> 3;
            const uint32_t s1 = Rotr(w[i - 2], 17) ^ Rotr(w[i - 2], 19) ^ w[i - 2] >> 10;
            w[i] = w[i - 16] + s0 + w[i - 7] + s1;
        }
        uint32_t v[8];
        std::memcpy(v, h, sizeof v);
        for (int i = 0; i < 64; ++i) {
            const uint32_t s1 = Rotr(v[4], 6) ^ Rotr(v[4], 11) ^ Rotr(v[4], 25);
            const uint32_t ch = (v[4] & v[5]) ^ (~v[4] & v[6]);
            const uint32_t t1 = v[7] + s1 + ch + K[i] + w[i];
            const uint32_t s0 = Rotr(v[0], 2) ^ Rotr(v[0], 13) ^ Rotr(v[0], 22);
            const uint32_t maj = (v[0] & v[1]) ^ (v[0] & v[2]) ^ (v[1] & v[2]);
            std::memmove(v + 1, v, 7 * sizeof *v);
            v[4] += t1;
            v[0] = t1 + s0 + maj;
        }
        for (int i = 0; i < 8; ++i)
            h[i] += v[i];
    }
}

// The instructions keep the state as ABEF and CDGH and take the message four words at a time;
// each group of four rounds also prepares the message words four groups ahead.
KO_SHANI void BlocksShaNi(uint32_t* h, const uint8_t* data, size_t blocks) {
    const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bLL, 0x0405060700010203LL);
    __m128i cdab = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(h)), 0xB1);
    __m128i efgh =
        _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(h + 4)), 0x1B);
    __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
    __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xF0);
    for (; blocks > 0; --blocks, data += 64) {
        const __m128i abefStart = abef, cdghStart = cdgh;
        __m128i m[4];
        for (int i = 0; i < 4; ++i)
            m[i] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data) + i),
                                    byteSwap);
        // Unrolled, so that the four message registers stay registers: a loop indexes them in
        // memory, which halves the speed.
#pragma GCC unroll 16
        for (int i = 0; i < 16; ++i) {
            __m128i message =
                _mm_add_epi32(m[i & 3], _mm_loadu_si128(reinterpret_cast<const __m128i*>(K) + i));
            cdgh = _mm_sha256rnds2_epu32(cdgh, abef, message);
            if (i < 12) {
                const __m128i w = _mm_add_epi32(_mm_sha256msg1_epu32(m[i & 3], m[(i + 1) & 3]),
                                                _mm_alignr_epi8(m[(i + 3) & 3], m[(i + 2) & 3], 4));
                m[i & 3] = _mm_sha256msg2_epu32(w, m[(i + 3) & 3]);
            }
            abef = _mm_sha256rnds2_epu32(abef, cdgh, _mm_shuffle_epi32(message, 0x0E));
        }
        abef = _mm_add_epi32(abef, abefStart);
        cdgh = _mm_add_epi32(cdgh, cdghStart);
    }
    const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
    const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(h), _mm_blend_epi16(feba, dchg, 0xF0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(h + 4), _mm_alignr_epi8(dchg, feba, 8));
}

void Blocks(uint32_t* h, const uint8_t* data, size_t blocks) {
    if (HasShaNi())
        BlocksShaNi(h, data, blocks);
    else
        BlocksPortable(h, data, blocks);
}

} // namespace

struct TSha256::TState {
    uint32_t H[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                     0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    uint8_t Pending[64];
    size_t Used = 0;
    uint64_t Length = 0;
};

TSha256::TSha256() : FState(std::make_unique<TState>()) {}

TSha256::~TSha256() = default;

void TSha256::Update(const void* data, size_t size) {
    TState& s = *FState;
    const auto* p = static_cast<const uint8_t*>(data);
    s.Length += size;
    if (s.Used > 0) {
        const size_t take = size < 64 - s.Used ? size : 64 - s.Used;
        std::memcpy(s.Pending + s.Used, p, take);
        s.Used += take;
        p += take;
        size -= take;
        if (s.Used < 64)
            return;
        Blocks(s.H, s.Pending, 1);
        s.Used = 0;
    }
    Blocks(s.H, p, size / 64);
    s.Used = size % 64;
    std::memcpy(s.Pending, p + size - s.Used, s.Used);
}

TDigest TSha256::Finish() {
    TState& s = *FState;
    const uint64_t bits = s.Length * 8;
    uint8_t tail[72] = {0x80};
    const size_t padding = (s.Used < 56 ? 56 : 120) - s.Used;
    for (int i = 0; i < 8; ++i)
        tail[padding + i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
    Update(tail, padding + 8);
    TDigest digest;
    for (int i = 0; i < 32; ++i)
        digest[i] = static_cast<uint8_t>(s.H[i / 4] >> (24 - 8 * (i % 4)));
    return digest;
}

const char* TSha256::Implementation() {
    return HasShaNi() ? "sha-ni" : "portable";
}

} // namespace ko
