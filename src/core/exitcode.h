// SPDX-License-Identifier: MIT
#pragma once

namespace core {

// The process's exit statuses.
enum class ExitCode : int
{
    Success = 0,
    // The program failed before its window could be shown.
    StartupFailure = 1,
};

constexpr int toInt(ExitCode code)
{
    return static_cast<int>(code);
}

} // namespace core
