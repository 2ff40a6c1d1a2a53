// Map catalogue display and rotation editing of the setup window.
#include "app/server_setup_window.h"

namespace qz7 {

void TFmQZ7ServerSetup::loadMapCatalogue() {}
void TFmQZ7ServerSetup::RzListBoxMapRepositClick() {}
void TFmQZ7ServerSetup::RzListBoxMapRepositKeyDown() {}
void TFmQZ7ServerSetup::RzListBoxMapClick() {}
void TFmQZ7ServerSetup::RzBitBtnAddMapClick() {}
void TFmQZ7ServerSetup::RzBitBtnDelMapClick() {}
void TFmQZ7ServerSetup::RzBitBtnClearMapClick() {}
void TFmQZ7ServerSetup::RzBitBtnListMapUpClick() {}
void TFmQZ7ServerSetup::RzBitBtnListMapDownClick() {}

}  // namespace qz7
