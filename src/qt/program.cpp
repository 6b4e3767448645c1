// SPDX-License-Identifier: MIT
#include "program.h"

#include "core/exitcode.h"
#include "core/loginprocedures.h"
#include "failurereport.h"
#include "frmlogin.h"
#include "messageboxes.h"

#include <cstdio>
#include <cstdlib>
#include <QApplication>

// A build with LeakSanitizer looks for leaks when the process ends normally, which it no longer
// does: ask for that look before the end.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CORVANE_LEAK_CHECK_AT_END
#endif
#elif defined(__SANITIZE_ADDRESS__)
#define CORVANE_LEAK_CHECK_AT_END
#endif
#if defined(CORVANE_LEAK_CHECK_AT_END)
#include <sanitizer/lsan_interface.h>
#endif

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

void endProcess(int status)
{
    std::fflush(nullptr);
#if defined(CORVANE_LEAK_CHECK_AT_END)
    __lsan_do_leak_check();
#endif
    std::_Exit(status);
}
