// SPDX-License-Identifier: MIT
// Where the user's configuration files live, by the freedesktop.org base-directory rules.
#pragma once

#include "core/failure.h"

#include <string>
#include <variant>

namespace platform {

// $XDG_CONFIG_HOME when it is an absolute path; else $HOME/.config, where HOME is the
// environment's when it is an absolute path and otherwise the password database's home for the
// process's user. The path is the bytes the environment or the database gave, whatever their
// encoding.
std::variant<std::string, core::Failure> configHome();

} // namespace platform
