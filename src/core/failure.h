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
    // The step itself took effect and only its last check failed (a name stored whose flush to
    // the disk could not be confirmed): the report must not say that nothing happened.
    bool tookEffect = false;

    std::string text() const { return what + ": " + why; }
};

} // namespace core
