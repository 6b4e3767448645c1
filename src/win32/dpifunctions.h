// SPDX-License-Identifier: MIT
// The DPI functions of Windows 10 version 1607 and later, found in USER32 at run time so that the
// program still starts on older Windows. There every window has the system's DPI, which the
// older functions use.
#pragma once

#include "handles.h"

#include <windows.h>

namespace win32 {

class DpiFunctions
{
public:
    DpiFunctions();

    // The message font (the one of message boxes and dialogs) at `dpi`; null with the reason in
    // GetLastError() when it could not be made.
    OwnedFont messageFont(int dpi) const;
    // The window rectangle around the client rectangle `client` of a window with these styles,
    // with the frame's sizes at `dpi`.
    RECT frameAround(RECT client, DWORD style, DWORD extendedStyle, int dpi) const;

private:
    decltype(&::SystemParametersInfoForDpi) systemParametersInfoForDpi_ = nullptr;
    decltype(&::AdjustWindowRectExForDpi) adjustWindowRectExForDpi_ = nullptr;
};

} // namespace win32
