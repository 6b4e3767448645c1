// SPDX-License-Identifier: MIT
// win32-floor: the least a Win32 program does to show a window like the login window: a bare
// window of its client size with one push button, centred, ending when it is closed. What the
// Windows start benchmark (bench/winstart.sh) measures "CV Example.exe" against.
#include <windows.h>

namespace {

constexpr int clientWidth = 460;
constexpr int clientHeight = 292;
constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"Win32Floor";
    RegisterClassW(&windowClass);
    RECT frame{0, 0, clientWidth, clientHeight};
    AdjustWindowRect(&frame, style, FALSE);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const HWND window = CreateWindowW(L"Win32Floor", L"win32-floor", style,
                                      (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                                      (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
                                      nullptr, nullptr, instance, nullptr);
    CreateWindowW(L"BUTTON", L"Login", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 8, 216, 449, 33,
                  window, nullptr, instance, nullptr);
    ShowWindow(window, showCommand);
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    return 0;
}
