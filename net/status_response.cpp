#include "net/status_response.h"

#include <charconv>

#include "platform/windows1251.h"

namespace qz7 {

namespace {

constexpr std::string_view kStatusAnswerName = "statusResponse";

// The whole text as a whole number; nothing for anything else (a sign, digits, no more).
std::optional<int> wholeNumber(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || text.empty()) return std::nullopt;
    return value;
}

// The character after "^" that makes a colour code: a visible ASCII character but "^" itself
// ("^1", "^a", "^:"); a letter of the Cyrillic code page after "^" is text.
bool isColourLetter(char c) { return c > ' ' && c < 0x7f && c != '^'; }

StatusParse refused(std::string error) { return {std::nullopt, std::move(error)}; }

// The "\key\value" pairs of the information line, keys and values as raw bytes.
std::optional<std::string> readInfo(std::string_view line,
                                    std::vector<std::pair<std::string, std::string>>& pairs) {
    if (line.empty()) return std::nullopt;
    if (line.front() != '\\') return "строка сведений не начинается с \\";
    std::vector<std::string_view> fields;
    for (std::size_t start = 1;;) {
        const std::size_t end = line.find('\\', start);
        fields.push_back(line.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    if (fields.size() % 2 != 0)
        return "у ключа «" + readableServerText(fields.back()) + "» нет значения";
    if (fields.size() / 2 > kStatusKeyLimit)
        return "слишком много ключей: " + std::to_string(fields.size() / 2) + ", больше " +
               std::to_string(kStatusKeyLimit);
    for (std::size_t i = 0; i < fields.size(); i += 2) {
        if (fields[i].empty()) return "пустой ключ в строке сведений";
        pairs.emplace_back(fields[i], fields[i + 1]);
    }
    return std::nullopt;
}

// One player line, "score ping "name"": the name is all between the first and the last quote.
std::optional<PlayerStatus> readPlayer(std::string_view line) {
    const std::size_t firstBlank = line.find(' ');
    if (firstBlank == std::string_view::npos) return std::nullopt;
    const std::size_t secondBlank = line.find(' ', firstBlank + 1);
    if (secondBlank == std::string_view::npos) return std::nullopt;
    const std::optional<int> score = wholeNumber(line.substr(0, firstBlank));
    const std::optional<int> ping =
        wholeNumber(line.substr(firstBlank + 1, secondBlank - firstBlank - 1));
    const std::string_view quoted = line.substr(secondBlank + 1);
    if (!score || !ping || quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"')
        return std::nullopt;
    return PlayerStatus{readableServerText(quoted.substr(1, quoted.size() - 2)), *score, *ping};
}

}  // namespace

std::optional<std::string> ServerStatus::value(std::string_view key) const {
    for (const auto& [name, text] : info)
        if (name == key) return text;
    return std::nullopt;
}

std::string statusRequest(std::string_view challenge) {
    std::string request(kConnectionlessHeader);
    request += "getstatus";
    if (!challenge.empty()) request += " " + std::string(challenge);
    return request + "\n";
}

StatusParse parseStatusResponse(std::string_view datagram) {
    if (datagram.size() > kStatusAnswerLimit)
        return refused("ответ сервера длиннее 64 КиБ (" + std::to_string(datagram.size()) +
                       " байт)");
    const std::string heading = std::string(kConnectionlessHeader) + std::string(kStatusAnswerName);
    if (datagram.size() <= heading.size() && heading.starts_with(datagram))
        return refused("ответ сервера обрезан: в нём только заголовок");
    if (!datagram.starts_with(heading) || datagram[heading.size()] != '\n')
        return refused("это не ответ на запрос состояния (нет заголовка statusResponse)");

    std::string_view rest = datagram.substr(heading.size() + 1);
    std::vector<std::string_view> lines;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        if (end == std::string_view::npos)
            return refused("ответ сервера обрезан: последняя строка без конца строки");
        lines.push_back(rest.substr(0, end));
        rest.remove_prefix(end + 1);
    }
    if (lines.empty()) return refused("ответ сервера обрезан: нет строки сведений");

    std::vector<std::pair<std::string, std::string>> raw;
    if (std::optional<std::string> error = readInfo(lines.front(), raw))
        return refused("неверный ответ сервера: " + *error);
    if (lines.size() - 1 > kStatusPlayerLimit)
        return refused("слишком много игроков в ответе: " + std::to_string(lines.size() - 1) +
                       ", больше " + std::to_string(kStatusPlayerLimit));

    ServerStatus status;
    for (const auto& [key, value] : raw)
        status.info.emplace_back(utf8FromWindows1251(key), utf8FromWindows1251(value));
    auto rawValue = [&raw](std::string_view key) -> std::string {
        for (const auto& [name, text] : raw)
            if (name == key) return text;
        return {};
    };
    status.hostName = readableServerText(rawValue("sv_hostname"));
    status.map = readableServerText(rawValue("mapname"));
    status.gameType = readableServerText(rawValue("g_gametype"));
    status.maxClients = wholeNumber(rawValue("sv_maxclients"));
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (lines[i].empty()) continue;
        std::optional<PlayerStatus> player = readPlayer(lines[i]);
        if (!player)
            return refused("неверный ответ сервера: строка игрока " + std::to_string(i) +
                           " не в виде «очки пинг \"имя\"»");
        status.players.push_back(std::move(*player));
    }
    return {std::move(status), {}};
}

std::string readableServerText(std::string_view bytes) {
    std::string plain;
    plain.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c == '^' && i + 1 < bytes.size() && isColourLetter(bytes[i + 1])) {
            ++i;
            continue;
        }
        if (c < 0x20 || c == 0x7f) continue;
        plain += static_cast<char>(c);
    }
    return utf8FromWindows1251(plain);
}

}  // namespace qz7
