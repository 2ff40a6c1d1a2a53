#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "settings/game_settings.h"

namespace qz7 {

// A settings value that would break the line it is written into.
struct UnsafeValue {
    std::string_view fieldCaption;  // the field's caption, such as "- пароль подключения"
    std::string message;            // the error text for the user, naming the field
};

// The first field whose text goes between quotes or onto a line of its own (password, health,
// score, time, lives, player limit) and holds a double quote, a CR or an LF: such a value would
// end the line early or smuggle another option line into the server's files. Nothing when every
// value is safe.
std::optional<UnsafeValue> findUnsafeValue(const GameSettings& settings);

}  // namespace qz7
