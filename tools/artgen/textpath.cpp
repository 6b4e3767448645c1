// SPDX-License-Identifier: MIT
#include "textpath.h"

#include <algorithm>
#include <QTransform>

namespace artgen {

namespace {
// Outlines are taken at a size well above any use, then scaled down, so no rounding in the font
// engine shows.
constexpr int designPixelSize = 400;
} // namespace

QPainterPath textOutline(QFont font, const QString& text)
{
    font.setPixelSize(designPixelSize);
    QPainterPath path;
    path.addText(0, 0, font, text);
    return path;
}

QPainterPath fitToRect(const QPainterPath& path, const QRectF& target)
{
    const QRectF source = path.boundingRect();
    QTransform transform;
    transform.translate(target.left(), target.top());
    transform.scale(target.width() / source.width(), target.height() / source.height());
    transform.translate(-source.left(), -source.top());
    return transform.map(path);
}

QPainterPath fitCentred(const QPainterPath& path, const QRectF& target)
{
    const QRectF source = path.boundingRect();
    const qreal scale =
        std::min(target.width() / source.width(), target.height() / source.height());
    const QSizeF size = source.size() * scale;
    const QRectF placed(target.center().x() - size.width() / 2,
                        target.center().y() - size.height() / 2, size.width(), size.height());
    return fitToRect(path, placed);
}

} // namespace artgen
