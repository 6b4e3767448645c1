// SPDX-License-Identifier: MIT
// Starting a command line on Windows without waiting for it, free of Qt so that the Windows
// console test runs exactly what the program runs.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace launch {

// ShowWindow's SW_SHOWNOACTIVATE from <winuser.h>: the started program's window opens at its
// normal size and place without being activated, so the login window keeps the focus.
inline constexpr int showWithoutActivating = 4;

// The command that opens a web address: Windows Explorer hands an http URL to the user's browser.
std::wstring explorerCommandLine(std::wstring_view url);

// Starts `commandLine` with its first window shown in the style `showWindow`, and returns at
// once: the started program is not waited for and its handles are closed before returning.
// Returns the system's reason when nothing could be started.
std::optional<std::string> startDetached(std::wstring_view commandLine, int showWindow);

} // namespace launch
