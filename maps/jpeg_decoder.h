#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

namespace qz7 {

// A picture that could not be found or decoded; the text says why, for the user.
class JpegError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Decoded pixels, rows from the top: one 32-bit value 0xFFRRGGBB per pixel in the machine's byte
// order, so that a window toolkit can show them without converting.
struct DecodedImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

// The numerator N of the DCT scale N/8 at which a width x height picture is decoded for a frame
// that shows it scaled down in proportion: the smallest scale whose result still covers the size
// the picture gets in the frame, so the final shrink only loses detail it would lose anyway.
// A picture that already fits is decoded at full size (8).
int dctScaleNumerator(int width, int height, int frameWidth, int frameHeight);

// Decodes a JPEG stream at the scale dctScaleNumerator chooses for the frame. Throws JpegError for
// an empty, truncated-before-the-image or otherwise undecodable stream; never ends the program.
DecodedImage decodeJpeg(std::span<const unsigned char> bytes, int frameWidth, int frameHeight);

}  // namespace qz7
