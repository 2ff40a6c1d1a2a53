#include "server/value_rules.h"

namespace qz7 {

std::optional<std::string> controlCharacterProblem(std::string_view value) {
    for (unsigned char c : value)
        if (c < 0x20 || c == 0x7F)
            return c == '\n' || c == '\r' ? "в значении есть перевод строки"
                                          : "в значении есть управляющий символ";
    return std::nullopt;
}

}  // namespace qz7
