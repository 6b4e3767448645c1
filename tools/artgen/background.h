// SPDX-License-Identifier: MIT
// The login window's background: the title on black, and the two captions.
#pragma once

#include <QFont>
#include <QImage>

namespace artgen {

// Paints the background with the title and the captions in the given fonts. Throws ArtgenError
// if the captions' painted pixels do not land on their rows and columns exactly.
QImage makeBackground(const QFont& titleFont, const QFont& captionFont);

} // namespace artgen
