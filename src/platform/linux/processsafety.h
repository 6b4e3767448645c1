// SPDX-License-Identifier: MIT
// Keeps the process's memory, and with it whatever is typed into the password box, out of core
// dumps, as careful password prompts do.
#pragma once

#include "failure.h"

#include <optional>

// Sets the largest core dump the process may leave to nothing, for good: neither this process nor
// any it starts can raise the limit again. Run it first thing at start.
std::optional<Failure> forbidCoreDumps();
