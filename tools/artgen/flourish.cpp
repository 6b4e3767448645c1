// SPDX-License-Identifier: MIT
#include "flourish.h"

#include <array>
#include <QLinearGradient>
#include <QPainterPath>

namespace artgen {

namespace {
// Sizes in pixels, chosen by eye for a band about 380 x 24.
constexpr qreal centreDiamondHalfWidth = 13.0;
constexpr qreal centreDiamondHalfHeight = 9.0;
constexpr qreal centreHollowFraction = 0.42; // the dark lozenge inside the centre diamond
constexpr qreal ruleHalfThicknessAtCentre = 1.9;
constexpr qreal curlRadius = 6.0;
constexpr qreal curlPenWidth = 1.8;
constexpr std::array<qreal, 2> smallDiamondOffsets{62.0, 118.0}; // from the centre, each side
constexpr qreal smallDiamondHalfWidth = 5.0;
constexpr qreal smallDiamondHalfHeight = 4.5;
// Bright at the centre, fading to deep red at the ends like the title's fill.
constexpr QColor centreColour{255, 80, 56};
constexpr QColor endColour{150, 0, 0};
constexpr QColor rimColour{80, 0, 6};
constexpr qreal rimWidth = 2.0;
constexpr QColor hollowColour{24, 0, 0};

QPainterPath diamond(QPointF centre, qreal halfWidth, qreal halfHeight)
{
    QPainterPath path;
    path.moveTo(centre.x() - halfWidth, centre.y());
    path.lineTo(centre.x(), centre.y() - halfHeight);
    path.lineTo(centre.x() + halfWidth, centre.y());
    path.lineTo(centre.x(), centre.y() + halfHeight);
    path.closeSubpath();
    return path;
}

// A blade that is thickest at `from` and comes to a point at `to`, both on one row.
QPainterPath taper(QPointF from, QPointF to, qreal halfThickness)
{
    const qreal midX = (from.x() + to.x()) / 2;
    QPainterPath path;
    path.moveTo(from.x(), from.y() - halfThickness);
    path.quadTo(midX, from.y() - halfThickness * 0.7, to.x(), to.y());
    path.quadTo(midX, from.y() + halfThickness * 0.7, from.x(), from.y() + halfThickness);
    path.closeSubpath();
    return path;
}

// A spiral that runs out along the rule from its end, rises, and winds back in on itself;
// `direction` is +1 for the right-hand end and -1 for the mirrored left-hand one.
QPainterPath curl(QPointF end, qreal r, qreal direction)
{
    const qreal d = direction;
    const qreal x = end.x();
    const qreal y = end.y();
    QPainterPath path;
    path.moveTo(x - d * 3 * r, y);
    path.cubicTo(x - d * 1.2 * r, y + 0.1 * r, x + d * 1.1 * r, y + 0.2 * r, x + d * 1.1 * r,
                 y - r);
    path.cubicTo(x + d * 1.1 * r, y - 2.1 * r, x - d * 0.8 * r, y - 2.1 * r, x - d * 0.8 * r,
                 y - 1.1 * r);
    path.cubicTo(x - d * 0.8 * r, y - 0.5 * r, x + d * 0.2 * r, y - 0.5 * r, x + d * 0.2 * r,
                 y - 1.05 * r);
    return path;
}
} // namespace

void paintFlourish(QPainter& painter, const QRect& area)
{
    const QRectF band(area);
    const QPointF centre(band.center().x(), band.center().y() + 2.0);
    // The curls stand above the rule, so the rule sits low in the band.
    const QPointF leftEnd(band.left() + 2 * curlRadius, centre.y());
    const QPointF rightEnd(band.right() - 2 * curlRadius, centre.y());

    // One outline for the rule and its diamonds, so the rim runs round the whole shape; the union
    // does not care which way round each piece was drawn.
    QPainterPath solid =
        taper(centre, leftEnd, ruleHalfThicknessAtCentre)
            .united(taper(centre, rightEnd, ruleHalfThicknessAtCentre))
            .united(diamond(centre, centreDiamondHalfWidth, centreDiamondHalfHeight));
    for (const qreal offset : smallDiamondOffsets) {
        for (const qreal side : {-1.0, 1.0}) {
            solid = solid.united(diamond(QPointF(centre.x() + side * offset, centre.y()),
                                         smallDiamondHalfWidth, smallDiamondHalfHeight));
        }
    }
    QPainterPath curls = curl(leftEnd, curlRadius, -1.0);
    curls.addPath(curl(rightEnd, curlRadius, 1.0));

    QLinearGradient gradient(band.topLeft(), band.topRight());
    gradient.setColorAt(0.0, endColour);
    gradient.setColorAt(0.5, centreColour);
    gradient.setColorAt(1.0, endColour);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(area);
    const QPen rim(rimColour, rimWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.strokePath(solid, rim);
    painter.strokePath(curls,
                       QPen(rimColour, curlPenWidth + rimWidth, Qt::SolidLine, Qt::RoundCap));
    painter.fillPath(solid, gradient);
    painter.strokePath(curls, QPen(QBrush(gradient), curlPenWidth, Qt::SolidLine, Qt::RoundCap));
    painter.fillPath(diamond(centre, centreDiamondHalfWidth * centreHollowFraction,
                             centreDiamondHalfHeight * centreHollowFraction),
                     hollowColour);
    painter.restore();
}

} // namespace artgen
