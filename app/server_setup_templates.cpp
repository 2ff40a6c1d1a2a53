// Template store commands of the setup window.
#include <QListWidget>
#include <QPushButton>

#include "app/server_setup_window.h"

namespace qz7 {

void TFmQZ7ServerSetup::loadTemplateStore() {
    const bool listed = RzListBoxListShablon->count() > 0;
    RzBitBtnDelShablon->setEnabled(listed);
    RzBitBtnSaveShablon->setEnabled(listed);
}

void TFmQZ7ServerSetup::writeTemplateStore() {}
void TFmQZ7ServerSetup::LoadShablon() {}
void TFmQZ7ServerSetup::N1Click() {}
void TFmQZ7ServerSetup::RzBitBtnListShabUpClick() {}
void TFmQZ7ServerSetup::RzBitBtnListShabDownClick() {}
void TFmQZ7ServerSetup::RzBitBtnNewShablonClick() {}
void TFmQZ7ServerSetup::RzBitBtnSaveShablonClick() {}
void TFmQZ7ServerSetup::RzBitBtnDelShablonClick() {}

}  // namespace qz7
