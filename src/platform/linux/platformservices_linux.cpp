// SPDX-License-Identifier: MIT
#include "connection/sysfsrasapi.h"
#include "launcher/xdgopenlauncher.h"
#include "platformservices.h"

#include <fontconfig/fontconfig.h>

namespace {
// The kernel's list of network interfaces; dial-up links are its PPP entries.
constexpr char netClassDir[] = "/sys/class/net";
} // namespace

PlatformServices makePlatformServices()
{
    return {std::make_unique<connectiontest::SysfsRasApi>(netClassDir),
            std::make_unique<XdgOpenLauncher>()};
}

void loadFontConfiguration()
{
    // Fontconfig keeps one configuration for the process, made once by whichever caller comes
    // first; Qt's font database then finds it ready. Should loading fail, Qt meets the same
    // failure when it loads fonts itself, and deals with it there.
    FcInit();
}
