#include "settings/game_settings.h"

#include <utility>

namespace qz7 {

namespace {

using CodePair = std::pair<std::string_view, std::string_view>;  // label, code

constexpr std::array<CodePair, 3> kSpectatorCodes = {{
    {"выкл", "0"},
    {"только для своих", "1"},
    {"для всех", "2"},
}};

constexpr std::array<CodePair, 4> kRegenerationCodes = {{
    {"Off", "0"},
    {"медленно", "2"},
    {"нормально", "5"},
    {"быстро", "10"},
}};

constexpr std::string_view kUnlimitedLives = "неогран.";

template <std::size_t N>
std::string codeOfLabel(const std::array<CodePair, N>& table, std::string_view label) {
    for (const auto& [entryLabel, code] : table) {
        if (entryLabel == label) return std::string(code);
    }
    return {};
}

template <std::size_t N>
std::optional<std::string> labelOfCode(const std::array<CodePair, N>& table,
                                       std::string_view code) {
    for (const auto& [label, entryCode] : table) {
        if (entryCode == code) return std::string(label);
    }
    return std::nullopt;
}

}  // namespace

const std::array<GameMode, 16>& gameModeTable() {
    static const std::array<GameMode, 16> table = {{
        {"dm", "все против всех"},
        {"war", "коммандный бой"},
        {"sd", "найти и уничтожить"},
        {"sab", "саботаж"},
        {"dom", "подавление"},
        {"koth", "штаб"},
        {"ctf", "захват флага"},
        {"dd", "уничтожение"},
        {"tdef", "хищник"},
        {"conf", "коммандная оборона"},
        {"grnd", "зона выброски"},
        {"tjugg", "коммандный джагернаут"},
        {"jugg", "джагернаут"},
        {"gun", "оружие"},
        {"infect", "заражение"},
        {"oic", "последний патрон"},
    }};
    return table;
}

std::string modeCode(std::string_view label) {
    for (const GameMode& mode : gameModeTable()) {
        if (mode.label == label) return std::string(mode.code);
    }
    return {};
}

std::string checkCode(bool on) { return on ? "1" : "0"; }
bool checkFromCode(std::string_view code) { return code == "1"; }

std::string livesCode(std::string_view text) {
    return text == kUnlimitedLives ? "0" : std::string(text);
}
std::string livesFromCode(std::string_view code) {
    return code == "0" ? std::string(kUnlimitedLives) : std::string(code);
}

std::string spectatorCode(std::string_view label) { return codeOfLabel(kSpectatorCodes, label); }
std::optional<std::string> spectatorFromCode(std::string_view code) {
    return labelOfCode(kSpectatorCodes, code);
}
std::string regenerationCode(std::string_view label) {
    return codeOfLabel(kRegenerationCodes, label);
}
std::optional<std::string> regenerationFromCode(std::string_view code) {
    return labelOfCode(kRegenerationCodes, code);
}

std::array<std::string, kSettingsFieldCount> settingsFieldCodes(const GameSettings& s) {
    return {s.GameMode,
            s.MaxHealth,
            checkCode(s.Hardcore),
            s.ScoreLimit,
            s.TimeLimit,
            checkCode(s.FriendlyFire),
            checkCode(s.NoUnderbarrel),
            checkCode(s.KillCam),
            checkCode(s.NoDefaultClasses),
            s.Password,
            checkCode(s.Perks),
            checkCode(s.ThirdPerson),
            checkCode(s.CustomClasses),
            checkCode(s.HeadshotsOnly),
            checkCode(s.RadarAlwaysOn),
            checkCode(s.Killstreaks),
            livesCode(s.Lives),
            spectatorCode(s.Spectator),
            regenerationCode(s.HealthRegen),
            s.MaxPlayers};
}

void applySettingsFieldCodes(GameSettings& s,
                             const std::array<std::string, kSettingsFieldCount>& c) {
    s.GameMode = c[0];
    s.MaxHealth = c[1];
    s.Hardcore = checkFromCode(c[2]);
    s.ScoreLimit = c[3];
    s.TimeLimit = c[4];
    s.FriendlyFire = checkFromCode(c[5]);
    s.NoUnderbarrel = checkFromCode(c[6]);
    s.KillCam = checkFromCode(c[7]);
    s.NoDefaultClasses = checkFromCode(c[8]);
    s.Password = c[9];
    s.Perks = checkFromCode(c[10]);
    s.ThirdPerson = checkFromCode(c[11]);
    s.CustomClasses = checkFromCode(c[12]);
    s.HeadshotsOnly = checkFromCode(c[13]);
    s.RadarAlwaysOn = checkFromCode(c[14]);
    s.Killstreaks = checkFromCode(c[15]);
    // An empty lives code shows an empty box; "0" shows unlimited.
    s.Lives = livesFromCode(c[16]);
    if (auto label = spectatorFromCode(c[17])) s.Spectator = *label;
    if (auto label = regenerationFromCode(c[18])) s.HealthRegen = *label;
    s.MaxPlayers = c[19];
}

const std::array<std::string_view, kSettingsFieldCount>& settingsFieldCaptions() {
    using L = SettingsFieldLabels;
    static const std::array<std::string_view, kSettingsFieldCount> captions = {
        L::GameMode,     L::MaxHealth,     L::Hardcore,      L::ScoreLimit,       L::TimeLimit,
        L::FriendlyFire, L::NoUnderbarrel, L::KillCam,       L::NoDefaultClasses, L::Password,
        L::Perks,        L::ThirdPerson,   L::CustomClasses, L::HeadshotsOnly,    L::RadarAlwaysOn,
        L::Killstreaks,  L::Lives,         L::Spectator,     L::HealthRegen,      L::MaxPlayers};
    return captions;
}

const std::vector<std::string_view>& maxHealthChoices() {
    static const std::vector<std::string_view> choices = {"30", "50", "100", "200"};
    return choices;
}

const std::vector<std::string_view>& scoreLimitChoices() {
    static const std::vector<std::string_view> choices = {
        "0",    "1",    "3",    "4",    "5",    "8",    "10",    "12",    "20",
        "24",   "30",   "50",   "100",  "200",  "250",  "500",   "750",   "1000",
        "1500", "2500", "3000", "5000", "7000", "7500", "10000", "15000 "};
    return choices;
}

const std::vector<std::string_view>& livesChoices() {
    static const std::vector<std::string_view> choices = {"неогран.", "1", "2", "3", "5", "9"};
    return choices;
}

const std::vector<std::string_view>& spectatorChoices() {
    static const std::vector<std::string_view> choices = {"выкл", "только для своих", "для всех"};
    return choices;
}

const std::vector<std::string_view>& healthRegenChoices() {
    static const std::vector<std::string_view> choices = {"медленно", "нормально", "быстро", "Off"};
    return choices;
}

}  // namespace qz7
