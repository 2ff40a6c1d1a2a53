#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "settings/template_store.h"

namespace qz7 {

// The template a user named, or why there is none (Russian, for the user).
struct TemplateLookup {
    std::optional<std::size_t> index;
    std::string error;
};

// Finds a template: "#N" is position N (from 1), anything else a name (UTF-8). A name that no
// template or several templates carry is an error; the latter lists their positions.
TemplateLookup findTemplate(const TemplateRecords& records, const std::string& nameOrPosition);

}  // namespace qz7
