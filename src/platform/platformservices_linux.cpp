// SPDX-License-Identifier: MIT
#include "connection/sysfsrasapi.h"
#include "launcher/xdgopenlauncher.h"
#include "platformservices.h"

namespace {
// The kernel's list of network interfaces; dial-up links are its PPP entries.
constexpr char netClassDir[] = "/sys/class/net";
} // namespace

PlatformServices makePlatformServices()
{
    return {std::make_unique<connectiontest::SysfsRasApi>(netClassDir),
            std::make_unique<XdgOpenLauncher>()};
}
