#include "server/recipe.h"

#include <algorithm>
#include <utility>

#include "platform/windows1251.h"
#include "server/text_lines.h"

namespace qz7 {

namespace {

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool beginsWithKeyAndBlank(std::string_view line, std::string_view key) {
    if (line.size() <= key.size() || line[key.size()] != ' ') return false;
    // From the end: the keys share their beginning ("gameOpt commonOption.") with most lines.
    for (std::size_t i = key.size(); i-- > 0;) {
        if (asciiLower(line[i]) != asciiLower(key[i])) return false;
    }
    return true;
}

std::string quoted(std::string_view value) {
    std::string text;
    text.reserve(value.size() + 2);
    text += '"';
    text += value;
    text += '"';
    return text;
}

// Every option has its own place among 1 .. kRecipeOptionCount.
constexpr bool recipeOrderIsComplete() {
    std::array<bool, kRecipeOptionCount> taken{};
    for (const SettingsField& field : kSettingsFields) {
        if (field.recipeKey.empty()) continue;
        if (field.recipeOrder < 1 || std::size_t(field.recipeOrder) > kRecipeOptionCount ||
            taken[std::size_t(field.recipeOrder - 1)])
            return false;
        taken[std::size_t(field.recipeOrder - 1)] = true;
    }
    return true;
}
static_assert(recipeOrderIsComplete());

}  // namespace

std::array<RecipeOption, kRecipeOptionCount> recipeOptions(const GameSettings& settings) {
    std::array<RecipeOption, kRecipeOptionCount> options;
    for (const SettingsField& field : kSettingsFields) {
        if (field.recipeKey.empty()) continue;
        const std::string code = field.coding == FieldCoding::ModeLabel
                                     ? modeCode(settings.*field.text)
                                     : templateCode(field, settings);
        options[std::size_t(field.recipeOrder - 1)] = {field.recipeKey, code};
    }
    return options;
}

std::array<std::size_t, kRecipeOptionCount> findOptionLines(
    const std::vector<std::string_view>& lines,
    const std::array<RecipeOption, kRecipeOptionCount>& options) {
    std::array<std::size_t, kRecipeOptionCount> found;
    found.fill(lines.size());
    // One pass over the lines, each line tried against the keys still unfound, so that a long
    // base is walked once rather than once per key.
    std::size_t unfound = options.size();
    for (std::size_t i = 0; i < lines.size() && unfound > 0; ++i) {
        for (std::size_t k = 0; k < options.size(); ++k) {
            if (found[k] == lines.size() && beginsWithKeyAndBlank(lines[i], options[k].key)) {
                found[k] = i;
                --unfound;
            }
        }
    }
    return found;
}

std::string withOptionValue(std::string_view line, std::size_t keyLength, std::string_view value) {
    const std::size_t opening = line.find('"');
    if (opening == std::string_view::npos) {
        std::string rewritten(line.substr(0, keyLength));
        rewritten += ' ';
        return rewritten + quoted(value);
    }
    const std::size_t closing = line.find('"', opening + 1);
    const std::size_t rest = closing == std::string_view::npos ? line.size() : closing + 1;
    std::string replaced(line.substr(0, opening));
    replaced += quoted(value);
    replaced += line.substr(rest);
    return replaced;
}

std::string formRecipe(std::string_view baseRecipe, const GameSettings& settings) {
    const std::vector<std::string_view> lines = recipeLineViews(baseRecipe);
    // The changed lines by their index; options without a line are added after the base.
    std::vector<std::pair<std::size_t, std::string>> changed;
    std::vector<std::string> added;
    const std::array<RecipeOption, kRecipeOptionCount> options = recipeOptions(settings);
    const std::array<std::size_t, kRecipeOptionCount> found = findOptionLines(lines, options);
    for (std::size_t k = 0; k < options.size(); ++k) {
        const RecipeOption& option = options[k];
        const std::string value = windows1251FromUtf8(option.value);
        const std::size_t index = found[k];
        if (index < lines.size())
            changed.emplace_back(index, withOptionValue(lines[index], option.key.size(), value));
        else
            added.push_back(std::string(option.key) + ' ' + quoted(value));
    }
    std::sort(changed.begin(), changed.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });

    std::string recipe;
    recipe.reserve(baseRecipe.size() + lines.size() + 64 * added.size());
    auto next = changed.begin();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (next != changed.end() && next->first == i) {
            recipe += next->second;
            ++next;
        } else {
            recipe += lines[i];
        }
        recipe += "\r\n";
    }
    for (const std::string& line : added) {
        recipe += line;
        recipe += "\r\n";
    }
    return recipe;
}

}  // namespace qz7
