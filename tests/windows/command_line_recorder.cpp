// A stand-in for a launcher: records the command line it was started with and the folder it was
// started in, so that tests can check exactly what a launch handed over.
//
// Beside itself it writes "<own name>.command-line" and "<own name>.working-folder", each the raw
// UTF-16LE text without a terminating NUL. Each file is written under a temporary name first and
// then renamed, so a reader that sees the file sees all of it. Then, as a server does, it prints
// a line on its standard output and one on its standard error, where tests look for them.
#include <windows.h>

#include <string>
#include <utility>

namespace {

bool writeRecord(const std::wstring& path, const std::wstring& text) {
    const std::wstring temporary = path + L".partial";
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const DWORD size = DWORD(text.size() * sizeof(wchar_t));
    DWORD written = 0;
    bool ok = WriteFile(file, text.data(), size, &written, nullptr) && written == size;
    ok = CloseHandle(file) && ok;
    return ok && MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

}  // namespace

int main() {
    wchar_t self[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 2;

    wchar_t folder[MAX_PATH];
    DWORD folderLength = GetCurrentDirectoryW(MAX_PATH, folder);
    if (folderLength == 0 || folderLength >= MAX_PATH) return 3;

    const std::wstring base(self, length);
    // The working folder first: the command line's file is what readers wait for.
    if (!writeRecord(base + L".working-folder", std::wstring(folder, folderLength))) return 4;
    if (!writeRecord(base + L".command-line", GetCommandLineW())) return 5;
    const std::pair<DWORD, std::string> lines[] = {
        {STD_OUTPUT_HANDLE, "command_line_recorder: output\r\n"},
        {STD_ERROR_HANDLE, "command_line_recorder: error\r\n"}};
    for (const auto& [which, line] : lines) {
        DWORD written = 0;
        WriteFile(GetStdHandle(which), line.data(), DWORD(line.size()), &written, nullptr);
    }
    return 0;
}
