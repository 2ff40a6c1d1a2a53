#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

#include "settings/template_rules.h"
#include "settings/template_text.h"

namespace qz7::cli {

// One line of an import's report: where, what, and whether it stops the import.
struct ImportProblem {
    int line = 0;  // 0 when it concerns the whole template
    std::string message;
    bool warning = false;
};

// The problems of a text-form template in line order: the faults of the form, the template
// rules' problems at the line of the field they name (`nameFromOption` marks a name given on
// the command line, whose problems are reported as such), and warnings for maps that the
// catalogue does not hold. A rule problem of a missing field is left out: the field is reported
// missing.
std::vector<ImportProblem> importProblems(const TemplateTextReading& reading,
                                          const std::vector<TemplateProblem>& ruleProblems,
                                          bool nameFromOption);

// At most this many problems are listed; the rest are counted.
inline constexpr std::size_t kListedImportProblems = 50;

// Writes the problems, "<file>:<line>: ошибка: ..." each, the first 50 and then how many more.
void printImportProblems(const std::string& file, const std::vector<ImportProblem>& problems,
                         std::ostream& err);

}  // namespace qz7::cli
