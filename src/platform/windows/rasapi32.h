// SPDX-License-Identifier: MIT
// The dial-up functions of Windows' Remote Access Service, taken from RasApi32.dll. Each one is
// bound by name the first time it is called, not at start; the library is loaded then, and later
// calls reuse the resolved entry. The library stays loaded until this object goes.
#pragma once

#include "core/mdconnectiontest.h"

#include <cstdint>
#include <memory>
#include <string>

namespace connectiontest {

// Where the two functions come from. Another library or entry name is how a test sees a binding
// fail, or binds a stand-in library.
struct RasApi32Names
{
    std::string library = "RasApi32.dll";
    std::string enumConnections = "RasEnumConnectionsA";
    std::string getConnectStatus = "RasGetConnectStatusA";
};

class RasApi32 final : public mdConnectionTest::RasApi
{
public:
    // Nothing is loaded here.
    explicit RasApi32(RasApi32Names names = {});
    ~RasApi32() override;
    RasApi32(const RasApi32&) = delete;
    RasApi32& operator=(const RasApi32&) = delete;

    // Both throw BindingFailure when the library cannot be loaded or has no such entry; otherwise
    // they return what the platform's function returned.
    std::uint32_t RasEnumConnectionsA(mdConnectionTest::RASCONNA* first, std::uint32_t* byteCount,
                                      std::int32_t* connectionCount) override;
    std::uint32_t RasGetConnectStatusA(mdConnectionTest::HRASCONN connection,
                                       mdConnectionTest::RASCONNSTATUSA* status) override;

    // The system's text for the last nonzero result; empty while no call has failed.
    const char* lastFailureReason() const override;

private:
    // The loaded library and the resolved entries, in the platform's own types.
    struct Binding;

    // Records the reason of a nonzero `result` of the function `name`, and returns `result`.
    std::uint32_t noteResult(const std::string& name, std::uint32_t result);

    RasApi32Names names_;
    std::unique_ptr<Binding> binding_;
    std::string lastFailureReason_;
};

} // namespace connectiontest
