// SPDX-License-Identifier: MIT
#pragma once

#include "core/sitelauncher.h"

namespace platform {

// Opens a web address the Windows way: the command line "explorer <url>", started with window
// style 4 (shown without being activated), which hands the address to the user's browser. The
// explorer.exe started is the Windows folder's, never one beside the program or in the current
// folder.
class ExplorerLauncher final : public core::SiteLauncher
{
public:
    std::optional<core::Failure> openSite(const std::string& url) override;
};

} // namespace platform
