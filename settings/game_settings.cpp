#include "settings/game_settings.h"

#include <utility>

#include "settings/settings_fields.h"

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

std::string templateCode(const SettingsField& field, const GameSettings& settings) {
    if (field.check) return checkCode(settings.*field.check);
    const std::string& text = settings.*field.text;
    switch (field.coding) {
        case FieldCoding::Lives:
            return livesCode(text);
        case FieldCoding::Spectator:
            return spectatorCode(text);
        case FieldCoding::Regeneration:
            return regenerationCode(text);
        default:
            return text;
    }
}

void applyTemplateCode(const SettingsField& field, GameSettings& settings, std::string_view code) {
    if (field.check) {
        settings.*field.check = checkFromCode(code);
        return;
    }
    std::string& text = settings.*field.text;
    switch (field.coding) {
        case FieldCoding::Lives:
            // An empty lives code shows an empty box; "0" shows unlimited.
            text = livesFromCode(code);
            break;
        case FieldCoding::Spectator:
            if (auto label = spectatorFromCode(code)) text = *label;
            break;
        case FieldCoding::Regeneration:
            if (auto label = regenerationFromCode(code)) text = *label;
            break;
        default:
            text = code;
    }
}

std::array<std::string, kSettingsFieldCount> settingsFieldCodes(const GameSettings& settings) {
    std::array<std::string, kSettingsFieldCount> codes;
    for (std::size_t i = 0; i < kSettingsFieldCount; ++i)
        codes[i] = templateCode(kSettingsFields[i], settings);
    return codes;
}

void applySettingsFieldCodes(GameSettings& settings,
                             const std::array<std::string, kSettingsFieldCount>& codes) {
    for (std::size_t i = 0; i < kSettingsFieldCount; ++i)
        applyTemplateCode(kSettingsFields[i], settings, codes[i]);
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
