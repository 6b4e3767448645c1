// SPDX-License-Identifier: MIT
// The window's load sequence as start-up runs it.
#pragma once

#include "failure.h"

#include <optional>

class FrmLogin;

// Runs the window's Form_Load. When the dial-up functions cannot be bound, the load sequence stops
// there and the failure is returned for the start-up report; any other exception passes through.
std::optional<Failure> loadWindow(FrmLogin& window);
