#pragma once

#include "app/program_state.h"
#include "app/server_setup_window.h"
#include "support/recording_message_boxes.h"
#include "tests/support/temporary_folder.h"

namespace qz7::testing {

// A server setup window created in a temporary game folder (no template store there) and shown,
// with every message box recorded.
struct ShownSetupWindow {
    TemporaryGameFolder folder;
    RecordingMessageBoxes boxes;
    ProgramState program;
    TFmQZ7ServerSetup window{program};

    ShownSetupWindow() { window.show(); }
};

}  // namespace qz7::testing
