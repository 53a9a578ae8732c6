#include "package/aes.h"

#include "package/cipher.h"

#include <cstring>
#include <immintrin.h>

// Where the processor has AES instructions the blocks go through them directly; elsewhere
// through libcrypto's portable block functions. libcrypto's own AES-NI module would do the
// same, but it carries every block mode in one object (12 KB of each Setup.exe) where ECB
// needs a few hundred bytes, and its EVP layer would bring megabytes of provider machinery.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/aes.h>

// libcrypto's processor-capability probe, not in its public headers; the prototypes are
// those of its x86 cpuid module. The probe honours the OPENSSL_ia32cap environment variable,
// which lets the tests mask AES-NI off.
extern "C" {
void OPENSSL_cpuid_setup(void);
extern unsigned int OPENSSL_ia32cap_P[4];
}

// Windows keeps the stack 4-byte aligned, and msvcrt's heap 8-byte aligned: functions holding
// 16-byte values align their own frame, and the state keeps the round keys as bytes.
#define KO_AESNI __attribute__((target("aes,sse2"), force_align_arg_pointer))
#define KO_AESNI_INLINE inline __attribute__((target("aes,sse2"), always_inline))

namespace ko {

namespace {

bool HasAesNi() {
    static const bool has = [] {
        OPENSSL_cpuid_setup();
        return (OPENSSL_ia32cap_P[1] & (1u << (57 - 32))) != 0;
    }();
    return has;
}

constexpr int MaxRounds = 14;

// The S-box applied to each byte of Word, by the key-generation instruction: it hands back
// SubWord of the word it finds in bits 32 to 63.
KO_AESNI uint32_t SubWord(uint32_t word) {
    const __m128i in = _mm_set_epi32(0, 0, static_cast<int>(word), 0);
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_aeskeygenassist_si128(in, 0)));
}

// The key expansion of FIPS 197 (5.2) for 4, 6 or 8 key words, into Rounds + 1 round keys;
// for deciphering in the order and form of the equivalent inverse cipher (5.3.5): reversed,
// all but the outer two through InvMixColumns. Words are kept little-endian, as the
// instructions read them: RotWord turns right by 8.
KO_AESNI void ExpandKey(const uint8_t* key, int keySize, int rounds, bool encrypt,
                        uint8_t* roundKeys) {
    const int nk = keySize / 4;
    uint32_t w[4 * (MaxRounds + 1)];
    std::memcpy(w, key, static_cast<size_t>(keySize));
    uint32_t rcon = 1;
    for (int i = nk; i < 4 * (rounds + 1); ++i) {
        uint32_t t = w[i - 1];
        if (i % nk == 0) {
            t = SubWord(t >> 8 | t << 24) ^ rcon;
            rcon = rcon << 1 ^ (rcon & 0x80 ? 0x11b : 0);
        } else if (nk > 6 && i % nk == 4) {
            t = SubWord(t);
        }
        w[i] = w[i - nk] ^ t;
    }
    auto* out = reinterpret_cast<__m128i*>(roundKeys);
    for (int r = 0; r <= rounds; ++r) {
        __m128i k =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(w + 4 * (encrypt ? r : rounds - r)));
        if (!encrypt && r > 0 && r < rounds)
            k = _mm_aesimc_si128(k);
        _mm_storeu_si128(out + r, k);
    }
}

template <bool Decrypt>
KO_AESNI_INLINE __m128i Round(__m128i block, __m128i key) {
    return Decrypt ? _mm_aesdec_si128(block, key) : _mm_aesenc_si128(block, key);
}

template <bool Decrypt>
KO_AESNI_INLINE __m128i LastRound(__m128i block, __m128i key) {
    return Decrypt ? _mm_aesdeclast_si128(block, key) : _mm_aesenclast_si128(block, key);
}

// Four blocks at a time: each round instruction waits for the one before it on the same block,
// so independent blocks keep the unit busy: about 12 GB/s in cache, as fast as libcrypto's own
// routine. More blocks only spill the eight registers of 32-bit code.
constexpr int Group = 4;

template <int N, bool Decrypt>
KO_AESNI_INLINE void ProcessGroup(const __m128i* k, int rounds, __m128i* p) {
    __m128i b[N];
#pragma GCC unroll 8
    for (int i = 0; i < N; ++i)
        b[i] = _mm_xor_si128(_mm_loadu_si128(p + i), k[0]);
    for (int r = 1; r < rounds; ++r) {
#pragma GCC unroll 8
        for (int i = 0; i < N; ++i)
            b[i] = Round<Decrypt>(b[i], k[r]);
    }
#pragma GCC unroll 8
    for (int i = 0; i < N; ++i)
        _mm_storeu_si128(p + i, LastRound<Decrypt>(b[i], k[rounds]));
}

template <bool Decrypt>
KO_AESNI void ProcessAesNi(const uint8_t* roundKeys, int rounds, uint8_t* data, size_t blocks) {
    __m128i k[MaxRounds + 1];
    for (int r = 0; r <= rounds; ++r)
        k[r] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(roundKeys) + r);
    auto* p = reinterpret_cast<__m128i*>(data);
    for (; blocks >= Group; blocks -= Group, p += Group)
        ProcessGroup<Group, Decrypt>(k, rounds, p);
    for (; blocks > 0; --blocks, ++p)
        ProcessGroup<1, Decrypt>(k, rounds, p);
}

} // namespace

struct TAesEcb::TState {
    uint8_t RoundKeys[16 * (MaxRounds + 1)]; // AES-NI
    AES_KEY Key;                             // portable
    int Rounds;
    bool Encrypt;
    bool AesNi;
};

TAesEcb::TAesEcb(const uint8_t* key, int keySize, bool encrypt)
    : FState(std::make_unique<TState>()) {
    if (keySize != 16 && keySize != 24 && keySize != 32)
        throw ECipherException("TAesEcb: unsupported key size");
    FState->Encrypt = encrypt;
    FState->AesNi = HasAesNi();
    FState->Rounds = keySize / 4 + 6;
    if (FState->AesNi) {
        ExpandKey(key, keySize, FState->Rounds, encrypt, FState->RoundKeys);
    } else if (encrypt) {
        AES_set_encrypt_key(key, keySize * 8, &FState->Key);
    } else {
        AES_set_decrypt_key(key, keySize * 8, &FState->Key);
    }
}

TAesEcb::~TAesEcb() = default;

void TAesEcb::Process(uint8_t* data, size_t blocks) {
    if (FState->AesNi) {
        if (FState->Encrypt)
            ProcessAesNi<false>(FState->RoundKeys, FState->Rounds, data, blocks);
        else
            ProcessAesNi<true>(FState->RoundKeys, FState->Rounds, data, blocks);
        return;
    }
    for (size_t i = 0; i < blocks; ++i, data += 16) {
        if (FState->Encrypt)
            AES_encrypt(data, data, &FState->Key);
        else
            AES_decrypt(data, data, &FState->Key);
    }
}

const char* TAesEcb::Implementation() {
    return HasAesNi() ? "aes-ni" : "portable";
}

} // namespace ko
