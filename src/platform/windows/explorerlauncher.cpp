// SPDX-License-Identifier: MIT
#include "explorerlauncher.h"

#include "startdetached.h"
#include "widetext.h"

namespace platform {

std::optional<core::Failure> ExplorerLauncher::openSite(const std::string& url)
{
    const std::optional<std::string> reason =
        launch::startDetached(launch::explorerFile, launch::explorerCommandLine(widen(url)),
                              launch::showWithoutActivating);
    if (reason) {
        return core::Failure{"Could not open " + url, *reason};
    }
    return std::nullopt;
}

} // namespace platform
