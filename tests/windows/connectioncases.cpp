// SPDX-License-Identifier: MIT
// The connection test's cases that the Qt tests run on Linux, run here by the Windows build.
#include "../connection/isconnectedcases.h"
#include "checks.h"
#include "groups.h"

void checkConnectionCases(Checks& checks)
{
    checks.group("connection test");
    for (const isconnectedcases::Case& row : isconnectedcases::cases()) {
        std::string seen;
        for (const std::string& line : isconnectedcases::run(row)) {
            seen += (seen.empty() ? "" : "; ") + line;
        }
        checks.expect(seen.empty(), row.name, seen);
    }
}
