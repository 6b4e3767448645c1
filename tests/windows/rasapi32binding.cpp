// SPDX-License-Identifier: MIT
// The binder of the two dial-up functions against wine's or Windows' own RasApi32.dll, against a
// stand-in written to the platform's <ras.h>, and with names that cannot be bound.
#include "checks.h"
#include "connection/bindingfailure.h"
#include "connection/isconnected.h"
#include "connection/rasapi32.h"
#include "groups.h"
#include "helpers.h"

#include <optional>
#include <string>
#include <vector>
// After the records: the error-code macros of <windows.h> share their names.
#include <windows.h>

using connectiontest::BindingFailure;
using connectiontest::RasApi32;
using connectiontest::RasApi32Names;
using mdConnectionTest::RASCONNA;
using mdConnectionTest::RASCONNSTATUSA;

namespace {

// The connection test's buffer: 256 records, the first stamped with its size.
struct Listing
{
    std::vector<RASCONNA> records = std::vector<RASCONNA>(256);
    std::uint32_t byteCount = 256 * mdConnectionTest::rasConnSize;
    std::int32_t connectionCount = -1;

    Listing() { records[0].dwSize = mdConnectionTest::rasConnSize; }
};

bool rasApi32Loaded()
{
    return GetModuleHandleW(L"rasapi32.dll") != nullptr;
}

// Runs the connection test as the window does; counts the "ERROR" messages it asks for.
struct Answer
{
    bool connected;
    int messages;
};
Answer isConnected(mdConnectionTest::RasApi& ras)
{
    int messages = 0;
    const bool connected =
        connectiontest::firstConnectionIsConnected(ras, [&messages](std::uint32_t) { ++messages; });
    return {connected, messages};
}

// The BindingFailure that `call` raises, if any.
template <typename Call> std::optional<BindingFailure> bindingFailureOf(Call call)
{
    try {
        call();
    } catch (const BindingFailure& failure) {
        return failure;
    }
    return std::nullopt;
}

bool endsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

void checkThePlatformsLibrary(Checks& checks)
{
    {
        RasApi32 ras;
        checks.expect(!rasApi32Loaded(), "nothing is loaded before the first call");

        const Answer answer = isConnected(ras);
        checks.expect(!answer.connected, "IsConnected answers false: no connection is listed");
        checks.expectEqual(answer.messages, 0, "no ERROR message");
        checks.expect(rasApi32Loaded(), "the first call loads RasApi32.dll");

        Listing listing;
        const std::uint32_t result = ras.RasEnumConnectionsA(
            listing.records.data(), &listing.byteCount, &listing.connectionCount);
        checks.expectEqual(result, std::uint32_t{0},
                           "RasEnumConnectionsA, bound by name, succeeds");
        checks.expectEqual(listing.connectionCount, 0, "and lists no connection");

        RASCONNSTATUSA status{};
        status.dwSize = mdConnectionTest::rasConnStatusSize;
        ras.RasGetConnectStatusA(listing.records[0].hrasconn, &status);
        checks.expectEqual(status.rasconnstate, std::uint32_t{0},
                           "RasGetConnectStatusA, bound by name, leaves handle 0's state at 0");
        checks.expect(!isConnected(ras).connected && rasApi32Loaded(),
                      "a second test reuses the loaded library");
    }
    checks.expect(!rasApi32Loaded(), "the library is freed with the binder");
}

void checkTheStandIn(Checks& checks)
{
    RasApi32Names names;
    names.library = narrow(ownFolder()) + "\\corvane_scripted_rasapi.dll";
    RasApi32 ras(names);

    const Answer answer = isConnected(ras);
    checks.expect(answer.connected, "IsConnected answers true when the first listed link is up");
    checks.expectEqual(answer.messages, 0, "no ERROR message");

    // The stand-in fills its records at its own idea of the stamped size: both handles land
    // where the program's records have them.
    Listing listing;
    checks.expectEqual(ras.RasEnumConnectionsA(listing.records.data(), &listing.byteCount,
                                               &listing.connectionCount),
                       std::uint32_t{0}, "the stand-in lists its connections");
    checks.expectEqual(listing.connectionCount, 2, "two connections are listed");
    checks.expectEqual(listing.records[0].hrasconn, std::uint32_t{0x5A17},
                       "the first handle is read from the first record");
    checks.expectEqual(listing.records[1].hrasconn, std::uint32_t{0x5A18},
                       "the second record starts 412 bytes after the first");
    RASCONNSTATUSA status{};
    status.dwSize = mdConnectionTest::rasConnStatusSize;
    checks.expectEqual(ras.RasGetConnectStatusA(listing.records[1].hrasconn, &status),
                       std::uint32_t{0}, "the second link's state is read");
    checks.expectEqual(status.rasconnstate, mdConnectionTest::RASCS_ConnectDevice,
                       "the second link is still dialling");

    // One record's room for two connections: the platform's "buffer too small", with its reason.
    Listing small;
    small.byteCount = mdConnectionTest::rasConnSize;
    checks.expectEqual(
        ras.RasEnumConnectionsA(small.records.data(), &small.byteCount, &small.connectionCount),
        mdConnectionTest::ERROR_BUFFER_TOO_SMALL, "a buffer too small is refused");
    const std::string reason = ras.lastFailureReason();
    checks.expect(reason.starts_with("RasEnumConnectionsA: ") &&
                      reason.find("error 603") != std::string::npos,
                  "and the reason names the function and the code", reason);
}

void checkBindingFailures(Checks& checks)
{
    struct Row
    {
        const char* what;
        RasApi32Names names;
        bool failsOnStatus;
        std::string failed;
        std::string errorSuffix;
    };
    const Row rows[] = {
        {"a library that does not exist",
         {"CorvaneNoSuchLibrary.dll", "RasEnumConnectionsA", "RasGetConnectStatusA"},
         false,
         "Could not load CorvaneNoSuchLibrary.dll",
         "(error 126)"},
        // A bare name is looked for in the system folder only, never beside the program.
        {"a library only beside the program",
         {"corvane_scripted_rasapi.dll", "RasEnumConnectionsA", "RasGetConnectStatusA"},
         false,
         "Could not load corvane_scripted_rasapi.dll",
         "(error 126)"},
        {"a listing entry that does not exist",
         {"RasApi32.dll", "RasEnumConnectionsX", "RasGetConnectStatusA"},
         false,
         "Could not find RasEnumConnectionsX in RasApi32.dll",
         "(error 127)"},
        {"a status entry that does not exist",
         {"RasApi32.dll", "RasEnumConnectionsA", "RasGetConnectStatusX"},
         true,
         "Could not find RasGetConnectStatusX in RasApi32.dll",
         "(error 127)"},
    };
    for (const Row& row : rows) {
        const std::string what = std::string(row.what) + ": ";
        RasApi32 ras(row.names);
        int messages = 0;
        const std::optional<BindingFailure> failure = bindingFailureOf([&] {
            connectiontest::firstConnectionIsConnected(ras,
                                                       [&messages](std::uint32_t) { ++messages; });
        });
        if (!checks.expect(failure.has_value(), what + "the connection test raises the failure")) {
            continue;
        }
        checks.expectEqual(failure->failed(), row.failed, what + "it says what was not bound");
        checks.expect(endsWith(failure->reason(), row.errorSuffix),
                      what + "it carries the system's reason " + row.errorSuffix,
                      failure->reason());
        checks.expect(failure->reason().size() > row.errorSuffix.size() + 1,
                      what + "the reason is the system's text", failure->reason());
        checks.expectEqual(messages, 0, what + "no ERROR message");
        if (row.failsOnStatus) {
            // The listing was bound on its own and worked before the status entry failed.
            Listing listing;
            checks.expectEqual(ras.RasEnumConnectionsA(listing.records.data(), &listing.byteCount,
                                                       &listing.connectionCount),
                               std::uint32_t{0}, what + "the listing was bound all the same");
        }
    }
    checks.expect(!rasApi32Loaded(), "no failed binding keeps the library loaded");
}

} // namespace

void checkRasApi32Binding(Checks& checks)
{
    checks.group("RasApi32.dll");
    checkThePlatformsLibrary(checks);
    checks.group("stand-in RasApi32");
    checkTheStandIn(checks);
    checks.group("binding failures");
    checkBindingFailures(checks);
}
