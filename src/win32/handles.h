// SPDX-License-Identifier: MIT
// Owners of the system's handles: each releases its handle, with the function the system names
// for that kind, when it goes. Members declared in order of creation go in reverse order.
#pragma once

#include <memory>
#include <type_traits>
#include <windows.h>

namespace win32 {

template <typename Handle, BOOL(WINAPI* release)(Handle)> struct Releaser
{
    void operator()(Handle handle) const noexcept { release(handle); }
};

template <typename Handle, typename Released, BOOL(WINAPI* release)(Released)>
using Owned = std::unique_ptr<std::remove_pointer_t<Handle>, Releaser<Released, release>>;

using OwnedBitmap = Owned<HBITMAP, HGDIOBJ, DeleteObject>;
using OwnedFont = Owned<HFONT, HGDIOBJ, DeleteObject>;
using OwnedIcon = Owned<HICON, HICON, DestroyIcon>;
using OwnedCursor = Owned<HCURSOR, HCURSOR, DestroyCursor>;
using OwnedDc = Owned<HDC, HDC, DeleteDC>;
using OwnedWindow = Owned<HWND, HWND, DestroyWindow>;

} // namespace win32
