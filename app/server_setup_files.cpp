// Forming the server files and starting the launchers from the setup window.
#include "app/server_setup_window.h"

namespace qz7 {

void TFmQZ7ServerSetup::RzBitBtnCreateFilesClick() {}
void TFmQZ7ServerSetup::RzBitBtnRunServerClick() {}
void TFmQZ7ServerSetup::RzBitBtnRunClientClick() {}

}  // namespace qz7
