#include "net/json_text.h"

#include "platform/readable_text.h"
#include "platform/utf8.h"

namespace qz7 {

namespace {

// Whether a string somewhere in the value is not UTF-8: most values have none and are not copied.
bool holdsMalformedText(const nlohmann::json& value) {
    if (value.is_string()) return !isValidUtf8(value.get_ref<const std::string&>());
    if (value.is_object()) {
        for (auto item = value.begin(); item != value.end(); ++item)
            if (!isValidUtf8(item.key()) || holdsMalformedText(item.value())) return true;
        return false;
    }
    if (value.is_array()) {
        for (const nlohmann::json& element : value)
            if (holdsMalformedText(element)) return true;
    }
    return false;
}

}  // namespace

nlohmann::json readableJson(nlohmann::json value) {
    if (value.is_string()) return readableText(value.get_ref<const std::string&>());
    if (value.is_object()) {
        nlohmann::json object = nlohmann::json::object();
        for (auto item = value.begin(); item != value.end(); ++item)
            object[readableText(item.key())] = readableJson(std::move(item.value()));
        return object;
    }
    if (value.is_array()) {
        for (nlohmann::json& element : value) element = readableJson(std::move(element));
    }
    return value;
}

std::string jsonText(const nlohmann::json& value, int indent) {
    if (!holdsMalformedText(value)) return value.dump(indent);
    return readableJson(value).dump(indent);
}

}  // namespace qz7
