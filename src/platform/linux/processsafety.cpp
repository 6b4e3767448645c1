// SPDX-License-Identifier: MIT
#include "corelimit.h"

#include <cerrno>
#include <cstring>
#include <sys/resource.h>

std::optional<Failure> forbidCoreDumps()
{
    // The hard limit as well as the soft one, so that nothing later in the process can lift it.
    constexpr rlimit none{0, 0};
    if (::setrlimit(RLIMIT_CORE, &none) != 0) {
        return Failure{QStringLiteral("Could not forbid core dumps"),
                       QString::fromLocal8Bit(std::strerror(errno))};
    }
    return std::nullopt;
}
