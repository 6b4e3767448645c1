// SPDX-License-Identifier: MIT
#include "connection/rasapi32.h"
#include "launcher/explorerlauncher.h"
#include "platformservices.h"

PlatformServices makePlatformServices()
{
    return {std::make_unique<connectiontest::RasApi32>(), std::make_unique<ExplorerLauncher>()};
}

void loadFontConfiguration()
{
    // Windows keeps its fonts in the system itself: there is nothing to load ahead.
}
