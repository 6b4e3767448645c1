// SPDX-License-Identifier: MIT
#include "startpreparation.h"

#include "platform/linux/fontconfiguration.h"

std::future<std::variant<ArtworkImages, core::Failure>> prepareStart()
{
    // On a thread when one can be had; otherwise the work is done when its result is asked for.
    return std::async(std::launch::async | std::launch::deferred, [] {
        auto images = decodeArtwork();
        // Reading the font configuration is the largest single step before the first frame.
        platform::loadFontConfiguration();
        return images;
    });
}
