#pragma once

#include <stdexcept>
#include <string>

namespace qz7 {

// An operation of the core that is refused or failed, with the reason for the host in Russian.
// A usage error is one that the host's own input caused (an address that is none, an empty
// address file): trying again the same way cannot mend it.
class OperationError : public std::runtime_error {
  public:
    enum class Kind { Failed, Usage };

    explicit OperationError(const std::string& message, Kind kind = Kind::Failed)
        : std::runtime_error(message), kind_(kind) {}
    Kind kind() const { return kind_; }

  private:
    Kind kind_;
};

}  // namespace qz7
