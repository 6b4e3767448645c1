// SPDX-License-Identifier: MIT
// What makes an edit control the login window's password box.
#pragma once

#include <windows.h>

namespace win32 {

// Shows each character as `character`, keeps the input-method editor away, lets nothing of the
// text out through the clipboard, whoever asks, and neither tells another program the text nor
// lets one change the mask. Returns false, with the reason in
// GetLastError(), when the box could not be guarded.
bool makePasswordBox(HWND box, wchar_t character);

} // namespace win32
