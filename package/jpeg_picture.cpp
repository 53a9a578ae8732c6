#include "package/jpeg_picture.h"

#include <csetjmp>
#include <cstdio>
#include <string>

#include <jpeglib.h>

namespace ko {

namespace {

// libjpeg reports fatal errors through error_exit, which must not return. libjpeg is C code
// built without unwind tables, so a C++ exception must not pass through it: jump back to the
// caller's frame instead and throw from there.
struct TErrorManager {
    jpeg_error_mgr Base;
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr info) {
    auto* manager = reinterpret_cast<TErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->Message);
    std::longjmp(manager->Jump, 1);
}

void SilentOutput(j_common_ptr) {}

// Runs Body on a decompressor reading Bytes; any libjpeg error becomes EJpegError. The
// decompressor is destroyed on every path.
template <typename F>
void WithDecompressor(const std::vector<uint8_t>& bytes, F body) {
    jpeg_decompress_struct info;
    TErrorManager errors;
    info.err = jpeg_std_error(&errors.Base);
    errors.Base.error_exit = ErrorExit;
    errors.Base.output_message = SilentOutput;
    if (setjmp(errors.Jump)) {
        jpeg_destroy_decompress(&info);
        throw EJpegError(std::string("Invalid JPEG picture: ") + errors.Message);
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    body(info);
    jpeg_destroy_decompress(&info);
}

} // namespace

void TJpegPicture::LoadFromStream(TStream& stream) {
    std::vector<uint8_t> bytes(static_cast<size_t>(stream.Remaining()));
    bytes.resize(static_cast<size_t>(stream.ReadFully(bytes.data(), bytes.size())));
    LoadFromBytes(std::move(bytes));
}

void TJpegPicture::LoadFromBytes(std::vector<uint8_t> bytes) {
    int width = 0, height = 0;
    if (!bytes.empty()) {
        WithDecompressor(bytes, [&](jpeg_decompress_struct& info) {
            width = static_cast<int>(info.image_width);
            height = static_cast<int>(info.image_height);
        });
    }
    FBytes = std::move(bytes);
    FWidth = width;
    FHeight = height;
}

void TJpegPicture::SaveToStream(TStream& stream) const {
    stream.WriteBuffer(FBytes.data(), static_cast<int64_t>(FBytes.size()));
}

std::vector<uint8_t> TJpegPicture::DecodeRgb() const {
    std::vector<uint8_t> pixels;
    if (FBytes.empty())
        return pixels;
    WithDecompressor(FBytes, [&](jpeg_decompress_struct& info) {
        info.out_color_space = JCS_RGB;
        jpeg_start_decompress(&info);
        const size_t stride = size_t(info.output_width) * 3;
        pixels.assign(stride * info.output_height, 0);
        while (info.output_scanline < info.output_height) {
            JSAMPROW row = pixels.data() + stride * info.output_scanline;
            jpeg_read_scanlines(&info, &row, 1);
        }
        jpeg_finish_decompress(&info);
    });
    return pixels;
}

} // namespace ko
