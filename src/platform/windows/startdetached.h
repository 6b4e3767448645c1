// SPDX-License-Identifier: MIT
// Starting a program of the Windows folder without waiting for it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace launch {

// ShowWindow's SW_SHOWNOACTIVATE from <winuser.h>: the started program's window opens at its
// normal size and place without being activated, so the login window keeps the focus.
inline constexpr int showWithoutActivating = 4;

// Windows Explorer, which hands an http URL to the user's browser, lives in the Windows folder.
inline constexpr std::wstring_view explorerFile = L"explorer.exe";

// The command line that opens a web address: "explorer <url>".
std::wstring explorerCommandLine(std::wstring_view url);

// Starts the program `file` of the Windows folder, by its full path, with the command line
// `commandLine` and its first window shown in the style `showWindow`, and returns at once: the
// started program is not waited for and its handles are closed before returning. Nothing of that
// name beside this program or in the current folder is ever started. Returns the system's reason
// when nothing could be started.
std::optional<std::string> startDetached(std::wstring_view file, std::wstring_view commandLine,
                                         int showWindow);

} // namespace launch
