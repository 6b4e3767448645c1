// SPDX-License-Identifier: MIT
// The dial-up connection test, free of the windowing toolkit so that every platform's build can
// run it. The window supplies the message that reports a failed listing.
#pragma once

#include "mdconnectiontest.h"

#include <cstdint>
#include <functional>

namespace connectiontest {

// Called once when the platform cannot list the connections, with its return code.
using EnumerationFailed = std::function<void(std::uint32_t code)>;

// Answers whether the first connection in the platform's list of active dial-up connections is
// in the connected state.
bool firstConnectionIsConnected(mdConnectionTest::RasApi& ras, const EnumerationFailed& failed);

} // namespace connectiontest
