// SPDX-License-Identifier: MIT
#include "processsafety.h"

#include "systemerror.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/prctl.h>
#include <unistd.h>

namespace platform {

namespace {

// Standard input, output and error.
constexpr int standardDescriptors = 3;

std::optional<core::Failure> openClosedStandardDescriptors()
{
    for (int descriptor = 0; descriptor < standardDescriptors; ++descriptor) {
        if (::fcntl(descriptor, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        // The lowest free descriptor is the closed one.
        const int opened = ::open("/dev/null", O_RDWR);
        if (opened != descriptor) {
            return core::Failure{"Could not open /dev/null as descriptor " +
                                     std::to_string(descriptor),
                                 opened < 0 ? systemReason(errno) : "another descriptor came"};
        }
    }
    return std::nullopt;
}

} // namespace

std::variant<rlimit, core::Failure> safeguardProcess()
{
    // A write to a pipe whose reader is gone (`corvane 2>&1 | true`) fails with EPIPE instead of
    // ending the program.
    if (std::signal(SIGPIPE, SIG_IGN) == SIG_ERR) {
        return core::Failure{"Could not ignore SIGPIPE", systemReason(errno)};
    }
    if (auto failure = openClosedStandardDescriptors()) {
        return *failure;
    }
    if (::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) != 0) {
        return core::Failure{"Could not make the process non-dumpable", systemReason(errno)};
    }
    rlimit startedWith{};
    if (::getrlimit(RLIMIT_CORE, &startedWith) != 0) {
        return core::Failure{"Could not read the core-dump limit", systemReason(errno)};
    }
    const rlimit lowered{0, startedWith.rlim_max};
    if (::setrlimit(RLIMIT_CORE, &lowered) != 0) {
        return core::Failure{"Could not forbid core dumps", systemReason(errno)};
    }
    return startedWith;
}

} // namespace platform
