// A stand-in server that records how it was asked to stop. Started with the parameter "console"
// it waits for a console control event; with "window" it shows no window but keeps a top-level
// one and waits for a close message. Beside itself it writes "<own name>.ready" once it waits and
// "<own name>.stop" with what arrived ("CTRL_BREAK_EVENT", "CTRL_C_EVENT", "CTRL_CLOSE_EVENT" or
// "WM_CLOSE"), then ends with status 0. It gives up after two minutes with status 3.
#include <windows.h>

#include <string>

namespace {

std::wstring base;
HANDLE arrived = nullptr;

void record(const wchar_t* suffix, const char* text) {
    const std::wstring path = base + suffix;
    const std::wstring temporary = path + L".partial";
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, text, DWORD(strlen(text)), &written, nullptr);
    CloseHandle(file);
    MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

BOOL WINAPI onControl(DWORD event) {
    record(L".stop", event == CTRL_BREAK_EVENT   ? "CTRL_BREAK_EVENT"
                     : event == CTRL_C_EVENT     ? "CTRL_C_EVENT"
                     : event == CTRL_CLOSE_EVENT ? "CTRL_CLOSE_EVENT"
                                                 : "other console event");
    SetEvent(arrived);
    // A close event ends the program when this returns: hold it until the main thread has ended.
    if (event == CTRL_CLOSE_EVENT) Sleep(INFINITE);
    return TRUE;
}

LRESULT CALLBACK onMessage(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_CLOSE) {
        record(L".stop", "WM_CLOSE");
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, w, l);
}

}  // namespace

int main(int argc, char** argv) {
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 2;
    base.assign(self, length);
    const bool window = argc > 1 && std::string(argv[1]) == "window";
    arrived = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!window) {
        SetConsoleCtrlHandler(onControl, TRUE);
        record(L".ready", "console");
        return WaitForSingleObject(arrived, 120000) == WAIT_OBJECT_0 ? 0 : 3;
    }
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = onMessage;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"QZ7StopRecorder";
    RegisterClassW(&windowClass);
    if (!CreateWindowExW(0, windowClass.lpszClassName, L"stop recorder", WS_OVERLAPPEDWINDOW, 0, 0,
                         100, 100, nullptr, nullptr, windowClass.hInstance, nullptr))
        return 4;
    record(L".ready", "window");
    SetTimer(nullptr, 0, 120000, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER) return 3;
        DispatchMessageW(&message);
    }
    return 0;
}
