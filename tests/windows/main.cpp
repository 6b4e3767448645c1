// SPDX-License-Identifier: MIT
// The Windows console test: runs every group of checks and exits non-zero when any check failed.
#include "checks.h"
#include "groups.h"

#include <exception>
#include <utility>

int main()
{
    const std::pair<const char*, void (*)(Checks&)> groups[] = {
        {"connection test cases", checkConnectionCases},
        {"RasApi32.dll", checkRasApi32Binding},
        {"version record", checkVersionRecord},
        {"launcher", checkStartDetached},
    };
    Checks checks;
    for (const auto& [name, run] : groups) {
        try {
            run(checks);
        } catch (const std::exception& error) {
            checks.group(name);
            checks.expect(false, "the group runs to its end", error.what());
        }
    }
    return checks.finish();
}
