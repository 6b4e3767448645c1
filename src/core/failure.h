// SPDX-License-Identifier: MIT
// What went wrong, in the one shape the program reports everywhere: what failed, then the
// system's reason. Both are UTF-8.
#pragma once

#include <string>

namespace core {

struct Failure
{
    std::string what;
    std::string why;

    std::string text() const { return what + ": " + why; }
};

} // namespace core
