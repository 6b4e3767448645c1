// SPDX-License-Identifier: MIT
// Makes the process fit to hold a typed password, first thing at start, as careful password
// prompts do.
#pragma once

#include "core/failure.h"

#include <sys/resource.h>
#include <variant>

namespace platform {

// Ignores SIGPIPE, so that a report written to a standard error whose reader is gone cannot end
// the program. Opens /dev/null on whichever of the descriptors 0, 1 and 2 is closed, so that no
// file the program opens later (the display's connection, say) takes their place and receives what
// is meant for standard error. Then makes the process non-dumpable, so that no other process of the
// user may attach to it or read its memory, and sets the soft core-dump limit to 0; the hard
// limit is left as it was. Returns the core-dump limits the process was started with, for the
// programs it starts, or what failed.
std::variant<rlimit, core::Failure> safeguardProcess();

} // namespace platform
