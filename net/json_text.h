#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace qz7 {

// The value with every string and every key made readable (platform/readable_text.h): bytes that
// are not UTF-8 are read as Windows-1251, so that the value always dumps.
nlohmann::json readableJson(nlohmann::json value);

// The JSON text of the value, as nlohmann::json::dump(indent) gives it; strings that are not
// UTF-8 are read as Windows-1251 instead of ending the program with an exception.
std::string jsonText(const nlohmann::json& value, int indent = -1);

}  // namespace qz7
