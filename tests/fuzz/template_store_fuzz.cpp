// Fuzzes the template record decoder and the store reader with arbitrary bytes, and checks that a
// state which the template rules accept survives encoding and decoding unchanged.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings_fields.h"
#include "settings/template_content.h"
#include "settings/template_record.h"
#include "settings/template_rules.h"
#include "settings/template_store.h"
#include "tests/support/file_bytes.h"

namespace {

using namespace qz7;

void require(bool condition) {
    if (!condition) __builtin_trap();
}

// The store file of the run, in the working folder (the test's build folder).
const std::filesystem::path& storeFile() {
    static const std::filesystem::path file =
        std::filesystem::current_path() / "template_store_fuzz.cfg";
    return file;
}

// Arbitrary bytes as a store file: read whole records, decode each, apply it, and re-encode it.
// Every sixteenth input goes through the file reader; the rest are parsed in memory, which is
// what the reader does after reading, so the run covers more inputs.
void readAsStore(std::string_view bytes) {
    static unsigned inputs = 0;
    TemplateRecords records;
    if (inputs++ % 16 == 0) {
        testing::writeBytes(storeFile(), std::string(bytes));
        records = readTemplateRecords(storeFile());
        // The streamed reading sees the same records and every byte.
        std::string streamed;
        std::string blocks;
        forEachTemplateRecord(
            storeFile(), [&](std::string_view record) { streamed += record; },
            [&](std::string_view block) { blocks += block; });
        require(streamed == records.bytes() && blocks == bytes);
    } else {
        records = TemplateRecords(std::string(bytes));
    }
    require(records.size() == bytes.size() / kTemplateRecordSize);
    require(records.bytes() == bytes.substr(0, records.size() * kTemplateRecordSize));
    for (std::size_t i = 0; i < records.size(); ++i) {
        const std::string_view bytesOfRecord = records[i];
        const TemplateRecord record = decodeTemplateRecord(bytesOfRecord);
        // What a listing shows is what the whole content holds.
        const TemplateContent content = contentOfRecord(record);
        require(summaryOfRecord(bytesOfRecord) ==
                TemplateSummary{content.name,
                                content.settingsCodes[settingsFieldIndex(&GameSettings::GameMode)],
                                content.rotation.size()});
        require(decodeTemplateRecord(encodeTemplateRecord(record)) == record);
        GameSettings settings;
        std::string commandLine;
        std::vector<std::string> rotation;
        LoadListUst(record, settings, commandLine, rotation);
        (void)templateRecordName(bytesOfRecord);
    }
}

// Arbitrary bytes as a window state: lines for the text settings, the command line and the
// rotation. When the template rules accept the state, decoding the encoded record gives it back.
void roundTripState(std::string_view bytes) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find('\n', start)) != std::string_view::npos;
         start = end + 1)
        parts.emplace_back(bytes.substr(start, end - start));
    parts.emplace_back(bytes.substr(start));
    auto part = [&](std::size_t i) { return i < parts.size() ? parts[i] : std::string(); };

    GameSettings settings;
    // The mode is one of the sixteen unless the first line is long, which the rules refuse.
    const std::string mode = part(0);
    settings.GameMode = mode.size() < 16 ? std::string(gameModeTable()[mode.size()].label) : mode;
    settings.MaxHealth = part(1);
    settings.ScoreLimit = part(2);
    // The two numbers the rules hold to a range, made to fit it so the rest gets through.
    settings.TimeLimit = std::to_string(part(3).size() % 31);
    settings.Password = part(4);
    settings.Lives = part(5);
    settings.Spectator = part(6);
    settings.HealthRegen = part(7);
    settings.MaxPlayers = std::to_string(1 + part(8).size() % 999);
    settings.Hardcore = !bytes.empty() && (bytes[0] & 1);
    settings.Perks = !bytes.empty() && (bytes[0] & 2);
    const std::string commandLine = part(9);
    const std::vector<std::string> rotation(parts.size() > 10 ? parts.begin() + 10 : parts.end(),
                                            parts.end());
    if (!findContentProblems(contentOfState("name", settings, rotation, commandLine)).empty())
        return;

    const std::string record =
        encodeTemplateRecord(KodirShablona("name", settings, rotation, commandLine));
    require(record.size() == kTemplateRecordSize);
    GameSettings decoded = settings;
    std::string decodedCommandLine;
    std::vector<std::string> decodedRotation;
    LoadListUst(decodeTemplateRecord(record), decoded, decodedCommandLine, decodedRotation);
    GameSettings expected = settings;
    expected.Lives = livesFromCode(livesCode(settings.Lives));
    require(decoded == expected);
    require(decodedCommandLine == commandLine);
    require(decodedRotation == rotation);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    readAsStore(bytes);
    roundTripState(bytes);
    return 0;
}
