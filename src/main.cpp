// SPDX-License-Identifier: MIT
#include "app/program.h"
#include "identity.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(identity::applicationTitle));
    QApplication::setOrganizationName(QString::fromUtf8(identity::applicationTitle));
    QApplication::setApplicationVersion(QString::fromUtf8(identity::fileVersion));
    QApplication::setDesktopFileName(QString::fromUtf8(identity::desktopFileName));
    return runProgram(application);
}
