// SPDX-License-Identifier: MIT
// corvane-artgen OUTPUT_FOLDER: paints the login window's artwork and writes background.bmp,
// banner.bmp, hand.cur and corvane.ico into the folder, and the desktop's icons as
// icons/corvane-SIDE.png. The same inputs always give the same bytes.
#include "artgenerror.h"
#include "background.h"
#include "banner.h"
#include "bmpwriter.h"
#include "fontloader.h"
#include "handcursor.h"
#include "iconwriter.h"
#include "mark.h"
#include "outputfile.h"
#include "pngwriter.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <QDir>
#include <QGuiApplication>
#include <utility>
#include <vector>

namespace {

// The desktop's icons go into their own folder beside the window's artwork.
const QString iconsFolder = QStringLiteral("icons");

// Everything is painted and encoded before the folder is touched, so a failure leaves it as it
// was.
void generate(const QString& folderPath)
{
    using namespace artgen;
    const QFont title = loadFont(titleFont);
    const QFont captions = loadFont(captionFont);
    const QImage background = makeBackground(title, captions);
    std::vector<std::pair<QString, QByteArray>> files{
        {QStringLiteral("background.bmp"), encodeBmp24(background)},
        {QStringLiteral("banner.bmp"), encodeBmp24(makeBanner(background))},
        {QStringLiteral("hand.cur"), encodeCursor(makeHandCursor(), handCursorHotSpot)},
        {QStringLiteral("corvane.ico"), encodeIcon(makeMarkIcons(title))},
    };
    for (const int side : desktopIconSides) {
        files.emplace_back(QStringLiteral("%1/corvane-%2.png").arg(iconsFolder).arg(side),
                           encodePng(makeDesktopIcon(title, side)));
    }

    const QDir folder(folderPath);
    for (const QString& path : {QStringLiteral("."), iconsFolder}) {
        if (!folder.mkpath(path)) {
            throw ArtgenError(QStringLiteral("cannot create the folder %1")
                                  .arg(QDir::toNativeSeparators(folder.filePath(path)))
                                  .toStdString());
        }
    }
    for (const auto& [name, bytes] : files)
        writeOutputFile(folder, name, bytes);
}

} // namespace

int main(int argc, char* argv[])
{
    // Painting needs a GUI application for its fonts, but never a display.
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QGuiApplication app(argc, argv);

    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2) {
        std::fputs("usage: corvane-artgen OUTPUT_FOLDER\n", stderr);
        return EXIT_FAILURE;
    }
    try {
        generate(arguments.at(1));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "corvane-artgen: %s\n", error.what());
        return EXIT_FAILURE;
    }
    return EXIT_SUCCESS;
}
