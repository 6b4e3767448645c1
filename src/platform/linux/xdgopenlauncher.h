// SPDX-License-Identifier: MIT
#pragma once

#include "core/sitelauncher.h"

#include <sys/resource.h>

namespace platform {

// Opens a web address with xdg-open, the freedesktop.org way to hand it to the user's browser.
// The opener is started detached (it is never this process's child, so it leaves no zombie),
// with standard input on /dev/null, without the desktop's focus tokens, with SIGPIPE at its
// default, and with the core-dump limits the program was started with rather than the ones it set
// for itself.
class XdgOpenLauncher final : public core::SiteLauncher
{
public:
    explicit XdgOpenLauncher(rlimit coreLimitForStarted);

    std::optional<core::Failure> openSite(const std::string& url) override;

private:
    rlimit coreLimitForStarted_;
};

} // namespace platform
