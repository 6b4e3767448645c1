// SPDX-License-Identifier: MIT
// The system's own sentence for a Windows error code, for the reports of failures.
#pragma once

#include <string>

namespace platform {

// FormatMessage's text for `code` (a GetLastError() value) in UTF-8, followed by the number,
// e.g. "The system cannot find the file specified. (error 2)"; just "error N" when the system
// has no text for it.
std::string windowsErrorText(unsigned long code);

} // namespace platform
