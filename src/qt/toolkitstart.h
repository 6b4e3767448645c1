// SPDX-License-Identifier: MIT
// The toolkit's start as the program reports it.
#pragma once

// While an object of this class lives, Qt's messages are held back. Should Qt give up meanwhile,
// which it does when it cannot reach the display, the program ends with status 1 and one line in
// its own shape instead of Qt's abort and advice, "corvane: Could not connect to the display :1:
// Connection refused". When the object goes, the held messages are passed on as Qt would have
// printed them. Make one around the application object's construction.
class ToolkitStartGuard final
{
public:
    ToolkitStartGuard();
    ~ToolkitStartGuard();
    ToolkitStartGuard(const ToolkitStartGuard&) = delete;
    ToolkitStartGuard& operator=(const ToolkitStartGuard&) = delete;
};
