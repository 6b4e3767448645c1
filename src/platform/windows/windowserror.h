// SPDX-License-Identifier: MIT
// The system's own sentence for a Windows error code, for the reports of failures.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// FormatMessage's text for `code` (a GetLastError() value) in UTF-8, followed by the number,
// e.g. "The system cannot find the file specified. (error 2)"; just "error N" when the system
// has no text for it. A given `subject` (the file concerned) is named in the text: in place of
// the "%1" by which some texts name it, or else in front, "subject: text".
std::string windowsErrorText(unsigned long code, std::wstring_view subject = {});

} // namespace platform
