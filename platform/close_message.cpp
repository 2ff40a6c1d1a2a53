#include "platform/close_message.h"

#ifdef _WIN32
#include <windows.h>

#include <atomic>
#include <thread>

namespace qz7 {

struct CloseMessageWatch::Window {
    std::atomic<bool> closed{false};
    std::atomic<DWORD> threadId{0};
    std::thread thread;
};

namespace {

LRESULT CALLBACK onMessage(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_CLOSE) {
        auto* watch =
            reinterpret_cast<CloseMessageWatch::Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (watch != nullptr) watch->closed = true;
        return 0;
    }
    return DefWindowProcW(window, message, w, l);
}

void runWindow(CloseMessageWatch::Window* watch, HANDLE ready) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = onMessage;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"QZ7CloseMessageWatch";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 10,
                                  10, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window != nullptr) SetWindowLongPtrW(window, GWLP_USERDATA, LONG_PTR(watch));
    watch->threadId = GetCurrentThreadId();
    SetEvent(ready);
    if (window == nullptr) return;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    DestroyWindow(window);
}

}  // namespace

CloseMessageWatch::CloseMessageWatch() : window_(std::make_unique<Window>()) {
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    window_->thread = std::thread(runWindow, window_.get(), ready);
    WaitForSingleObject(ready, 10000);
    CloseHandle(ready);
}

CloseMessageWatch::~CloseMessageWatch() {
    // The window's thread runs its message loop until told to quit; it has a message queue from
    // its window on, and without a window it has ended already.
    PostThreadMessageW(window_->threadId, WM_QUIT, 0, 0);
    window_->thread.join();
}

bool CloseMessageWatch::received() const { return window_->closed; }

}  // namespace qz7

#else

namespace qz7 {

struct CloseMessageWatch::Window {};

CloseMessageWatch::CloseMessageWatch() = default;
CloseMessageWatch::~CloseMessageWatch() = default;
bool CloseMessageWatch::received() const { return false; }

}  // namespace qz7

#endif
