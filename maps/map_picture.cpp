#include "maps/map_picture.h"

#include <string>

#include "platform/windows1251.h"

namespace qz7 {

DecodedImage LoadJpegResource(std::span<const EmbeddedResource> pictures, std::string_view name,
                              int frameWidth, int frameHeight) {
    const auto bytes = findResource(pictures, "JPEG", name);
    const std::string shownName = utf8FromWindows1251(name);
    if (!bytes)
        throw JpegError("Нет картинки карты \"" + shownName + "\" среди ресурсов программы");
    try {
        return decodeJpeg(*bytes, frameWidth, frameHeight);
    } catch (const JpegError& error) {
        throw JpegError("Картинка карты \"" + shownName + "\" не читается (" + error.what() + ")");
    }
}

}  // namespace qz7
