// SPDX-License-Identifier: MIT
#include "outputfile.h"

#include "artgenerror.h"

#include <QSaveFile>

namespace artgen {

void writeOutputFile(const QDir& folder, const QString& name, const QByteArray& bytes)
{
    const QString path = folder.filePath(name);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        throw ArtgenError(QStringLiteral("cannot write %1: %2")
                              .arg(QDir::toNativeSeparators(path), file.errorString())
                              .toStdString());
    }
}

} // namespace artgen
