// SPDX-License-Identifier: MIT
// The login window's message boxes, and the standard report of a start that failed. Each box
// is modal, titled with the application's title, and waits until the user dismisses it; what
// caused it is also written as one line to the standard error handle, where the starter gave one.
#pragma once

#include "core/messages.h"

#include <windows.h>

namespace win32 {

class MessageBoxes final : public core::Messages
{
public:
    // The window that owns the failure boxes, once it exists.
    void setOwner(HWND owner) { owner_ = owner; }

    void plain(const std::string& text, const core::Failure& cause) override;
    void failure(const std::string& text, const core::Failure& cause) override;

private:
    HWND owner_ = nullptr;
};

// Reports a failure that stops the start: "Corvane failed to start and will close." and what
// failed, in a box that belongs to no window. Returns the exit status that goes with it.
int reportStartupFailure(const core::Failure& failure);

} // namespace win32
