// Deciphers a large stored file from its window in a package file into a target file (as the
// stub and the builder's extract do) and into nothing (as verify does), taking its SHA-256 on
// the way as they all do, and copies the same bytes between the same two places with a plain
// buffered copy, in one run; prints the times and their ratios to the copy, and the decipher to
// a file without the digest, which shows what the digest costs. Run on demand (scripts/bench),
// not as a test.
//
//   decipher_bench [MiB] [folder]
#include "base/file_stream.h"
#include "package/aes.h"
#include "package/cipher.h"
#include "package/format.h"
#include "package/sha256.h"
#include "package/sub_stream.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace ko;
using Clock = std::chrono::steady_clock;

namespace {

const uint8_t Key[16] = {7, 1, 4, 2, 8, 5, 7, 1, 4, 2, 8, 5, 7, 1, 4, 2};
constexpr int64_t HeaderBytes = 4096; // stands for the stub and the package before the data

// A package-like file: some header bytes, then Size content bytes enciphered.
int64_t MakePackage(const std::string& path, int64_t size) {
    TFileStream out(path, TFileMode::Create);
    std::vector<uint8_t> header(HeaderBytes, 0x90);
    out.WriteBuffer(header.data(), HeaderBytes);
    struct TPattern : TStream {
        int64_t FSize, FPos = 0;
        explicit TPattern(int64_t n) : FSize(n) {}
        int64_t Read(void* buffer, int64_t count) override {
            count = std::min(count, FSize - FPos);
            auto* p = static_cast<uint8_t*>(buffer);
            for (int64_t i = 0; i < count; ++i)
                p[i] = static_cast<uint8_t>((FPos + i) * 2654435761u >> 13);
            FPos += count;
            return count;
        }
        int64_t Write(const void*, int64_t) override { return 0; }
        int64_t Seek(int64_t offset, TSeekOrigin) override { return FPos = offset; }
        int64_t Size() override { return FSize; }
    } content(size);
    CipherStream(content, out, Key, 16, true);
    return format::StoredSize(size);
}

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Takes deciphered bytes and only counts them, as the builder's verify does.
class TNullStream : public TStream {
public:
    int64_t Read(void*, int64_t) override { return 0; }
    int64_t Write(const void*, int64_t count) override { return count; }
    int64_t Seek(int64_t, TSeekOrigin) override { return 0; }
};

enum class TMode { Copy, Extract, Verify, ExtractWithoutDigest };

// Moves the stored bytes from their window in the package: as a plain copy of the same bytes
// into the target (the baseline), deciphered into the target (extract), or deciphered into
// nothing (verify). The target is removed before the clock starts: truncating a file that
// still has dirty pages would charge their writing to the next contender.
double TimeTransfer(const std::string& package, int64_t stored, const std::string& target,
                    TMode mode) {
    std::remove(target.c_str());
    const auto start = Clock::now();
    TFileStream in(package, TFileMode::OpenRead);
    TSubStream window(in, HeaderBytes, HeaderBytes + stored - 1);
    window.Seek(0, TSeekOrigin::Beginning);
    if (mode == TMode::Verify) {
        TNullStream sink;
        TSha256Stream digesting(sink);
        CipherStream(window, digesting, Key, 16, false);
        digesting.Finish();
        return Seconds(start);
    }
    TFileStream out(target, TFileMode::Create);
    if (mode == TMode::ExtractWithoutDigest) {
        CipherStream(window, out, Key, 16, false);
    } else if (mode == TMode::Extract) {
        TSha256Stream digesting(out);
        CipherStream(window, digesting, Key, 16, false);
        digesting.Finish();
    } else {
        out.CopyFrom(window, stored);
    }
    return Seconds(start);
}

// The block routine alone, over a buffer that stays in the processor's cache: what the cipher
// itself costs apart from the files and memory.
double AesMegabytesPerSecond() {
    std::vector<uint8_t> buffer(size_t(256) << 10, 0x5a);
    TAesEcb aes(Key, 16, false);
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        const auto start = Clock::now();
        for (int pass = 0; pass < 64; ++pass)
            aes.Process(buffer.data(), buffer.size() / 16);
        best = std::min(best, Seconds(start));
    }
    return 64.0 * buffer.size() / best / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    const int64_t mib = argc > 1 ? std::atoll(argv[1]) : 256;
    const std::string folder = argc > 2 ? std::string(argv[2]) + "/" : std::string();
    const std::string package = folder + "bench-package.bin";
    const std::string target = folder + "bench-target.bin";
    const int64_t stored = MakePackage(package, mib << 20);

    // Warm the file cache once, then take the best of five runs of each, the order turning
    // round by round.
    TimeTransfer(package, stored, target, TMode::Copy);
    double best[4] = {1e9, 1e9, 1e9, 1e9};
    for (int round = 0; round < 5; ++round)
        for (int i = 0; i < 4; ++i) {
            const int mode = (round + i) % 4;
            best[mode] = std::min(best[mode], TimeTransfer(package, stored, target, TMode(mode)));
        }
    const double copy = best[0], extract = best[1], verify = best[2], bare = best[3];
    std::printf("aes routine:      %s, %.0f MB/s in memory\n", TAesEcb::Implementation(),
                AesMegabytesPerSecond());
    std::printf("sha-256 routine:  %s\n", TSha256::Implementation());
    std::printf("plain copy:       %8.3f s  %8.1f MB/s\n", copy, stored / copy / 1e6);
    std::printf("decipher to file: %8.3f s  %8.1f MB/s  %5.2f x copy (goal: at most 1.50)\n",
                extract, stored / extract / 1e6, extract / copy);
    std::printf("decipher only:    %8.3f s  %8.1f MB/s  %5.2f x copy (goal: at most 1.50)\n",
                verify, stored / verify / 1e6, verify / copy);
    std::printf("without digest:   %8.3f s  %8.1f MB/s  %5.2f x copy (decipher to file)\n", bare,
                stored / bare / 1e6, bare / copy);
    std::remove(package.c_str());
    std::remove(target.c_str());
    return 0;
}
