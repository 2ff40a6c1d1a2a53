#include "server/unsafe_values.h"

#include <array>
#include <utility>

namespace qz7 {

std::optional<UnsafeValue> findUnsafeValue(const GameSettings& s) {
    using L = SettingsFieldLabels;
    const std::array<std::pair<std::string_view, const std::string*>, 6> fields = {{
        {L::MaxHealth, &s.MaxHealth},
        {L::ScoreLimit, &s.ScoreLimit},
        {L::TimeLimit, &s.TimeLimit},
        {L::Password, &s.Password},
        {L::Lives, &s.Lives},
        {L::MaxPlayers, &s.MaxPlayers},
    }};
    for (const auto& [caption, value] : fields) {
        if (value->find_first_of("\"\r\n") == std::string::npos) continue;
        std::string_view name = caption;
        if (name.starts_with("- ")) name.remove_prefix(2);
        return UnsafeValue{caption, "Недопустимый символ в поле «" + std::string(name) +
                                        "»: двойная кавычка и перевод строки не допускаются. "
                                        "Файлы не сформированы."};
    }
    return std::nullopt;
}

}  // namespace qz7
