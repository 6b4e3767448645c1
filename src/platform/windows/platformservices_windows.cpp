// SPDX-License-Identifier: MIT
#include "explorerlauncher.h"
#include "platform/platformservices.h"
#include "rasapi32.h"
#include "registrystore.h"

namespace platform {

std::variant<PlatformServices, core::Failure> startPlatform()
{
    return PlatformServices{std::make_unique<RegistryStore>(),
                            std::make_unique<connectiontest::RasApi32>(),
                            std::make_unique<ExplorerLauncher>()};
}

} // namespace platform
