// SPDX-License-Identifier: MIT
#include "fontloader.h"

#include "artgenerror.h"

#include <QFileInfo>
#include <QFontDatabase>

namespace artgen {

QFont loadFont(const FontFile& file)
{
    const QString path = QString::fromLatin1(file.path);
    const QString package = QString::fromLatin1(file.debianPackage);
    if (!QFileInfo(path).isFile()) {
        throw ArtgenError(QStringLiteral("font file %1 not found: install the Debian package %2")
                              .arg(path, package)
                              .toStdString());
    }
    const int id = QFontDatabase::addApplicationFont(path);
    const QStringList families =
        id < 0 ? QStringList{} : QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty()) {
        throw ArtgenError(
            QStringLiteral("font file %1 could not be loaded: reinstall the Debian package %2")
                .arg(path, package)
                .toStdString());
    }
    QFont font(families.constFirst());
    font.setWeight(file.weight);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::NoFontMerging);
    return font;
}

} // namespace artgen
