#pragma once

namespace qz7::cli {

// The names of values in qz7ctl's help, manual page and completion. The completion offers the
// store's templates for a template, file names for a file, folder names for a folder.
inline constexpr const char* kTemplateValue = "ШАБЛОН";
inline constexpr const char* kFileValue = "ФАЙЛ";
inline constexpr const char* kFolderValue = "ПАПКА";
inline constexpr const char* kSecondsValue = "СЕКУНДЫ";

}  // namespace qz7::cli
