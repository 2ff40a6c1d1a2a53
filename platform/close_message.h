#pragma once

#include <memory>

namespace qz7 {

// While an object of this class lives, a console program without a window of its own takes a
// close message (WM_CLOSE, as a supervisor sends to the windows of a program it stops) as a
// request to stop: it keeps a hidden top-level window for it, on a thread of its own (Windows).
// Elsewhere no close message exists and this does nothing.
class CloseMessageWatch {
  public:
    CloseMessageWatch();
    ~CloseMessageWatch();
    CloseMessageWatch(const CloseMessageWatch&) = delete;
    CloseMessageWatch& operator=(const CloseMessageWatch&) = delete;

    // True once a close message has arrived.
    bool received() const;

    struct Window;

  private:
    std::unique_ptr<Window> window_;
};

}  // namespace qz7
