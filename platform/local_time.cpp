#include "platform/local_time.h"

#include <ctime>

namespace qz7 {

std::chrono::seconds localUtcOffset(std::chrono::system_clock::time_point moment) {
    const std::time_t time = std::chrono::system_clock::to_time_t(moment);
    std::tm local{};
#ifdef _WIN32
    if (localtime_s(&local, &time) != 0) return std::chrono::seconds(0);
    // The local calendar time read back as if it were UTC, minus the moment, is the offset.
    const std::time_t asUtc = _mkgmtime(&local);
    if (asUtc == -1) return std::chrono::seconds(0);
    return std::chrono::seconds(asUtc - time);
#else
    if (localtime_r(&time, &local) == nullptr) return std::chrono::seconds(0);
    return std::chrono::seconds(local.tm_gmtoff);
#endif
}

}  // namespace qz7
