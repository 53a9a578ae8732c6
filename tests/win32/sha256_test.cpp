// The stub's SHA-256: the processor's SHA instructions where it has them, a plain loop
// elsewhere. ctest runs these twice, once with the SHA instructions masked off.
#include "base/errors.h"
#include "engine/digest_worker.h"
#include "engine/threaded_digest.h"
#include "package/sha256.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

using namespace ko;

namespace {

std::string Hex(const TDigest& digest) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (uint8_t byte : digest)
        text += std::string{digits[byte >> 4], digits[byte & 15]};
    return text;
}

std::string Digest(const std::string& text) {
    TSha256 sha;
    sha.Update(text);
    return Hex(sha.Finish());
}

} // namespace

// FIPS 180-4's examples, the padding's edges (55, 56 and 64 bytes), and one million bytes fed
// in pieces of every size up to 130, which cross the 64-byte blocks at every offset.
TEST(StubSha, KnownAnswersAtEveryBlockEdge) {
    std::printf("SHA routine: %s\n", TSha256::Implementation());
    EXPECT_EQ(Digest(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Digest("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Digest("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(Digest(std::string(55, 'a')),
              "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318");
    EXPECT_EQ(Digest(std::string(56, 'a')),
              "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a");
    EXPECT_EQ(Digest(std::string(64, 'a')),
              "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb");
    const std::string million(1000000, 'a');
    TSha256 pieces;
    for (size_t at = 0, step = 1; at < million.size(); at += step, step = step % 130 + 1)
        pieces.Update(million.data() + at, std::min(step, million.size() - at));
    EXPECT_EQ(Hex(pieces.Finish()),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

namespace {

// Takes writes until Limit bytes have passed, then fails as a full disk does.
class TFailingStream : public TMemoryStream {
public:
    explicit TFailingStream(int64_t limit) : FLimit(limit) {}
    int64_t Write(const void* buffer, int64_t count) override {
        if (Size() + count > FLimit)
            throw EStreamError("Write error on \"target\". There is not enough space on the disk.");
        return TMemoryStream::Write(buffer, count);
    }

private:
    int64_t FLimit;
};

} // namespace

// The digest taken on a second thread equals the one taken in line, byte for byte in the output
// too, whatever the sizes of the writes (empty, odd, one buffer and more); a write that fails
// lets the worker end instead of leaving it waiting.
TEST(StubSha, ThreadedDigestMatchesTheInlineOne) {
    std::vector<uint8_t> data(5 << 20);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 131 + (i >> 11));
    const size_t pieces[] = {0, 1, 63, 1 << 20, (1 << 20) + 1, 3 << 19, 7};
    TMemoryStream inlineOut, threadedOut;
    TSha256Stream inlineSha(inlineOut);
    TThreadedSha256Stream threadedSha(threadedOut);
    size_t at = 0;
    for (size_t round = 0; at < data.size(); ++round) {
        const size_t piece = std::min(pieces[round % std::size(pieces)], data.size() - at);
        inlineSha.WriteBuffer(data.data() + at, int64_t(piece));
        threadedSha.WriteBuffer(data.data() + at, int64_t(piece));
        at += piece;
    }
    EXPECT_EQ(Hex(threadedSha.Finish()), Hex(inlineSha.Finish()));
    EXPECT_EQ(threadedOut.Data(), inlineOut.Data());

    TFailingStream full(3 << 20);
    {
        TThreadedSha256Stream failing(full);
        EXPECT_THROW(for (int i = 0; i < 8; ++i) failing.WriteBuffer(data.data(), 1 << 20),
                     EStreamError);
    }
    EXPECT_EQ(full.Size(), 3 << 20);
}

// The run's digest worker, one piece after another: each digest is that piece's, whether it is
// waited for at once, replaced by the next piece before anyone waited, or empty; a worker that
// never started, or is still busy at its end, ends cleanly.
TEST(StubSha, DigestWorkerDigestsEachPieceItWasGiven) {
    std::vector<uint8_t> data(300000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 7 + (i >> 9));
    const auto inlineDigest = [&](size_t from, size_t size) {
        TSha256 sha;
        sha.Update(data.data() + from, size);
        return Hex(sha.Finish());
    };
    TDigestWorker worker;
    for (size_t size : {size_t(100), size_t(0), size_t(65), data.size()}) {
        worker.Start(data.data(), size);
        EXPECT_EQ(Hex(worker.Wait()), inlineDigest(0, size)) << size;
    }
    worker.Start(data.data(), data.size());
    worker.Start(data.data() + 1, 1000);
    EXPECT_EQ(Hex(worker.Wait()), inlineDigest(1, 1000));
    EXPECT_EQ(Hex(worker.Wait()), inlineDigest(1, 1000)) << "waiting twice gives the same";
    worker.Start(data.data(), data.size());
    { TDigestWorker unused; }
}
