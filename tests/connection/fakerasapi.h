// SPDX-License-Identifier: MIT
// A scripted stand-in for the platform's dial-up functions: it lists the connections it was given
// (handles 1, 2, ... in order) and records what the caller passed in.
#pragma once

#include "connection/mdconnectiontest.h"

#include <cstdint>
#include <vector>

class FakeRasApi final : public mdConnectionTest::RasApi
{
public:
    // What RasEnumConnectionsA returns; with 0 it lists one connection per entry of `states`.
    std::uint32_t enumerationResult = mdConnectionTest::SUCCESS;
    // The state of each listed connection, first listed first.
    std::vector<std::uint32_t> states;

    // What the caller passed in.
    std::uint32_t firstRecordSize = 0;
    std::uint32_t byteCountOnEntry = 0;
    std::vector<mdConnectionTest::HRASCONN> statusHandles;
    std::vector<std::uint32_t> statusRecordSizes;

    std::uint32_t RasEnumConnectionsA(mdConnectionTest::RASCONNA* first, std::uint32_t* byteCount,
                                      std::int32_t* connectionCount) override
    {
        firstRecordSize = first->dwSize;
        byteCountOnEntry = *byteCount;
        if (enumerationResult != mdConnectionTest::SUCCESS) {
            return enumerationResult;
        }
        for (std::size_t i = 0; i < states.size(); ++i) {
            first[i].dwSize = mdConnectionTest::rasConnSize;
            first[i].hrasconn = static_cast<mdConnectionTest::HRASCONN>(i + 1);
        }
        *byteCount = static_cast<std::uint32_t>(states.size() * mdConnectionTest::rasConnSize);
        *connectionCount = static_cast<std::int32_t>(states.size());
        return mdConnectionTest::SUCCESS;
    }

    std::uint32_t RasGetConnectStatusA(mdConnectionTest::HRASCONN connection,
                                       mdConnectionTest::RASCONNSTATUSA* status) override
    {
        statusHandles.push_back(connection);
        statusRecordSizes.push_back(status->dwSize);
        if (connection == 0 || connection > states.size()) {
            return mdConnectionTest::ERROR_INVALID_HANDLE;
        }
        status->rasconnstate = states[connection - 1];
        return mdConnectionTest::SUCCESS;
    }

    const char* lastFailureReason() const override { return "scripted failure"; }
};
