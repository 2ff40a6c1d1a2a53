#include "platform/system_error_text.h"

#include <cerrno>
#include <utility>

namespace qz7 {

namespace {

constexpr std::string_view kNoSpace = "на диске нет места";
constexpr std::string_view kNoPermission = "нет прав доступа";
constexpr std::string_view kNotFound = "файл или папка не найдены";
constexpr std::string_view kTooLarge = "файл слишком большой";
constexpr std::string_view kInputOutput = "ошибка ввода-вывода";
constexpr std::string_view kNameTooLong = "слишком длинное имя файла";

constexpr std::pair<int, std::string_view> kSystemErrors[] = {
    {ENOSPC, kNoSpace},
#ifdef EDQUOT
    {EDQUOT, "превышена дисковая квота"},
#endif
    {EACCES, kNoPermission},
    {EPERM, kNoPermission},
    {EROFS, "файловая система только для чтения"},
    {ENOENT, kNotFound},
    {EISDIR, "это папка, а не файл"},
    {ENOTDIR, "часть пути не является папкой"},
    {EFBIG, kTooLarge},
    {EIO, kInputOutput},
    {ENAMETOOLONG, kNameTooLong},
    {EBUSY, "файл занят"},
    {EMFILE, "открыто слишком много файлов"},
};

// Windows error codes by number, so that the table needs no Windows header.
constexpr std::pair<unsigned long, std::string_view> kWindowsErrors[] = {
    {2, kNotFound},                                       // ERROR_FILE_NOT_FOUND
    {3, kNotFound},                                       // ERROR_PATH_NOT_FOUND
    {5, kNoPermission},                                   // ERROR_ACCESS_DENIED
    {19, "диск защищён от записи"},                       // ERROR_WRITE_PROTECT
    {23, kInputOutput},                                   // ERROR_CRC
    {32, "файл занят другой программой"},                 // ERROR_SHARING_VIOLATION
    {33, "часть файла заблокирована другой программой"},  // ERROR_LOCK_VIOLATION
    {39, kNoSpace},                                       // ERROR_HANDLE_DISK_FULL
    {112, kNoSpace},                                      // ERROR_DISK_FULL
    {206, kNameTooLong},                                  // ERROR_FILENAME_EXCED_RANGE
    {223, kTooLarge},                                     // ERROR_FILE_TOO_LARGE
    {1117, kInputOutput},                                 // ERROR_IO_DEVICE
};

}  // namespace

std::string errnoText(int errorNumber) {
    for (const auto& [number, text] : kSystemErrors)
        if (number == errorNumber) return std::string(text);
    return "системная ошибка " + std::to_string(errorNumber);
}

std::string windowsErrorText(unsigned long code) {
    for (const auto& [number, text] : kWindowsErrors)
        if (number == code) return std::string(text);
    return "ошибка Windows " + std::to_string(code);
}

std::string systemErrorText(std::error_code code) {
#ifdef _WIN32
    if (code.category() == std::system_category()) return windowsErrorText(code.value());
#endif
    return errnoText(code.value());
}

}  // namespace qz7
