// SPDX-License-Identifier: MIT
// qt-floor: a minimal Qt Widgets window of the login window's shape, with none of its work: a
// fixed 460 x 292 widget holding a 460 x 309 picture, two line edits (one masking a password)
// and two push buttons. What Corvane costs beyond this is its own.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QWidget window;
    window.setFixedSize(460, 292);
    window.setWindowTitle(QStringLiteral("qt-floor"));

    QPixmap picture(460, 309);
    picture.fill(Qt::black);
    auto* background = new QLabel(&window);
    background->setPixmap(picture);
    background->setGeometry(0, 0, 460, 309);

    auto* login = new QPushButton(QStringLiteral("Login"), &window);
    login->setGeometry(8, 216, 449, 33);
    auto* exit = new QPushButton(QStringLiteral("Exit"), &window);
    exit->setGeometry(8, 256, 449, 33);
    auto* user = new QLineEdit(&window);
    user->setGeometry(240, 136, 217, 25);
    auto* password = new QLineEdit(&window);
    password->setGeometry(240, 176, 217, 25);
    password->setEchoMode(QLineEdit::Password);

    window.show();
    return application.exec();
}
