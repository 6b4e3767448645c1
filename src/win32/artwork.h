// SPDX-License-Identifier: MIT
// The window's pictures, cursor and icons, loaded from the program's own resources.
#pragma once

#include "core/failure.h"
#include "handles.h"

#include <variant>

namespace win32 {

struct Artwork
{
    OwnedBitmap background;
    OwnedBitmap banner;
    OwnedCursor hand;
    // The icon at the two sizes the system shows: title bar and Alt+Tab, and the small one.
    OwnedIcon bigIcon;
    OwnedIcon smallIcon;
};

// All of it or, for the start-up report, the first piece that could not be loaded.
std::variant<Artwork, core::Failure> loadArtwork(HINSTANCE instance);

} // namespace win32
