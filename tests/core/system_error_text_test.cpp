#include "platform/system_error_text.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace qz7 {
namespace {

TEST(SystemErrorText, CommonReasonsAreWordedInRussianAndTheRestByNumber) {
    const std::pair<int, const char*> errors[] = {
        {ENOSPC, "на диске нет места"},        {EACCES, "нет прав доступа"},
        {EPERM, "нет прав доступа"},           {EROFS, "файловая система только для чтения"},
        {ENOENT, "файл или папка не найдены"}, {EISDIR, "это папка, а не файл"},
        {EFBIG, "файл слишком большой"},       {EIO, "ошибка ввода-вывода"},
        {12345, "системная ошибка 12345"},
    };
    for (const auto& [number, text] : errors) {
        EXPECT_EQ(errnoText(number), text);
        EXPECT_EQ(systemErrorText(std::error_code(number, std::generic_category())), text);
    }
    const std::pair<unsigned long, const char*> windowsErrors[] = {
        {112, "на диске нет места"},           // ERROR_DISK_FULL
        {39, "на диске нет места"},            // ERROR_HANDLE_DISK_FULL
        {5, "нет прав доступа"},               // ERROR_ACCESS_DENIED
        {19, "диск защищён от записи"},        // ERROR_WRITE_PROTECT
        {2, "файл или папка не найдены"},      // ERROR_FILE_NOT_FOUND
        {3, "файл или папка не найдены"},      // ERROR_PATH_NOT_FOUND
        {32, "файл занят другой программой"},  // ERROR_SHARING_VIOLATION
        {223, "файл слишком большой"},         // ERROR_FILE_TOO_LARGE
        {1117, "ошибка ввода-вывода"},         // ERROR_IO_DEVICE
        {1450, "ошибка Windows 1450"},
    };
    for (const auto& [code, text] : windowsErrors) EXPECT_EQ(windowsErrorText(code), text);
}

}  // namespace
}  // namespace qz7
