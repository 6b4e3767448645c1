// SPDX-License-Identifier: MIT
#include "core/exitcode.h"
#include "failurereport.h"
#include "identity.h"
#include "platform/platformservices.h"
#include "program.h"
#include "startpreparation.h"
#include "toolkitstart.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    // Before anything else opens a file, and before a password can be typed.
    auto platform = platform::startPlatform();

    // Meanwhile the toolkit loads and connects to the display.
    auto prepared = prepareStart();

    std::optional<ToolkitStartGuard> toolkitStart(std::in_place);
    QApplication application(argc, argv);
    toolkitStart.reset();
    QApplication::setApplicationName(QString::fromUtf8(identity::applicationTitle));
    QApplication::setOrganizationName(QString::fromUtf8(identity::applicationTitle));
    QApplication::setApplicationVersion(QString::fromUtf8(identity::fileVersion));
    QApplication::setDesktopFileName(QString::fromUtf8(identity::desktopFileName));
    if (const auto* failure = std::get_if<core::Failure>(&platform)) {
        reportStartupFailure(*failure);
        endProcess(core::toInt(core::ExitCode::StartupFailure));
    }
    endProcess(
        runProgram(application, prepared.get(), std::get<platform::PlatformServices>(platform)));
}
