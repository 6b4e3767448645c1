// SPDX-License-Identifier: MIT
#pragma once

#include "sitelauncher.h"

// Opens a web address with xdg-open, the freedesktop.org way to hand it to the user's browser.
class XdgOpenLauncher final : public SiteLauncher
{
public:
    std::optional<Failure> openSite(const QString& url) override;
};
