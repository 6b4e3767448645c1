// SPDX-License-Identifier: MIT
// Opens a web address in the user's browser without waiting for it, and without handing the
// started program the focus: the login window keeps it.
#pragma once

#include "failure.h"

#include <optional>
#include <string>

namespace core {

class SiteLauncher
{
public:
    virtual ~SiteLauncher() = default;

    // Starts the browser on `url` and returns at once. Returns the failure when nothing could be
    // started; what the started program does later is not watched.
    virtual std::optional<Failure> openSite(const std::string& url) = 0;

protected:
    SiteLauncher() = default;
    SiteLauncher(const SiteLauncher&) = default;
    SiteLauncher& operator=(const SiteLauncher&) = default;
};

} // namespace core
