// SPDX-License-Identifier: MIT
#include "background.h"

#include "artgenerror.h"
#include "backgroundlayout.h"
#include "caption.h"
#include "flourish.h"
#include "title.h"

#include <QPainter>

namespace artgen {

namespace {

// How far around a caption's rectangle to look for stray paint. The captions are nine rows apart,
// so this never reaches the other one.
constexpr int strayPaintMargin = 4;

// The smallest rectangle holding every pixel inside `area` that is not black.
QRect paintedBounds(const QImage& image, const QRect& area)
{
    QRect bounds;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if ((image.pixel(x, y) & RGB_MASK) != 0)
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

void checkCaption(const QImage& image, const QRect& expected, const char* name)
{
    const QRect around =
        expected.adjusted(-strayPaintMargin, -strayPaintMargin, strayPaintMargin, strayPaintMargin);
    const QRect found = paintedBounds(image, around & image.rect());
    if (found != expected) {
        throw ArtgenError(std::string("the caption \"") + name +
                          "\" does not fill its rectangle exactly; the font's outlines may "
                          "have changed");
    }
}

} // namespace

QImage makeBackground(const QFont& titleFont, const QFont& captionFont)
{
    QImage image(layout::backgroundSize, QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        QPainter painter(&image);
        paintTitle(painter, titleFont, QStringLiteral("Corvane"), layout::titleLettering);
        paintFlourish(painter, layout::flourishBand);
        paintCaption(painter, captionFont, QStringLiteral("Username"), layout::usernameCaption);
        paintCaption(painter, captionFont, QStringLiteral("Password"), layout::passwordCaption);
    }
    checkCaption(image, layout::usernameCaption, "Username");
    checkCaption(image, layout::passwordCaption, "Password");
    return image;
}

} // namespace artgen
