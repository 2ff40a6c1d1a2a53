// Router port forwarding from the setup window, and the warning on close.
#include "app/server_setup_window.h"

namespace qz7 {

void TFmQZ7ServerSetup::N2Click() {}
void TFmQZ7ServerSetup::N3Click() {}
bool TFmQZ7ServerSetup::FormCloseQuery() { return true; }

}  // namespace qz7
