#pragma once

#include <cstring>
#include <string>
#include <string_view>

#include "platform/windows1251.h"

namespace qz7::testing {

// A template record laid out by hand, byte by byte, not by the codec under test: a zeroed
// 1737-byte block with a length byte and the text put at a field's offset.
class HandBuiltRecord {
  public:
    // A length byte and the bytes after it.
    HandBuiltRecord& at(std::size_t offset, std::string_view bytes) {
        block_[offset] = char(bytes.size());
        std::memcpy(block_.data() + offset + 1, bytes.data(), bytes.size());
        return *this;
    }
    // The bytes alone.
    HandBuiltRecord& raw(std::size_t offset, std::string_view bytes) {
        std::memcpy(block_.data() + offset, bytes.data(), bytes.size());
        return *this;
    }
    const std::string& bytes() const { return block_; }

  private:
    std::string block_ = std::string(1737, '\0');
};

// A record of the given UTF-8 texts at the fields' offsets (name, settings line, first map
// field, command line), in Windows-1251; the other map fields stay empty.
inline std::string handBuiltRecord(const std::string& name, const std::string& settings,
                                   const std::string& mapField1, const std::string& command) {
    return HandBuiltRecord()
        .at(0, windows1251FromUtf8(name))
        .at(201, windows1251FromUtf8(settings))
        .at(457, windows1251FromUtf8(mapField1))
        .at(1481, windows1251FromUtf8(command))
        .bytes();
}

}  // namespace qz7::testing
