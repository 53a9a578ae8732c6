// Helpers shared by the native tests: a real JPEG made with libjpeg, and a stub image with the
// package pointer in place.
#pragma once

#include "base/stream.h"

#include <cstdint>
#include <vector>

namespace kotest {

// A valid baseline JPEG of Width x Height grey pixels.
std::vector<uint8_t> MakeJpeg(int width, int height);

// A fake program image of Size bytes whose offset 136 holds Size, as a stub's does.
std::vector<uint8_t> FakeStub(uint32_t size = 512);

} // namespace kotest
