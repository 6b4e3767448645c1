// SPDX-License-Identifier: MIT
// Writes one generated file into the output folder.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>

namespace artgen {

// Replaces the file atomically, so a failed run never leaves half an asset behind. Throws
// ArtgenError on failure.
void writeOutputFile(const QDir& folder, const QString& name, const QByteArray& bytes);

} // namespace artgen
