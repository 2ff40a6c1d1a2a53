#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "settings/game_settings.h"

namespace qz7 {

// How the setup window shows a field.
enum class FieldKind {
    Text,   // edit box
    Check,  // check box
    List,   // drop-down list (editable, or pick-only for the mode)
};

// How a field's value becomes the code a template stores and the generator writes.
enum class FieldCoding {
    Text,          // the text as it is
    ModeLabel,     // the mode label in a template; the generator writes the mode's code
    Check,         // "1" or "0"
    Lives,         // "неогран." is "0"
    Spectator,     // the spectator label's code
    Regeneration,  // the regeneration label's code
};

// Further properties of a field, combined as bits.
enum FieldFlag : unsigned {
    // The list takes its value only from its entries (the mode box).
    kPickOnly = 1,
    // The text goes as typed into a server file, between quotes or as a line of its own, so a
    // double quote in it is refused.
    kWrittenToServerFiles = 2,
};

// The whole numbers a field takes, both ends included; empty (the default) when the field takes
// any text.
struct WholeNumberRange {
    int minimum = 0;
    int maximum = -1;

    constexpr bool empty() const { return maximum < minimum; }
};

// One of the twenty settings: its key in the template text, its caption beside the control, how
// it is shown and coded, the member of GameSettings that holds it, its game option in the recipe
// and, for a number the game needs, its range. Exactly one of `text` and `check` is set, after
// the kind.
struct SettingsField {
    std::string_view key;
    std::string_view caption;
    FieldKind kind;
    FieldCoding coding;
    std::string GameSettings::*text = nullptr;
    bool GameSettings::*check = nullptr;
    std::string_view recipeKey = {};  // empty: written into the server configuration instead
    int recipeOrder = 0;              // place among the recipe's options
    unsigned flags = 0;
    WholeNumberRange range = {};
};

// The twenty fields in the order a template stores them, which is also the order of the
// controls in the window.
inline constexpr std::array<SettingsField, kSettingsFieldCount> kSettingsFields = {{
    {"GameMode", "- режим игры", FieldKind::List, FieldCoding::ModeLabel, &GameSettings::GameMode,
     nullptr, "gameOpt gametype", 1, kPickOnly},
    {"MaxHealth", "- процент здоровья", FieldKind::List, FieldCoding::Text,
     &GameSettings::MaxHealth, nullptr, "gameOpt commonOption.maxHealth", 2, kWrittenToServerFiles},
    {"Hardcore", "- хардкор включен", FieldKind::Check, FieldCoding::Check, nullptr,
     &GameSettings::Hardcore, "gameOpt commonOption.hardcoreModeOn", 3},
    {"ScoreLimit", "- лимит очков", FieldKind::List, FieldCoding::Text, &GameSettings::ScoreLimit,
     nullptr, "gameOpt commonOption.scoreLimit", 4, kWrittenToServerFiles},
    {"TimeLimit",
     "- время игры (мин) [0-30]",
     FieldKind::Text,
     FieldCoding::Text,
     &GameSettings::TimeLimit,
     nullptr,
     "gameOpt commonOption.timeLimit",
     5,
     kWrittenToServerFiles,
     {0, 30}},
    {"FriendlyFire", "- огонь по своим", FieldKind::Check, FieldCoding::Check, nullptr,
     &GameSettings::FriendlyFire, "gameOpt commonOption.friendlyFire", 6},
    {"NoUnderbarrel", "- отключить подствольники", FieldKind::Check, FieldCoding::Check, nullptr,
     &GameSettings::NoUnderbarrel, "gameOpt commonOption.attachmentRestricted.m320", 8},
    {"KillCam", "- повтор смерти", FieldKind::Check, FieldCoding::Check, nullptr,
     &GameSettings::KillCam, "gameOpt commonOption.showKillcam", 9},
    {"NoDefaultClasses", "- отключить стандартные классы", FieldKind::Check, FieldCoding::Check,
     nullptr, &GameSettings::NoDefaultClasses, "gameOpt defaultClasses.axis.[0].class.inUse", 7},
    {"Password",
     "- пароль подключения",
     FieldKind::Text,
     FieldCoding::Text,
     &GameSettings::Password,
     nullptr,
     {},
     0,
     kWrittenToServerFiles},
    {"Perks", "- перки и умения", FieldKind::Check, FieldCoding::Check, nullptr,
     &GameSettings::Perks, "gameOpt commonOption.allowPerks", 10},
    {"ThirdPerson", "- вид от 3-го лица", FieldKind::Check, FieldCoding::Check, nullptr,
     &GameSettings::ThirdPerson, "gameOpt commonOption.forceThirdPersonView", 11},
    {"CustomClasses", "- включить свои классы", FieldKind::Check, FieldCoding::Check, nullptr,
     &GameSettings::CustomClasses, "gameOpt commonOption.allowCustomClasses", 12},
    {"HeadshotsOnly", "- только HeadShot", FieldKind::Check, FieldCoding::Check, nullptr,
     &GameSettings::HeadshotsOnly, "gameOpt commonOption.headshotsOnly", 13},
    {"RadarAlwaysOn", "- радар всегда вкл.", FieldKind::Check, FieldCoding::Check, nullptr,
     &GameSettings::RadarAlwaysOn, "gameOpt commonOption.radarAlwaysOn", 14},
    {"Killstreaks", "- включить награды за серию смертей", FieldKind::Check, FieldCoding::Check,
     nullptr, &GameSettings::Killstreaks, "gameOpt commonOption.allowKillstreaks", 16},
    {"Lives", "- жизни", FieldKind::List, FieldCoding::Lives, &GameSettings::Lives, nullptr,
     "gameOpt commonOption.numLives", 17, kWrittenToServerFiles},
    {"Spectator", "- наблюдатель", FieldKind::List, FieldCoding::Spectator,
     &GameSettings::Spectator, nullptr, "gameOpt commonOption.spectateModeAllowed", 15},
    {"HealthRegen", "- восстановление здоровья", FieldKind::List, FieldCoding::Regeneration,
     &GameSettings::HealthRegen, nullptr, "gameOpt commonOption.healthRegen", 18},
    {"MaxPlayers",
     "- max число игроков на сервере",
     FieldKind::Text,
     FieldCoding::Text,
     &GameSettings::MaxPlayers,
     nullptr,
     {},
     0,
     kWrittenToServerFiles,
     {1, 999}},
}};

// The position of the field held by a member of GameSettings.
constexpr std::size_t settingsFieldIndex(std::string GameSettings::*member) {
    for (std::size_t i = 0; i < kSettingsFields.size(); ++i) {
        if (kSettingsFields[i].text == member) return i;
    }
    return kSettingsFields.size();
}
constexpr std::size_t settingsFieldIndex(bool GameSettings::*member) {
    for (std::size_t i = 0; i < kSettingsFields.size(); ++i) {
        if (kSettingsFields[i].check == member) return i;
    }
    return kSettingsFields.size();
}

// The field held by a member of GameSettings.
template <typename Member>
constexpr const SettingsField& settingsField(Member GameSettings::*member) {
    return kSettingsFields[settingsFieldIndex(member)];
}

// The caption of the one switch outside the twenty: a random chance for each map to come up.
inline constexpr std::string_view kRandomMapChanceCaption =
    "- сгенерировать случайный шанс выпадания карты";

// Whether the user's typed text goes into the template as it is (and so must fit its rules):
// free text, the lists that store their text, and the mode label.
constexpr bool storesTypedText(const SettingsField& field) {
    return field.coding == FieldCoding::Text || field.coding == FieldCoding::ModeLabel ||
           field.coding == FieldCoding::Lives;
}

// The code a template stores for the field's value.
std::string templateCode(const SettingsField& field, const GameSettings& settings);

// Puts a stored code back into the field's value. Spectator and regeneration keep their value when
// the code is none of theirs.
void applyTemplateCode(const SettingsField& field, GameSettings& settings, std::string_view code);

}  // namespace qz7
