#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qz7 {

// The lines of a base recipe: a line ends at CR LF, at a lone CR or at a lone LF; a last line
// without a line end is a line too; a NUL byte ends the text. Bytes in, bytes out; the views
// point into the given bytes.
std::vector<std::string_view> recipeLineViews(std::string_view bytes);
std::vector<std::string> splitRecipeLines(std::string_view bytes);

// The lines of a base configuration: a line ends at CR LF, at a lone CR or at a lone LF, as in the
// recipe (an editor that writes CR-only line ends must not leave one long line whose password and
// player limit are never found), and a Ctrl+Z byte ends the input.
std::vector<std::string> splitConfigurationLines(std::string_view bytes);

// The lines joined, every one of them (the last included) followed by CR LF.
std::string joinLinesWithCrLf(const std::vector<std::string>& lines);

}  // namespace qz7
