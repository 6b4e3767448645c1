// SPDX-License-Identifier: MIT
// What a screen reader reads of a window's client area, through Microsoft Active Accessibility
// and the UI Automation readers that read it: the standard object that Windows makes for the
// client area, and one more child, a link that the window only paints. The window answers
// WM_GETOBJECT for OBJID_CLIENT with it.
#pragma once

#include "core/failure.h"
#include "screenreaderruntime.h"

#include <oleacc.h>
#include <string>
#include <variant>
#include <windows.h>
#include <wrl/client.h>

namespace win32 {

// A painted part of the client area that acts as a link.
struct PaintedLink
{
    std::wstring name;
    std::wstring description;
    // Its value: where it leads.
    std::wstring url;
    // Sent to the window to learn where the link is now (the window's DPI can change): the
    // window fills the RECT that lParam points at, in client coordinates.
    UINT placeMessage;
    // Posted to the window when a screen reader runs the link's default action; the window does
    // then what a click does, after the reader's call has returned.
    UINT activateMessage;
};

// The client area's object of `window`, with the link as the child after the child windows; or
// what failed. The object keeps no pointer into the window's own object: once the window is
// gone, its answers are errors. The functions' libraries must outlive the object.
std::variant<Microsoft::WRL::ComPtr<IAccessible>, core::Failure>
makeWindowAccessible(HWND window, PaintedLink link, const AccessibilityFunctions& functions);

} // namespace win32
