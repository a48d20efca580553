#include "Jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void OnError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void Silence(j_common_ptr, int) {}

// Pictures beyond this are not ours; refusing them keeps a damaged header from asking for gigabytes.
constexpr long MaxPixels = 16L * 1024 * 1024;

} // namespace

std::optional<RgbImage> DecodeJpeg(const QByteArray& data)
{
    if (data.isEmpty())
        return std::nullopt;
    jpeg_decompress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = OnError;
    errors.base.emit_message = Silence;
    // The jump only returns from here and never reads image, so nothing it holds goes stale.
    RgbImage image;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return std::nullopt;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.constData()), (unsigned long)data.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (long(info.output_width) * long(info.output_height) > MaxPixels || info.output_components != 3) {
        jpeg_destroy_decompress(&info);
        return std::nullopt;
    }
    image.width = int(info.output_width);
    image.height = int(info.output_height);
    image.rgb.resize(qsizetype(image.width) * 3 * image.height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(image.rgb.data())
                       + qsizetype(info.output_scanline) * image.width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return image;
}
