// SPDX-License-Identifier: MIT
#include "explorerlauncher.h"

#include "startdetached.h"

std::optional<Failure> ExplorerLauncher::openSite(const QString& url)
{
    const std::optional<std::string> reason = launch::startDetached(
        launch::explorerCommandLine(url.toStdWString()), launch::showWithoutActivating);
    if (reason) {
        // The system's text comes in the ANSI code page, which is Qt's local 8-bit encoding on
        // Windows.
        return Failure{
            QStringLiteral("Could not open %1").arg(url),
            QString::fromLocal8Bit(reason->data(), static_cast<qsizetype>(reason->size()))};
    }
    return std::nullopt;
}
