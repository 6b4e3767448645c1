// SPDX-License-Identifier: MIT
#include "identity.h"
#include "platform/platformservices.h"
#include "processsafety.h"
#include "settingsfilestore.h"
#include "sysfsrasapi.h"
#include "xdgopenlauncher.h"

namespace platform {

namespace {
// The kernel's list of network interfaces; dial-up links are its PPP entries.
constexpr char netClassDir[] = "/sys/class/net";
} // namespace

std::variant<PlatformServices, core::Failure> startPlatform()
{
    auto safeguarded = safeguardProcess();
    if (auto* failure = std::get_if<core::Failure>(&safeguarded)) {
        return *failure;
    }
    return PlatformServices{std::make_unique<SettingsFileStore>(identity::applicationTitle),
                            std::make_unique<connectiontest::SysfsRasApi>(netClassDir),
                            std::make_unique<XdgOpenLauncher>(std::get<rlimit>(safeguarded))};
}

} // namespace platform
