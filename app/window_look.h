#pragma once

class QWidget;

namespace qz7 {

// The look the program's working windows share: the beige desert camouflage tiled over the
// window, and the command buttons (qz7role "command") as very light grey faces in dark blue
// frames, lighter under the mouse, with the lists' selected rows in their palette's highlight.
// extraRules: style rules of that window alone, after the shared ones.
void applyWorkingWindowLook(QWidget& window, const char* extraRules = "");

}  // namespace qz7
