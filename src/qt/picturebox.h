// SPDX-License-Identifier: MIT
#pragma once

#include <QPixmap>
#include <QWidget>

// A picture shown at its natural size, never stretched, that never takes the focus. A press and
// release of the left button inside it is a click.
class PictureBox final : public QWidget
{
    Q_OBJECT

public:
    PictureBox(const QPixmap& picture, QWidget* parent);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPixmap picture_;
    bool pressed_ = false;
};
