#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/game_settings.h"

namespace qz7 {

// Why a template cannot be stored as it stands: the field concerned, its limit (0 when the
// problem is no length) and a message for the user in Russian.
struct TemplateProblem {
    std::string field;
    std::size_t limit = 0;
    std::string message;
};

// The first thing in the state that a template record would lose or garble, or nothing when the
// state fits: a character that Windows-1251 cannot hold, a ";" inside a value (it would split the
// value and shift every later field), a settings line over 255 characters, a rotation that does
// not fit the four map fields, a command line over 255 characters. A spectator or regeneration
// text that is none of its labels is no problem: it is stored as an empty field.
std::optional<TemplateProblem> findTemplateProblem(const GameSettings& settings,
                                                   const std::vector<std::string>& rotation,
                                                   std::string_view commandLine);

// A name that the record cannot hold as typed: a character that Windows-1251 cannot hold. A name
// over 200 characters is no problem: it is cut.
std::optional<TemplateProblem> findTemplateNameProblem(std::string_view name);

}  // namespace qz7
