// SPDX-License-Identifier: MIT
// Keeps what is typed into a password box off the accessibility bus.
#pragma once

// Qt (6.4 and later alike) reports every character typed into or deleted from a QLineEdit to
// assistive technologies in its text-inserted and text-removed events, whatever the box's echo
// mode, and any program on the session's accessibility bus may listen to them. While an object
// of this class lives, such events from a box that hides its text carry the box's password
// character instead, once for each character, so a screen reader still learns that something was
// typed and how much, but not what. Every other event passes unchanged.
//
// Qt has one hook for this, shared by the whole program, so one mask at a time takes it: a second
// one made while the first lives leaves it to the first.
class PasswordEventMask final
{
public:
    PasswordEventMask();
    ~PasswordEventMask();
    PasswordEventMask(const PasswordEventMask&) = delete;
    PasswordEventMask& operator=(const PasswordEventMask&) = delete;

private:
    bool installed_ = false;
};
