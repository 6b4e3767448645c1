// SPDX-License-Identifier: MIT
// The program's own artwork for tests that build the window, decoded and made as the program
// does at start, only all on the test's thread.
#pragma once

#include "ui/artwork.h"

#include <variant>

inline std::variant<Artwork, Failure> loadArtwork()
{
    auto decoded = decodeArtwork();
    if (auto* failure = std::get_if<Failure>(&decoded)) {
        return *failure;
    }
    return toArtwork(std::get<ArtworkImages>(std::move(decoded)));
}
