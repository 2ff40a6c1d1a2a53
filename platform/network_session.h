#pragma once

namespace qz7 {

// Keeps the system's socket library ready for as long as it lives. Windows needs its sockets
// started before any use (and the host-name look-up stops them again after itself); elsewhere
// this does nothing.
class NetworkSession {
  public:
    NetworkSession();
    ~NetworkSession();
    NetworkSession(const NetworkSession&) = delete;
    NetworkSession& operator=(const NetworkSession&) = delete;

    // False when the socket library could not be started.
    bool ready() const { return started_; }

  private:
    bool started_ = false;
};

}  // namespace qz7
