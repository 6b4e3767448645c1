// SPDX-License-Identifier: MIT
// Corvane on Windows: the platform's services, the artwork and the login window, then the
// window's messages until it goes. A failure on the way there is the standard start-up report.
#include "frmlogin.h"
#include "messageboxes.h"
#include "platform/platformservices.h"
#include "platform/windows/systemlibrary.h"

// <windows.h> after the core, as in frmlogin.h.
#include <commctrl.h>
#include <windows.h>

namespace {

// Every DLL that is loaded from now on, by the program or by a library for it, comes from the
// system folder only, never from beside the program. SetDefaultDllDirectories is found at run time:
// Windows 7 has it only with its update KB2533623, which LOAD_LIBRARY_SEARCH_SYSTEM32 needs too.
void loadLibrariesFromTheSystemFolderOnly()
{
    using SetDefaultDllDirectories = BOOL(WINAPI*)(DWORD);
    if (const auto set = platform::importedEntry<SetDefaultDllDirectories>(
            L"kernel32.dll", "SetDefaultDllDirectories")) {
        set(LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
}

// The keyboard goes through the dialog manager: Tab and Shift+Tab move the focus, Space presses
// the focused button, Return and Escape become IDOK and IDCANCEL.
int runMessages(HWND window)
{
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return static_cast<int>(message.wParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    loadLibrariesFromTheSystemFolderOnly();
    // The buttons and text boxes of common controls version 6, which the manifest asks for.
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    auto platform = platform::startPlatform();
    if (const auto* failure = std::get_if<core::Failure>(&platform)) {
        return win32::reportStartupFailure(*failure);
    }
    auto& services = std::get<platform::PlatformServices>(platform);
    const auto artwork = win32::loadArtwork(instance);
    if (const auto* failure = std::get_if<core::Failure>(&artwork)) {
        return win32::reportStartupFailure(*failure);
    }

    win32::MessageBoxes messages;
    win32::FrmLogin window(std::get<win32::Artwork>(artwork),
                           {*services.store, *services.ras, *services.launcher, messages});
    if (const auto failure = window.create(instance)) {
        return win32::reportStartupFailure(*failure);
    }
    messages.setOwner(window.handle());
    if (const auto failure = core::loadWindow(window.procedures())) {
        return win32::reportStartupFailure(*failure);
    }
    window.show(showCommand);
    return runMessages(window.handle());
}
