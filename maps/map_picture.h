#pragma once

#include <span>
#include <string_view>

#include "maps/jpeg_decoder.h"
#include "platform/resource_table.h"

namespace qz7 {

// The JPEG resource of that name among PICTURES (the map pictures the windows link:
// resources/map_pictures.h; the name is resource bytes, Windows-1251), decoded at the smallest DCT
// scale that still covers the given frame (see decodeJpeg). Throws JpegError when there is no
// such resource or it does not decode.
DecodedImage LoadJpegResource(std::span<const EmbeddedResource> pictures, std::string_view name,
                              int frameWidth, int frameHeight);

}  // namespace qz7
