// SPDX-License-Identifier: MIT
#include "xdgopenlauncher.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

namespace {

const QString opener = QStringLiteral("xdg-open");

// The startup-notification and activation tokens that would let the started program take the
// focus. Without them the desktop's focus-stealing prevention keeps the focus on the login window
// while the browser opens behind or beside it.
const QStringList focusTokens = {QStringLiteral("DESKTOP_STARTUP_ID"),
                                 QStringLiteral("XDG_ACTIVATION_TOKEN")};

} // namespace

std::optional<Failure> XdgOpenLauncher::openSite(const QString& url)
{
    const QString what = QStringLiteral("Could not open %1").arg(url);
    const QString program = QStandardPaths::findExecutable(opener);
    if (program.isEmpty()) {
        return Failure{what, QStringLiteral("%1 was not found on PATH").arg(opener)};
    }

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& name : focusTokens) {
        environment.remove(name);
    }

    // startDetached() forks twice, so the opener is never our child and leaves no zombie; it
    // still reports a program that could not be executed.
    QProcess process;
    process.setProgram(program);
    process.setArguments({url});
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    if (!process.startDetached()) {
        return Failure{what, process.errorString()};
    }
    return std::nullopt;
}
