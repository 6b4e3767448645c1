// SPDX-License-Identifier: MIT
// The product title at the top of the background: ornamented red lettering with a shadow,
// an outline and a gradient fill.
#pragma once

#include <QFont>
#include <QPainter>
#include <QRect>
#include <QString>

namespace artgen {

void paintTitle(QPainter& painter, const QFont& font, const QString& title, const QRect& area);

} // namespace artgen
