#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qz7 {

// Why a value a host typed (an option's, a setting's) cannot be taken: a line end or another
// control character, which would smuggle a line into the file or command it goes into. Nothing
// when it holds none.
std::optional<std::string> controlCharacterProblem(std::string_view value);

}  // namespace qz7
