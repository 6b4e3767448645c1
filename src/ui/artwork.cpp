// SPDX-License-Identifier: MIT
#include "artwork.h"

#include "dib.h"

#include <QResource>

namespace {

const QString backgroundFile = QStringLiteral(":/assets/background.bmp");
const QString bannerFile = QStringLiteral(":/assets/banner.bmp");
const QString handFile = QStringLiteral(":/assets/hand.cur");
const QString iconFile = QStringLiteral(":/assets/corvane.ico");

Failure cannotLoad(const QString& file, const QString& why)
{
    return Failure{QStringLiteral("Could not load %1").arg(file), why};
}

// The artwork is stored uncompressed in the program, so this is a view of the program's own
// pages, not a copy.
std::variant<QByteArray, Failure> resourceData(const QString& file)
{
    const QResource resource(file);
    const QByteArray data = resource.uncompressedData();
    if (!resource.isValid() || data.isEmpty()) {
        return cannotLoad(file, QStringLiteral("the program does not carry it"));
    }
    return data;
}

std::variant<QPixmap, Failure> loadPicture(const QString& file)
{
    auto data = resourceData(file);
    if (auto* failure = std::get_if<Failure>(&data)) {
        return *failure;
    }
    auto decoded = dib::decodeBmp(std::get<QByteArray>(data));
    if (const auto* error = std::get_if<QString>(&decoded)) {
        return cannotLoad(file, *error);
    }
    return QPixmap::fromImage(std::get<QImage>(std::move(decoded)));
}

std::variant<QList<dib::IconImage>, Failure> loadIconImages(const QString& file, dib::IconKind kind)
{
    auto data = resourceData(file);
    if (auto* failure = std::get_if<Failure>(&data)) {
        return *failure;
    }
    auto decoded = dib::decodeIconFile(std::get<QByteArray>(data), kind);
    if (const auto* error = std::get_if<QString>(&decoded)) {
        return cannotLoad(file, *error);
    }
    return std::get<QList<dib::IconImage>>(std::move(decoded));
}

std::variant<QCursor, Failure> loadCursor(const QString& file)
{
    auto images = loadIconImages(file, dib::IconKind::Cursor);
    if (auto* failure = std::get_if<Failure>(&images)) {
        return *failure;
    }
    dib::IconImage& first = std::get<QList<dib::IconImage>>(images).first();
    return QCursor(QPixmap::fromImage(std::move(first.image)), first.hotSpot.x(),
                   first.hotSpot.y());
}

std::variant<QIcon, Failure> loadIcon(const QString& file)
{
    auto images = loadIconImages(file, dib::IconKind::Icon);
    if (auto* failure = std::get_if<Failure>(&images)) {
        return *failure;
    }
    QIcon icon;
    for (dib::IconImage& image : std::get<QList<dib::IconImage>>(images)) {
        icon.addPixmap(QPixmap::fromImage(std::move(image.image)));
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
