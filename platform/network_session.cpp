#include "platform/network_session.h"

#ifdef _WIN32
#include <winsock2.h>
#endif

namespace qz7 {

#ifdef _WIN32

NetworkSession::NetworkSession() {
    WSADATA data{};
    started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

NetworkSession::~NetworkSession() {
    if (started_) WSACleanup();
}

#else

NetworkSession::NetworkSession() : started_(true) {}

NetworkSession::~NetworkSession() = default;

#endif

}  // namespace qz7
