// SPDX-License-Identifier: MIT
#include "program.h"

#include "exitcode.h"
#include "failurereport.h"
#include "identity.h"
#include "loadwindow.h"
#include "platform/platformservices.h"
#include "settings/qsettingsstore.h"
#include "ui/artwork.h"
#include "ui/frmlogin.h"
#include "ui/messageboxes.h"

#include <QApplication>

int runProgram(QApplication& application, std::variant<ArtworkImages, Failure> artworkImages)
{
    if (const auto* failure = std::get_if<Failure>(&artworkImages)) {
        reportStartupFailure(*failure);
        return toInt(ExitCode::StartupFailure);
    }
    const Artwork artwork = toArtwork(std::get<ArtworkImages>(std::move(artworkImages)));
    // Message boxes carry the program's icon too.
    QApplication::setWindowIcon(artwork.icon);

    const PlatformServices platform = makePlatformServices();
    QSettingsStore store(QString::fromUtf8(identity::applicationTitle));
    MessageBoxes messages;

    FrmLogin window(artwork, {store, *platform.ras, *platform.launcher, messages});
    if (const auto failure = loadWindow(window)) {
        reportStartupFailure(*failure);
        return toInt(ExitCode::StartupFailure);
    }
    window.show();
    return application.exec();
}
