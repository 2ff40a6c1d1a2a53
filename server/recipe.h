#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "settings/game_settings.h"
#include "settings/settings_fields.h"

namespace qz7 {

// One option of the game settings recipe: its key and the value the settings give it (UTF-8).
struct RecipeOption {
    std::string_view key;
    std::string value;
};

// The settings fields that have a game option in the recipe (all but password and player limit).
constexpr std::size_t kRecipeOptionCount = [] {
    std::size_t count = 0;
    for (const SettingsField& field : kSettingsFields) count += field.recipeKey.empty() ? 0 : 1;
    return count;
}();

// The options in the order they are put into the recipe (their recipeOrder).
std::array<RecipeOption, kRecipeOptionCount> recipeOptions(const GameSettings& settings);

// For each option, the index of the first line that begins with its key followed by a blank,
// letter case ignored; the number of lines when none does.
std::array<std::size_t, kRecipeOptionCount> findOptionLines(
    const std::vector<std::string_view>& lines,
    const std::array<RecipeOption, kRecipeOptionCount>& options);

// The option line with its quoted value replaced: the text from the first double quote up to and
// including the next one (up to the end of the line when there is none) becomes the value between
// double quotes. A line without any double quote becomes its key, a blank and the quoted value.
// All texts are Windows-1251 bytes.
std::string withOptionValue(std::string_view line, std::size_t keyLength, std::string_view value);

// The recipe made from the base recipe's bytes: every option's value put into its line, every
// other line unchanged, every line ended by CR LF. An option whose key no line holds is added as
// a line of its own at the end, so that no setting is silently lost.
std::string formRecipe(std::string_view baseRecipe, const GameSettings& settings);

}  // namespace qz7
