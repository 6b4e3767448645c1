// SPDX-License-Identifier: MIT
// The platform's pieces of the program, chosen once, at build time, by the platform's source file
// (platformservices_linux.cpp or platformservices_windows.cpp).
#pragma once

#include "core/failure.h"
#include "core/mdconnectiontest.h"
#include "core/settingsstore.h"
#include "core/sitelauncher.h"

#include <memory>
#include <variant>

namespace platform {

struct PlatformServices
{
    std::unique_ptr<core::SettingsStore> store;
    std::unique_ptr<mdConnectionTest::RasApi> ras;
    std::unique_ptr<core::SiteLauncher> launcher;
};

// Call it first thing at start. Where the platform asks for it, it first makes the process fit to
// hold a typed password; then it makes the services. Returns what failed, for the start-up report.
std::variant<PlatformServices, core::Failure> startPlatform();

} // namespace platform
