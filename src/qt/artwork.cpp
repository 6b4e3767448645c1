// SPDX-License-Identifier: MIT
#include "artwork.h"

#include "dib.h"

#include <QResource>

namespace {

const QString backgroundFile = QStringLiteral(":/assets/background.bmp");
const QString bannerFile = QStringLiteral(":/assets/banner.bmp");
const QString handFile = QStringLiteral(":/assets/hand.cur");
const QString iconFile = QStringLiteral(":/assets/corvane.ico");

core::Failure cannotLoad(const QString& file, const QString& why)
{
    return core::Failure{"Could not load " + file.toStdString(), why.toStdString()};
}

// The artwork is stored uncompressed in the program, so this is a view of the program's own
// pages, not a copy.
std::variant<QByteArray, core::Failure> resourceData(const QString& file)
{
    const QResource resource(file);
    const QByteArray data = resource.uncompressedData();
    if (!resource.isValid() || data.isEmpty()) {
        return cannotLoad(file, QStringLiteral("the program does not carry it"));
    }
    return data;
}

std::variant<QImage, core::Failure> decodePicture(const QString& file)
{
    auto data = resourceData(file);
    if (auto* failure = std::get_if<core::Failure>(&data)) {
        return *failure;
    }
    auto decoded = dib::decodeBmp(std::get<QByteArray>(data));
    if (const auto* error = std::get_if<QString>(&decoded)) {
        return cannotLoad(file, *error);
    }
    return std::get<QImage>(std::move(decoded));
}

std::variant<QList<dib::IconImage>, core::Failure> decodeIconImages(const QString& file,
                                                                    dib::IconKind kind)
{
    auto data = resourceData(file);
    if (auto* failure = std::get_if<core::Failure>(&data)) {
        return *failure;
    }
    auto decoded = dib::decodeIconFile(std::get<QByteArray>(data), kind);
    if (const auto* error = std::get_if<QString>(&decoded)) {
        return cannotLoad(file, *error);
    }
    return std::get<QList<dib::IconImage>>(std::move(decoded));
}

} // namespace

std::variant<ArtworkImages, core::Failure> decodeArtwork()
{
    auto background = decodePicture(backgroundFile);
    if (auto* failure = std::get_if<core::Failure>(&background)) {
        return *failure;
    }
    auto banner = decodePicture(bannerFile);
    if (auto* failure = std::get_if<core::Failure>(&banner)) {
        return *failure;
    }
    auto hand = decodeIconImages(handFile, dib::IconKind::Cursor);
    if (auto* failure = std::get_if<core::Failure>(&hand)) {
        return *failure;
    }
    auto icon = decodeIconImages(iconFile, dib::IconKind::Icon);
    if (auto* failure = std::get_if<core::Failure>(&icon)) {
        return *failure;
    }
    // A cursor file is read for its first image, the one a system without cursor sizes shows.
    return ArtworkImages{std::get<QImage>(std::move(background)),
                         std::get<QImage>(std::move(banner)),
                         std::get<QList<dib::IconImage>>(std::move(hand)).first(),
                         std::get<QList<dib::IconImage>>(std::move(icon))};
}

Artwork toArtwork(ArtworkImages images)
{
    // The images are already in the screen's formats, so each pixmap takes over its image's
    // pixels instead of converting a copy.
    QIcon icon;
    for (dib::IconImage& image : images.icon) {
        icon.addPixmap(QPixmap::fromImage(std::move(image.image)));
    }
    const QPoint hotSpot = images.hand.hotSpot;
    return Artwork{
        QPixmap::fromImage(std::move(images.background)),
        QPixmap::fromImage(std::move(images.banner)),
        QCursor(QPixmap::fromImage(std::move(images.hand.image)), hotSpot.x(), hotSpot.y()),
        std::move(icon)};
}
