// SPDX-License-Identifier: MIT
#include "artwork.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QtEndian>

namespace {

const QString backgroundFile = QStringLiteral(":/assets/background.bmp");
const QString bannerFile = QStringLiteral(":/assets/banner.bmp");
const QString handFile = QStringLiteral(":/assets/hand.cur");
const QString iconFile = QStringLiteral(":/assets/corvane.ico");

// A cursor file starts with a 6-byte directory header and a 16-byte entry per image, whose
// fields at offsets 4 and 6 (the planes and bit count of an icon) hold the hot spot's x and y.
constexpr qsizetype cursorDirectorySize = 6;
constexpr qsizetype cursorEntrySize = 16;
constexpr qsizetype hotSpotXOffset = cursorDirectorySize + 4;
constexpr qsizetype hotSpotYOffset = cursorDirectorySize + 6;
constexpr quint16 cursorResourceType = 2;

Failure cannotLoad(const QString& file, const QString& why)
{
    return Failure{QStringLiteral("Could not load %1").arg(file), why};
}

std::variant<QPixmap, Failure> loadPicture(const QString& file)
{
    QImageReader reader(file);
    const QImage image = reader.read();
    if (image.isNull()) {
        return cannotLoad(file, reader.errorString());
    }
    return QPixmap::fromImage(image);
}

std::variant<QCursor, Failure> loadCursor(const QString& file)
{
    QFile source(file);
    if (!source.open(QIODevice::ReadOnly)) {
        return cannotLoad(file, source.errorString());
    }
    const QByteArray bytes = source.readAll();
    if (bytes.size() < cursorDirectorySize + cursorEntrySize ||
        qFromLittleEndian<quint16>(bytes.constData() + 2) != cursorResourceType) {
        return cannotLoad(file, QStringLiteral("not a cursor file"));
    }
    const int hotX = qFromLittleEndian<quint16>(bytes.constData() + hotSpotXOffset);
    const int hotY = qFromLittleEndian<quint16>(bytes.constData() + hotSpotYOffset);

    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer, "cur");
    const QImage image = reader.read();
    if (image.isNull()) {
        return cannotLoad(file, reader.errorString());
    }
    if (hotX >= image.width() || hotY >= image.height()) {
        return cannotLoad(file, QStringLiteral("the hot spot lies outside the cursor"));
    }
    return QCursor(QPixmap::fromImage(image), hotX, hotY);
}

std::variant<QIcon, Failure> loadIcon(const QString& file)
{
    QImageReader reader(file);
    QIcon icon;
    for (int i = 0; i < reader.imageCount(); ++i) {
        if (!reader.jumpToImage(i)) {
            return cannotLoad(file, reader.errorString());
        }
        const QImage image = reader.read();
        if (image.isNull()) {
            return cannotLoad(file, reader.errorString());
        }
        icon.addPixmap(QPixmap::fromImage(image));
    }
    if (icon.isNull()) {
        return cannotLoad(file, reader.errorString());
    }
    return icon;
}

} // namespace

std::variant<Artwork, Failure> loadArtwork()
{
    auto background = loadPicture(backgroundFile);
    if (auto* failure = std::get_if<Failure>(&background)) {
        return *failure;
    }
    auto banner = loadPicture(bannerFile);
    if (auto* failure = std::get_if<Failure>(&banner)) {
        return *failure;
    }
    auto hand = loadCursor(handFile);
    if (auto* failure = std::get_if<Failure>(&hand)) {
        return *failure;
    }
    auto icon = loadIcon(iconFile);
    if (auto* failure = std::get_if<Failure>(&icon)) {
        return *failure;
    }
    return Artwork{std::get<QPixmap>(std::move(background)), std::get<QPixmap>(std::move(banner)),
                   std::get<QCursor>(std::move(hand)), std::get<QIcon>(std::move(icon))};
}
