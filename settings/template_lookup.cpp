#include "settings/template_lookup.h"

#include <charconv>
#include <vector>

#include "settings/template_record.h"
#include "settings/template_store.h"

namespace qz7 {

namespace {

TemplateLookup noPosition(const std::filesystem::path& store, const std::string& nameOrPosition) {
    const std::string count = std::to_string(templateRecordCount(store));
    const std::string number = nameOrPosition.substr(1);
    if (number.find_first_not_of("0123456789") != std::string::npos || number.starts_with("0"))
        return {std::nullopt,
                "«" + nameOrPosition +
                    "» — не позиция шаблона: после # нужно число от 1 (шаблонов: " + count + ")",
                {}};
    return {std::nullopt, "Нет шаблона на позиции " + number + " (шаблонов: " + count + ")", {}};
}

}  // namespace

TemplateLookup findTemplate(const std::filesystem::path& store, const std::string& nameOrPosition) {
    if (nameOrPosition.size() > 1 && nameOrPosition.front() == '#') {
        std::size_t position = 0;
        const char* first = nameOrPosition.data() + 1;
        const char* last = nameOrPosition.data() + nameOrPosition.size();
        auto [end, error] = std::from_chars(first, last, position);
        if (error != std::errc() || end != last || position == 0)
            return noPosition(store, nameOrPosition);
        std::optional<std::string> record = readTemplateRecordAt(store, position - 1);
        if (!record) return noPosition(store, nameOrPosition);
        return {position - 1, {}, std::move(*record)};
    }
    return findTemplateNamed(store, nameOrPosition);
}

TemplateLookup findTemplateNamed(const std::filesystem::path& store, const std::string& name) {
    std::vector<std::size_t> matches;
    std::string found;
    std::size_t index = 0;
    forEachTemplateRecord(store, [&](std::string_view record) {
        if (templateRecordName(record) == name) {
            if (matches.empty()) found = record;
            matches.push_back(index);
        }
        ++index;
    });
    if (matches.empty()) return {std::nullopt, "Нет шаблона с именем «" + name + "»", {}};
    if (matches.size() > 1) {
        std::string positions;
        for (std::size_t i : matches)
            positions += (positions.empty() ? "#" : ", #") + std::to_string(i + 1);
        return {std::nullopt,
                "Имя «" + name + "» носят несколько шаблонов: " + positions +
                    ". Укажите позицию, например " + positions.substr(0, positions.find(',')) +
                    ", или переименуйте все, кроме одного, в окне настройки сервера: настройки "
                    "serve и служба называют шаблон по имени",
                {}};
    }
    return {matches.front(), {}, std::move(found)};
}

}  // namespace qz7
