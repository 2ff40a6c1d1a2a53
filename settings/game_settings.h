#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qz7 {

// A snapshot of the twenty game settings as the setup window's controls show them (UTF-8).
// The defaults are the controls' design-time values.
struct GameSettings {
    std::string GameMode = "все против всех";
    std::string MaxHealth = "50";
    bool Hardcore = false;
    std::string ScoreLimit = "5000";
    std::string TimeLimit = "15";
    bool FriendlyFire = true;
    bool NoUnderbarrel = true;
    bool KillCam = true;
    bool NoDefaultClasses = false;
    std::string Password;
    bool Perks = true;
    bool ThirdPerson = false;
    bool CustomClasses = true;
    bool HeadshotsOnly = false;
    bool RadarAlwaysOn = false;
    bool Killstreaks = true;
    std::string Lives = "неогран.";
    std::string Spectator = "только для своих";
    std::string HealthRegen = "нормально";
    std::string MaxPlayers = "12";

    bool operator==(const GameSettings&) const = default;
};

constexpr std::size_t kSettingsFieldCount = 20;

// One entry of the game-mode table: the game's mode code and its Russian label.
struct GameMode {
    std::string_view code;
    std::string_view label;
};

// The sixteen modes in table order.
const std::array<GameMode, 16>& gameModeTable();

// The code of the mode whose label equals the text exactly; empty when none does.
std::string modeCode(std::string_view label);

// Check boxes: on is "1", off "0"; reading back, only "1" is on.
std::string checkCode(bool on);
bool checkFromCode(std::string_view code);

// Lives: "неогран." is "0", any other text stays; reading back, "0" is "неогран.".
std::string livesCode(std::string_view text);
std::string livesFromCode(std::string_view code);

// Spectator and regeneration: the label's code, empty for a text that is no label; reading back,
// the label of a known code, nothing for any other code (the box then keeps its text).
std::string spectatorCode(std::string_view label);
std::optional<std::string> spectatorFromCode(std::string_view code);
std::string regenerationCode(std::string_view label);
std::optional<std::string> regenerationFromCode(std::string_view code);

// The twenty codes a template stores, in field order (the mode as its label).
std::array<std::string, kSettingsFieldCount> settingsFieldCodes(const GameSettings& settings);

// Puts twenty stored codes back through the reverse codes. Spectator and regeneration keep their
// current value when the code is none of theirs.
void applySettingsFieldCodes(GameSettings& settings,
                             const std::array<std::string, kSettingsFieldCount>& codes);

// The choices of the editable lists, in list order.
const std::vector<std::string_view>& maxHealthChoices();
const std::vector<std::string_view>& scoreLimitChoices();
const std::vector<std::string_view>& livesChoices();
const std::vector<std::string_view>& spectatorChoices();
const std::vector<std::string_view>& healthRegenChoices();

}  // namespace qz7
