// SPDX-License-Identifier: MIT
#include "picturebox.h"

#include <QMouseEvent>
#include <QPainter>

PictureBox::PictureBox(const QPixmap& picture, QWidget* parent) : QWidget(parent), picture_(picture)
{
    setFocusPolicy(Qt::NoFocus);
    // The picture is opaque and fills the box, so nothing beneath needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(picture_.deviceIndependentSize().toSize());
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    // On a high-DPI screen each pixel of the picture becomes a whole block of screen pixels, so
    // the artwork's edges stay as sharp as drawn: no smoothing between them.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawPixmap(event->rect(), picture_,
                       QRectF(event->rect().topLeft() * picture_.devicePixelRatio(),
                              event->rect().size() * picture_.devicePixelRatio()));
}

void PictureBox::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click) {
        emit clicked();
    }
}
