#pragma once

#include <Qt>

namespace qz7 {

// The frames of the program's windows. Qt::MSWindowsFixedSizeDialogHint gives a border that
// cannot be dragged on Windows (no sizing frame, no resize grip); a fixed size alone only stops
// the dragging and leaves the sizing frame and the maximise button. Elsewhere the hint does
// nothing and the fixed size does the rest.

// A dialog frame with the close button only: no system menu icon, no minimise or maximise.
inline constexpr Qt::WindowFlags kFixedDialogFrame = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint |
                                                     Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                                     Qt::WindowCloseButtonHint;

// A fixed single border with the system menu, minimise and close; no maximise.
inline constexpr Qt::WindowFlags kFixedSingleFrame =
    Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
    Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;

}  // namespace qz7
