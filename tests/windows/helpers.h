// SPDX-License-Identifier: MIT
// What several groups of the Windows console test need from the system.
#pragma once

#include <string>
#include <string_view>

// The full path of this test program, and the folder that holds it and its helpers.
std::wstring ownPath();
std::wstring ownFolder();

// UTF-8 for the test's output.
std::string narrow(std::wstring_view text);
