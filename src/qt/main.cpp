// SPDX-License-Identifier: MIT
#include "app/corelimit.h"
#include "app/exitcode.h"
#include "app/failurereport.h"
#include "app/program.h"
#include "app/startpreparation.h"
#include "identity.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    // Before anything else, so that no core dump can ever carry a password typed later.
    const auto coreDumpsAllowed = forbidCoreDumps();

    // Meanwhile the toolkit loads and connects to the display.
    auto prepared = prepareStart();

    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(identity::applicationTitle));
    QApplication::setOrganizationName(QString::fromUtf8(identity::applicationTitle));
    QApplication::setApplicationVersion(QString::fromUtf8(identity::fileVersion));
    QApplication::setDesktopFileName(QString::fromUtf8(identity::desktopFileName));
    if (coreDumpsAllowed) {
        reportStartupFailure(*coreDumpsAllowed);
        return toInt(ExitCode::StartupFailure);
    }
    return runProgram(application, prepared.get());
}
