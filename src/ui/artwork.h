// SPDX-License-Identifier: MIT
// The pictures, the hand cursor and the icon that the program carries inside it.
#pragma once

#include "app/failure.h"

#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <variant>

struct Artwork
{
    QPixmap background;
    QPixmap banner;
    QCursor hand;
    QIcon icon;
};

// Loads every piece, or says which one could not be loaded and why.
std::variant<Artwork, Failure> loadArtwork();
