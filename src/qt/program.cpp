// SPDX-License-Identifier: MIT
#include "program.h"

#include "core/exitcode.h"
#include "core/loginprocedures.h"
#include "failurereport.h"
#include "frmlogin.h"
#include "messageboxes.h"

#include <QApplication>

int runProgram(QApplication& application, std::variant<ArtworkImages, core::Failure> artworkImages,
               platform::PlatformServices& platform)
{
    if (const auto* failure = std::get_if<core::Failure>(&artworkImages)) {
        reportStartupFailure(*failure);
        return core::toInt(core::ExitCode::StartupFailure);
    }
    const Artwork artwork = toArtwork(std::get<ArtworkImages>(std::move(artworkImages)));
    // Message boxes carry the program's icon too.
    QApplication::setWindowIcon(artwork.icon);

    MessageBoxes messages;
    FrmLogin window(artwork, {*platform.store, *platform.ras, *platform.launcher, messages});
    messages.setOwner(&window);
    if (const auto failure = core::loadWindow(window.procedures())) {
        reportStartupFailure(*failure);
        return core::toInt(core::ExitCode::StartupFailure);
    }
    window.show();
    return application.exec();
}
