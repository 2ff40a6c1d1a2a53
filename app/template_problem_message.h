#pragma once

#include <string>

#include "settings/template_content.h"
#include "settings/template_rules.h"

namespace qz7 {

// The error box text of the window's save and new commands for a problem the template rules
// found, naming the field as the window labels it; the content gives the longest setting for a
// settings line that does not fit.
std::string templateProblemMessage(const TemplateProblem& problem, const TemplateContent& content);

}  // namespace qz7
