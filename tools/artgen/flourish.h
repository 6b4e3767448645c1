// SPDX-License-Identifier: MIT
// The scroll rule under the title: a tapered line with a diamond at its centre, small diamonds
// along it and a curl at each end.
#pragma once

#include <QPainter>
#include <QRect>

namespace artgen {

void paintFlourish(QPainter& painter, const QRect& area);

} // namespace artgen
