#include "maps/jpeg_decoder.h"

#include <gtest/gtest.h>
#include <jpeglib.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace qz7;

namespace {

using Bytes = std::vector<unsigned char>;

// A baseline JPEG of the given size: left half pure red, right half pure blue.
Bytes encodeTwoColourJpeg(int width, int height) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&info, &out, &outSize);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(std::size_t(width) * 3);
    for (int x = 0; x < width; ++x) {
        const bool left = x < width / 2;
        row[std::size_t(x) * 3] = left ? 255 : 0;
        row[std::size_t(x) * 3 + 1] = 0;
        row[std::size_t(x) * 3 + 2] = left ? 0 : 255;
    }
    while (info.next_scanline < info.image_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes bytes(out, out + outSize);
    std::free(out);
    return bytes;
}

// The picture with its baseline frame header changed: another frame type, another size.
Bytes withFrameHeader(Bytes jpeg, unsigned char marker, int height, int width) {
    for (std::size_t i = 2; i + 8 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            jpeg[i + 1] = marker;
            jpeg[i + 5] = (unsigned char)(height >> 8), jpeg[i + 6] = (unsigned char)height;
            jpeg[i + 7] = (unsigned char)(width >> 8), jpeg[i + 8] = (unsigned char)width;
            break;
        }
    }
    return jpeg;
}

bool near(unsigned value, unsigned expected) {
    return value + 24 >= expected && value <= expected + 24;
}

void expectColour(std::uint32_t pixel, unsigned red, unsigned green, unsigned blue) {
    EXPECT_EQ(pixel >> 24, 0xFFu);
    EXPECT_PRED2(near, (pixel >> 16) & 0xFF, red);
    EXPECT_PRED2(near, (pixel >> 8) & 0xFF, green);
    EXPECT_PRED2(near, pixel & 0xFF, blue);
}

}  // namespace

TEST(DctScale, SmallestScaleThatStillCoversTheFrame) {
    EXPECT_EQ(dctScaleNumerator(586, 330, 401, 226), 6);  // 5/8 would give 366 x 206
    EXPECT_EQ(dctScaleNumerator(584, 330, 401, 226), 6);
    EXPECT_EQ(dctScaleNumerator(1600, 900, 401, 226), 3);  // 2/8 gives 400 wide: one short
    EXPECT_EQ(dctScaleNumerator(1604, 900, 401, 226), 2);  // exactly 401 wide at 2/8
    EXPECT_EQ(dctScaleNumerator(300, 1000, 401, 226), 2);  // the height governs
    EXPECT_EQ(dctScaleNumerator(8000, 8000, 401, 226), 1);
}

TEST(DctScale, PicturesThatFitAreDecodedAtFullSize) {
    EXPECT_EQ(dctScaleNumerator(401, 226, 401, 226), 8);
    EXPECT_EQ(dctScaleNumerator(100, 50, 401, 226), 8);
    EXPECT_EQ(dctScaleNumerator(0, 0, 401, 226), 8);
    EXPECT_EQ(dctScaleNumerator(402, 226, 401, 226), 8);  // 7/8 would be too small
}

TEST(DecodeJpeg, DecodesAtTheChosenScaleWithColoursInPlace) {
    const Bytes jpeg = encodeTwoColourJpeg(586, 330);
    const DecodedImage image = decodeJpeg(jpeg, 401, 226);
    EXPECT_EQ(image.width, 440);
    EXPECT_EQ(image.height, 248);
    ASSERT_EQ(image.pixels.size(), 440u * 248u);
    expectColour(image.pixels[10 * 440 + 20], 255, 0, 0);    // left: red
    expectColour(image.pixels[200 * 440 + 400], 0, 0, 255);  // right: blue
}

TEST(DecodeJpeg, SmallPictureIsNotEnlarged) {
    const DecodedImage image = decodeJpeg(encodeTwoColourJpeg(64, 32), 401, 226);
    EXPECT_EQ(image.width, 64);
    EXPECT_EQ(image.height, 32);
}

TEST(DecodeJpeg, EmptyGarbageAndCutHeadersAreErrorsNotExits) {
    EXPECT_THROW(decodeJpeg({}, 401, 226), JpegError);
    const Bytes garbage(5000, 0x5A);
    EXPECT_THROW(decodeJpeg(garbage, 401, 226), JpegError);
    const Bytes jpeg = encodeTwoColourJpeg(586, 330);
    EXPECT_THROW(decodeJpeg(Bytes(jpeg.begin(), jpeg.begin() + 2), 401, 226), JpegError);
    EXPECT_THROW(decodeJpeg(Bytes(jpeg.begin(), jpeg.begin() + 120), 401, 226), JpegError);
    EXPECT_THROW(decodeJpeg(withFrameHeader(jpeg, 0xC0, 0, 586), 401, 226), JpegError);
    EXPECT_THROW(decodeJpeg(withFrameHeader(jpeg, 0xC3, 330, 586), 401, 226), JpegError);
}

TEST(DecodeJpeg, DataEndingInsideTheImageStillGivesAWholePicture) {
    // libjpeg pads a stream that ends early; the picture keeps its size, the rest stays grey.
    const Bytes jpeg = encodeTwoColourJpeg(586, 330);
    const DecodedImage image =
        decodeJpeg(Bytes(jpeg.begin(), jpeg.begin() + jpeg.size() / 2), 401, 226);
    EXPECT_EQ(image.width, 440);
    EXPECT_EQ(image.height, 248);
}

TEST(DecodeJpeg, HugeDeclaredSizeIsRefusedBeforeAllocating) {
    const Bytes jpeg = withFrameHeader(encodeTwoColourJpeg(16, 16), 0xC0, 60000, 60000);
    EXPECT_THROW(decodeJpeg(jpeg, 60000, 60000), JpegError);
}
