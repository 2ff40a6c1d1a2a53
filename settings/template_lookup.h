#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace qz7 {

// The template a user named, or why there is none (Russian, for the user).
struct TemplateLookup {
    std::optional<std::size_t> index;
    std::string error;
    std::string record;  // the template's stored bytes, when found
};

// Finds a template in the store file: "#N" is position N (from 1), read by itself; anything else
// is a name (UTF-8), looked for in one pass over the store that keeps only the positions it
// matches and the first match's record. A name that no template or several templates carry is an
// error; the latter lists their positions. Reads the file afresh on every call.
TemplateLookup findTemplate(const std::filesystem::path& store, const std::string& nameOrPosition);

// The same for a name only, even one that starts with "#" (a name resolved earlier).
TemplateLookup findTemplateNamed(const std::filesystem::path& store, const std::string& name);

}  // namespace qz7
