// SPDX-License-Identifier: MIT
// What went wrong, in the one shape the program reports everywhere: what failed, then the
// system's reason.
#pragma once

#include <QString>

struct Failure
{
    QString what;
    QString why;

    QString text() const { return what + QStringLiteral(": ") + why; }
};
