// The banner picture: a complete JPEG file kept byte for byte, so that the uninstall log writes
// back exactly what the package held. Loading reads the header through libjpeg, so a picture
// whose header the decoder rejects fails at load time; the pixels are decoded only when drawn.
#pragma once

#include "base/errors.h"
#include "base/stream.h"

#include <cstdint>
#include <vector>

namespace ko {

class EJpegError : public EKoError {
public:
    using EKoError::EKoError;
};

class TJpegPicture {
public:
    bool Empty() const { return FBytes.empty(); }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    const std::vector<uint8_t>& Bytes() const { return FBytes; }

    // Takes the bytes from Stream's position to its end. Empty data gives an empty picture;
    // anything else must have a header libjpeg accepts, else EJpegError with its message.
    void LoadFromStream(TStream& stream);
    void LoadFromBytes(std::vector<uint8_t> bytes);
    void SaveToStream(TStream& stream) const;

    // Decodes to 8-bit RGB rows, top to bottom, 3 bytes a pixel. Throws EJpegError for a
    // picture libjpeg rejects or warns about (cut short, corrupt data), one in CMYK or YCCK,
    // and one of more than MaxPixels.
    std::vector<uint8_t> DecodeRgb() const;

    static constexpr int MaxSide = 4096;
    static constexpr uint64_t MaxPixels = uint64_t(MaxSide) * MaxSide;

private:
    std::vector<uint8_t> FBytes;
    int FWidth = 0;
    int FHeight = 0;
};

} // namespace ko
