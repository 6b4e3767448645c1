// SPDX-License-Identifier: MIT
// A platform function that could not be bound: its library could not be loaded, or the library
// has no entry of that name. Raised by the call that needed the function; nothing in the
// connection test or the window traps it, and start-up reports it as the program's failure.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace connectiontest {

class BindingFailure : public std::runtime_error
{
public:
    // `failed` says what could not be bound, `reason` is the system's own account of why.
    BindingFailure(std::string failed, std::string reason)
        : std::runtime_error(failed + ": " + reason), failed_(std::move(failed)),
          reason_(std::move(reason))
    {}

    const std::string& failed() const noexcept { return failed_; }
    const std::string& reason() const noexcept { return reason_; }

private:
    std::string failed_;
    std::string reason_;
};

} // namespace connectiontest
