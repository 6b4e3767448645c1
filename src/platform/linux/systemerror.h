// SPDX-License-Identifier: MIT
#pragma once

#include <cstring>
#include <string>

namespace platform {

// The system's text for an errno value.
inline std::string systemReason(int error)
{
    return std::strerror(error);
}

} // namespace platform
