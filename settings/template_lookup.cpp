#include "settings/template_lookup.h"

#include <charconv>
#include <vector>

#include "settings/template_record.h"

namespace qz7 {

TemplateLookup findTemplate(const TemplateRecords& records, const std::string& nameOrPosition) {
    if (nameOrPosition.size() > 1 && nameOrPosition.front() == '#') {
        std::size_t position = 0;
        const char* first = nameOrPosition.data() + 1;
        const char* last = nameOrPosition.data() + nameOrPosition.size();
        auto [end, error] = std::from_chars(first, last, position);
        if (error != std::errc() || end != last || position == 0 || position > records.size())
            return {std::nullopt, "Нет шаблона на позиции " + nameOrPosition.substr(1) +
                                      " (шаблонов: " + std::to_string(records.size()) + ")"};
        return {position - 1, {}};
    }
    std::vector<std::size_t> matches;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (templateRecordName(records[i]) == nameOrPosition) matches.push_back(i);
    }
    if (matches.empty()) return {std::nullopt, "Нет шаблона с именем «" + nameOrPosition + "»"};
    if (matches.size() > 1) {
        std::string positions;
        for (std::size_t i : matches)
            positions += (positions.empty() ? "#" : ", #") + std::to_string(i + 1);
        return {std::nullopt,
                "Имя «" + nameOrPosition + "» носят несколько шаблонов: " + positions +
                    ". Укажите позицию, например " + positions.substr(0, positions.find(','))};
    }
    return {matches.front(), {}};
}

}  // namespace qz7
