// SPDX-License-Identifier: MIT
// The pictures, the hand cursor and the icon that the program carries inside it.
#pragma once

#include "core/failure.h"
#include "dib.h"

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

// The same pieces decoded into images. Making them needs no display, so it can run on any thread,
// before the application object exists.
struct ArtworkImages
{
    QImage background;
    QImage banner;
    dib::IconImage hand;
    QList<dib::IconImage> icon;
};

// Decodes every piece, or says which one could not be decoded and why.
std::variant<ArtworkImages, core::Failure> decodeArtwork();

// The decoded images as the window uses them; on the GUI thread, once the application exists.
Artwork toArtwork(ArtworkImages images);
