// SPDX-License-Identifier: MIT
// The platform's pieces of the program, chosen once, at build time, by the platform's source file.
#pragma once

#include "connection/mdconnectiontest.h"
#include "launcher/sitelauncher.h"

#include <memory>

struct PlatformServices
{
    std::unique_ptr<mdConnectionTest::RasApi> ras;
    std::unique_ptr<SiteLauncher> launcher;
};

PlatformServices makePlatformServices();

// Loads the system's font configuration ahead of the toolkit's first use of a font, where the
// platform has such a step. Safe on any thread, and before the application object exists.
void loadFontConfiguration();
