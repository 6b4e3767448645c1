// SPDX-License-Identifier: MIT
// Small pictures written in the source as rows of characters, one character a pixel: crisp at
// their size and the same on every machine.
#pragma once

#include "indexedimage.h"
#include "palette.h"

#include <span>
#include <string_view>
#include <utility>

namespace artgen {

// Which palette colour each character stands for; '.' is always transparent.
using PixelLegend = std::span<const std::pair<char, Vga>>;

// A 16-colour image from equally long rows. Throws ArtgenError on ragged rows or an unknown
// character.
IndexedImage fromPixelArt(std::span<const std::string_view> rows, PixelLegend legend);

} // namespace artgen
