#pragma once

#include <string>

#include "platform/windows1251.h"

namespace qz7::testing {

// A template record laid out by hand, not by the codec under test: a length byte and the
// Windows-1251 text at each field's offset, zeros elsewhere; only the first map field is used.
inline std::string handBuiltRecord(const std::string& name, const std::string& settings,
                                   const std::string& mapField1, const std::string& command) {
    std::string bytes(1737, '\0');
    auto put = [&](std::size_t offset, const std::string& utf8) {
        const std::string text = windows1251FromUtf8(utf8);
        bytes[offset] = char(text.size());
        bytes.replace(offset + 1, text.size(), text);
    };
    put(0, name);
    put(201, settings);
    put(457, mapField1);
    put(1481, command);
    return bytes;
}

}  // namespace qz7::testing
