#include "maps/jpeg_decoder.h"

#include <jpeglib.h>

#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE
#include <cstring>
#include <string>

namespace qz7 {

namespace {

constexpr int kDctDenominator = 8;
// Larger decoded pictures are refused rather than allocated: 64 million pixels, 256 MB.
constexpr std::uint64_t kMaxDecodedPixels = 64ull * 1024 * 1024;

// libjpeg reports a fatal error by calling error_exit, whose standard version ends the program.
// This one formats the message and jumps back into decodeWithLibjpeg instead.
struct ErrorManager {
    jpeg_error_mgr standard;
    std::jmp_buf escape;
    char message[JMSG_LENGTH_MAX];
};

extern "C" void jumpOnError(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    info->err->format_message(info, manager->message);
    std::longjmp(manager->escape, 1);
}

// Warnings (such as data that ends early, which libjpeg pads) are not printed anywhere.
extern "C" void discardMessage(j_common_ptr) {}

constexpr J_COLOR_SPACE nativePixelOrder() {
    return std::endian::native == std::endian::little ? JCS_EXT_BGRX : JCS_EXT_XRGB;
}

// Only plain C data lives in this frame and in the libjpeg frames above it, so the jump back from
// jumpOnError skips no destructor. The caller owns the image and the message buffer.
bool decodeWithLibjpeg(const unsigned char* data, unsigned long size, int frameWidth,
                       int frameHeight, DecodedImage* image, char* message) {
    jpeg_decompress_struct info{};
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.standard);
    errors.standard.error_exit = jumpOnError;
    errors.standard.output_message = discardMessage;
    if (setjmp(errors.escape)) {
        std::memcpy(message, errors.message, JMSG_LENGTH_MAX);
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, size);  // an empty stream is a fatal error here already
    jpeg_read_header(&info, TRUE);
    info.scale_num = unsigned(
        dctScaleNumerator(int(info.image_width), int(info.image_height), frameWidth, frameHeight));
    info.scale_denom = kDctDenominator;
    info.out_color_space = nativePixelOrder();
    jpeg_calc_output_dimensions(&info);
    if (std::uint64_t(info.output_width) * info.output_height > kMaxDecodedPixels) {
        std::snprintf(message, JMSG_LENGTH_MAX, "Picture too large (%ux%u)", info.output_width,
                      info.output_height);
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_start_decompress(&info);
    image->width = int(info.output_width);
    image->height = int(info.output_height);
    image->pixels.resize(std::size_t(info.output_width) * info.output_height);

    JSAMPROW rows[16];
    while (info.output_scanline < info.output_height) {
        const unsigned first = info.output_scanline;
        const unsigned count = std::min(16u, info.output_height - first);
        for (unsigned i = 0; i < count; ++i)
            rows[i] = reinterpret_cast<JSAMPROW>(image->pixels.data() +
                                                 std::size_t(first + i) * info.output_width);
        jpeg_read_scanlines(&info, rows, count);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

int dctScaleNumerator(int width, int height, int frameWidth, int frameHeight) {
    if (width <= 0 || height <= 0 || (width <= frameWidth && height <= frameHeight))
        return kDctDenominator;
    // The picture shrinks by the smaller of the two ratios; N/8 must be at least that ratio.
    // Compared as integers: N * width >= 8 * frameWidth (or the same for the heights).
    const bool widthGoverns =
        std::int64_t(frameWidth) * height <= std::int64_t(frameHeight) * width;
    const std::int64_t have = widthGoverns ? width : height;
    const std::int64_t need = widthGoverns ? frameWidth : frameHeight;
    for (int numerator = 1; numerator < kDctDenominator; ++numerator)
        if (numerator * have >= kDctDenominator * need) return numerator;
    return kDctDenominator;
}

DecodedImage decodeJpeg(std::span<const unsigned char> bytes, int frameWidth, int frameHeight) {
    DecodedImage image;
    char message[JMSG_LENGTH_MAX] = {};
    if (!decodeWithLibjpeg(bytes.data(), static_cast<unsigned long>(bytes.size()), frameWidth,
                           frameHeight, &image, message))
        throw JpegError(std::string("JPEG: ") + message);
    return image;
}

}  // namespace qz7
