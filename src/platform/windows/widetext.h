// SPDX-License-Identifier: MIT
// Conversions between the program's UTF-8 and the UTF-16 of Windows' wide functions.
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

} // namespace platform
