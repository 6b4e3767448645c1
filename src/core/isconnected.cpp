// SPDX-License-Identifier: MIT
#include "isconnected.h"

#include <vector>

namespace connectiontest {

using namespace mdConnectionTest;

namespace {
// Room for this many connections; the platform reports a buffer too small beyond it.
constexpr std::uint32_t bufferRecords = 256;
} // namespace

bool firstConnectionIsConnected(RasApi& ras, const EnumerationFailed& failed)
{
    bool answer = false;
    RASCONNSTATUSA status{};
    std::uint32_t byteCount = 0;
    std::int32_t connectionCount = 0;

    // Value-initialised: every record starts zero-filled, so with no connection listed record 0
    // keeps handle 0.
    std::vector<RASCONNA> buffer(bufferRecords);
    buffer[0].dwSize = rasConnSize;
    byteCount = buffer[0].dwSize * bufferRecords;

    const std::uint32_t result =
        ras.RasEnumConnectionsA(buffer.data(), &byteCount, &connectionCount);
    if (result != SUCCESS) {
        failed(result);
    } else {
        // Only the first listed connection decides. Its status call fails on handle 0 and leaves
        // the state at 0, which reads as not connected; that result is deliberately not checked.
        status.dwSize = rasConnStatusSize;
        ras.RasGetConnectStatusA(buffer[0].hrasconn, &status);
        answer = status.rasconnstate == RASCS_Connected;
    }
    return answer;
}

} // namespace connectiontest
