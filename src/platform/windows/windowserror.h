// SPDX-License-Identifier: MIT
// The system's own sentence for a Windows error code, for the reports of failures.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// FormatMessage's text for `code` (a GetLastError() value) in UTF-8, followed by the number,
// e.g. "The system cannot find the file specified. (error 2)"; just "error N" when the system
// has no text for it. A "%1" in the text, where some texts name the file concerned, becomes
// `subject` when one is given.
std::string windowsErrorText(unsigned long code, std::wstring_view subject = {});

} // namespace platform
