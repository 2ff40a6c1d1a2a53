#pragma once

#include <vector>

#include "platform/resource_table.h"

namespace qz7 {

// The preview pictures of the catalogue's maps: type JPEG, named by the map in capitals
// (MP_SEATOWN), generated from resources/maps/*.jpg. They are the library qz7map_pictures, which
// the windows link and the command line, which shows no picture, does not.
const std::vector<EmbeddedResource>& mapPictures();

}  // namespace qz7
