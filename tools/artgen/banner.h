// SPDX-License-Identifier: MIT
// The banner over the top of the login window: the background's top-left part with a glint of
// light on the title, so the window looks the same with or without it.
#pragma once

#include <QImage>

namespace artgen {

// Throws ArtgenError if the glint would change too few or too many pixels to stay a small
// highlight.
QImage makeBanner(const QImage& background);

} // namespace artgen
