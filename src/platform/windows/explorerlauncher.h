// SPDX-License-Identifier: MIT
#pragma once

#include "sitelauncher.h"

// Opens a web address the Windows way: the command line "explorer <url>", started with window
// style 4 (shown without being activated), which hands the address to the user's browser.
class ExplorerLauncher final : public SiteLauncher
{
public:
    std::optional<Failure> openSite(const QString& url) override;
};
