// SPDX-License-Identifier: MIT
// The dial-up functions answered from the kernel's list of network interfaces (/sys/class/net on
// Linux). Every PPP interface, which is what dial-up and PPP-based VPN links are, counts as one
// active connection; its interface index is its handle.
#pragma once

#include "core/mdconnectiontest.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace connectiontest {

class SysfsRasApi final : public mdConnectionTest::RasApi
{
public:
    // `netClassDir` is the folder that lists the interfaces, one entry (in sysfs a symbolic link
    // to the device's folder) per interface. Nothing is read here: every call reads the folder
    // afresh, so links that come and go between calls are seen.
    explicit SysfsRasApi(std::filesystem::path netClassDir);

    // Lists the PPP interfaces in ascending interface index; two entries with the same index
    // (which the kernel never produces) are ordered by name, and a handle then means the first.
    std::uint32_t RasEnumConnectionsA(mdConnectionTest::RASCONNA* first, std::uint32_t* byteCount,
                                      std::int32_t* connectionCount) override;

    // Connected means the interface is up and has a carrier. A link that is not up reads as still
    // connecting its device, one that is up without carrier as still authenticating.
    std::uint32_t RasGetConnectStatusA(mdConnectionTest::HRASCONN connection,
                                       mdConnectionTest::RASCONNSTATUSA* status) override;

    // Kept until the next failure; empty while no call has failed.
    const char* lastFailureReason() const override;

private:
    // Records `reason` for lastFailureReason() and returns `code`.
    std::uint32_t fail(std::uint32_t code, std::string reason);

    std::filesystem::path netClassDir_;
    std::string lastFailureReason_;
};

} // namespace connectiontest
