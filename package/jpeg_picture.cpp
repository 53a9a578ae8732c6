#include "package/jpeg_picture.h"

#include <algorithm>
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

// Warnings (level -1) are counted by libjpeg itself and their text kept here: a picture that
// decodes only with warnings (cut short, corrupt data) is treated as not decodable.
void EmitMessage(j_common_ptr info, int level) {
    if (level >= 0)
        return;
    auto* manager = reinterpret_cast<TErrorManager*>(info->err);
    if (info->err->num_warnings++ == 0)
        (*info->err->format_message)(info, manager->Message);
}

#ifdef _WIN32
// In the stub libjpeg's table of message texts (5 KB of every Setup.exe) would only ever say why
// a banner that the builder has decoded no longer decodes, which the package's digests have
// caught before: the code of the message is enough there.
void FormatCode(j_common_ptr info, char* buffer) {
    const std::string text = "libjpeg message " + std::to_string(info->err->msg_code);
    text.copy(buffer, JMSG_LENGTH_MAX - 1);
    buffer[std::min<size_t>(text.size(), JMSG_LENGTH_MAX - 1)] = 0;
}

void OutputNothing(j_common_ptr) {}

void ResetErrors(j_common_ptr info) {
    info->err->num_warnings = 0;
    info->err->msg_code = 0;
}

jpeg_error_mgr* InitErrors(jpeg_error_mgr* errors) {
    *errors = {};
    errors->output_message = OutputNothing;
    errors->format_message = FormatCode;
    errors->reset_error_mgr = ResetErrors;
    return errors;
}
#else
jpeg_error_mgr* InitErrors(jpeg_error_mgr* errors) {
    return jpeg_std_error(errors);
}
#endif

[[noreturn]] void Fail(const std::string& why) {
    throw EJpegError("Invalid JPEG picture: " + why);
}

// Runs Body on a decompressor reading Bytes; any libjpeg error or warning becomes EJpegError.
// The decompressor is destroyed on every path. A libjpeg error jumps out of Body, so Body must
// hold no object with a destructor across a libjpeg call.
template <typename F>
void WithDecompressor(const std::vector<uint8_t>& bytes, F body) {
    jpeg_decompress_struct info;
    TErrorManager errors;
    info.err = InitErrors(&errors.Base);
    errors.Base.error_exit = ErrorExit;
    errors.Base.emit_message = EmitMessage;
    if (setjmp(errors.Jump)) {
        jpeg_destroy_decompress(&info);
        Fail(errors.Message);
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    body(info);
    const bool warned = errors.Base.num_warnings > 0;
    jpeg_destroy_decompress(&info);
    if (warned)
        Fail(errors.Message);
}

// Why the decoder should not go on with the picture whose header Info holds, or "".
std::string Refusal(const jpeg_decompress_struct& info) {
    // Only colour spaces with a true RGB rendering: CMYK and YCCK pictures would show with
    // wrong colours (their inversion depends on the program that wrote them).
    if (info.jpeg_color_space != JCS_GRAYSCALE && info.jpeg_color_space != JCS_RGB &&
        info.jpeg_color_space != JCS_YCbCr)
        return "its colours are CMYK or YCCK; only RGB, YCbCr and greyscale pictures are shown";
    // In 64 bits: a 32-bit product of the dimensions could wrap to a small buffer.
    if (uint64_t(info.image_width) * info.image_height > TJpegPicture::MaxPixels)
        return "it is " + std::to_string(info.image_width) + "x" +
               std::to_string(info.image_height) + " pixels, more than " +
               std::to_string(TJpegPicture::MaxSide) + "x" + std::to_string(TJpegPicture::MaxSide);
    return {};
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
    std::string refusal;
    WithDecompressor(FBytes, [&](jpeg_decompress_struct& info) {
        refusal = Refusal(info);
        if (!refusal.empty())
            return;
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
    if (!refusal.empty())
        Fail(refusal);
    return pixels;
}

} // namespace ko
