// SPDX-License-Identifier: MIT
// The modal message boxes of the login window, all titled with the application's title. Each
// waits until the user dismisses it.
#pragma once

#include "failure.h"

#include <string>

namespace core {

class Messages
{
public:
    virtual ~Messages() = default;

    // A box that belongs to no window, with the text, an OK button and no icon. `cause` is what
    // made it necessary, for the platform's log; the box itself shows only the text.
    virtual void plain(const std::string& text, const Failure& cause) = 0;

    // A box over the login window that says what failed, with the platform's warning icon.
    virtual void failure(const std::string& text, const Failure& cause) = 0;

protected:
    Messages() = default;
    Messages(const Messages&) = default;
    Messages& operator=(const Messages&) = default;
};

} // namespace core
