#include "test_support.h"

#include <cstdio>
#include <jpeglib.h>

namespace kotest {

std::vector<uint8_t> MakeJpeg(int width, int height) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 1;
    info.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(width), 0x80);
    while (info.next_scanline < info.image_height) {
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&info, &p, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> bytes(out, out + size);
    jpeg_destroy_compress(&info);
    free(out);
    return bytes;
}

std::vector<uint8_t> FakeStub(uint32_t size) {
    std::vector<uint8_t> stub(size, 0);
    stub[0] = 'M';
    stub[1] = 'Z';
    ko::PutLE32(stub.data() + 136, size);
    return stub;
}

} // namespace kotest
