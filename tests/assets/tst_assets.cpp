// SPDX-License-Identifier: MIT
// Reads the committed artwork back: the Windows bitmap, cursor and icon headers field by field,
// the pictures' layout against the login window's text boxes, the desktop's PNG icons, and a
// fresh run of the generator against the committed bytes.
#include <algorithm>
#include <array>
#include <cstdint>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Header sizes of the formats: BITMAPFILEHEADER 14, BITMAPINFOHEADER 40, ICONDIR 6, entry 16.
constexpr int fileHeaderSize = 14;
constexpr int infoHeaderSize = 40;
constexpr int iconDirSize = 6;
constexpr int iconEntrySize = 16;

// The standard 16-colour VGA palette in Windows order, as the 4-bit images must carry it.
constexpr std::array<QRgb, 16> vga{0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                   0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                   0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

// The sides of the desktop's icons, and the icon file's pictures that the two smallest repeat.
constexpr std::array<int, 5> desktopIconSides{16, 32, 48, 64, 128};
constexpr int icoColour32Index = 1;
constexpr int icoColour16Index = 2;

// A PNG file: its 8-byte signature, then the IHDR chunk's length, type, width, height, bit depth
// and colour type (6: RGB with alpha).
constexpr int pngSignatureSize = 8;
constexpr int ihdrWidthOffset = 16;
constexpr int ihdrHeightOffset = 20;
constexpr int ihdrBitDepthOffset = 24;
constexpr int ihdrColourTypeOffset = 25;
constexpr int pngRgba = 6;

// Where the window puts its text boxes: the captions must stay left of this column.
constexpr int lastCaptionColumn = 234;

QString assetPath(const QString& name)
{
    return QDir(QStringLiteral(CORVANE_ASSETS_DIR)).filePath(name);
}

QByteArray readAsset(const QString& name)
{
    QFile file(assetPath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint32 u16(const QByteArray& bytes, int at)
{
    return static_cast<quint8>(bytes.at(at)) |
           static_cast<quint32>(static_cast<quint8>(bytes.at(at + 1))) << 8;
}

quint32 u32(const QByteArray& bytes, int at)
{
    return u16(bytes, at) | u16(bytes, at + 2) << 16;
}

quint32 u32BigEndian(const QByteArray& bytes, int at)
{
    quint32 value = 0;
    for (int i = 0; i < 4; ++i)
        value = value << 8 | static_cast<quint8>(bytes.at(at + i));
    return value;
}

QString desktopIconName(int side)
{
    return QStringLiteral("icons/corvane-%1.png").arg(side);
}

qint32 i32(const QByteArray& bytes, int at)
{
    return static_cast<qint32>(u32(bytes, at));
}

int dibStride(int width, int bitsPerPixel)
{
    return (width * bitsPerPixel + 31) / 32 * 4;
}

bool isBlack(QRgb pixel)
{
    return (pixel & RGB_MASK) == 0;
}

bool isBrightRed(QRgb pixel)
{
    return qRed(pixel) >= 160 && qGreen(pixel) * 2 <= qRed(pixel) &&
           qBlue(pixel) * 2 <= qRed(pixel);
}

// The palette stored after a DIB header, as RGB values.
QList<QRgb> dibPalette(const QByteArray& bytes, int dibOffset, int colours)
{
    QList<QRgb> palette;
    for (int i = 0; i < colours; ++i) {
        const int at = dibOffset + infoHeaderSize + 4 * i;
        palette.append(qRgb(static_cast<quint8>(bytes.at(at + 2)),
                            static_cast<quint8>(bytes.at(at + 1)),
                            static_cast<quint8>(bytes.at(at))));
    }
    return palette;
}

QList<QRgb> expectedPalette(int bitsPerPixel)
{
    if (bitsPerPixel == 1)
        return {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    QList<QRgb> palette;
    for (const QRgb colour : vga)
        palette.append(colour | 0xFF000000U);
    return palette;
}

QImage readImage(const QString& name, const QByteArray& format, int index = 0)
{
    QImageReader reader(assetPath(name), format);
    if (index > 0 && !reader.jumpToImage(index))
        return {};
    return reader.read().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class TstAssets : public QObject
{
    Q_OBJECT

private slots:
    void bmpHeaders_data();
    void bmpHeaders();
    void backgroundGroundIsBlack_data();
    void backgroundGroundIsBlack();
    void backgroundTitleIsRedAcrossTheTop();
    void captionsFillTheirRows_data();
    void captionsFillTheirRows();
    void bannerRepeatsBackgroundWithGlint();
    void cursorFile();
    void cursorPicture();
    void iconEntries_data();
    void iconEntries();
    void desktopIcons_data();
    void desktopIcons();
    void smallDesktopIconsRepeatTheIconFile_data();
    void smallDesktopIconsRepeatTheIconFile();
    void generatorReproducesCommittedFiles();

private:
    QImage background() const { return QImage(assetPath(QStringLiteral("background.bmp"))); }
};

void TstAssets::bmpHeaders_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("background") << QStringLiteral("background.bmp") << 460 << 309;
    QTest::newRow("banner") << QStringLiteral("banner.bmp") << 456 << 135;
}

void TstAssets::bmpHeaders()
{
    QFETCH(QString, name);
    QFETCH(int, width);
    QFETCH(int, height);
    const QByteArray bytes = readAsset(name);
    const int pixelBytes = dibStride(width, 24) * height;
    QCOMPARE(bytes.size(), fileHeaderSize + infoHeaderSize + pixelBytes);

    QCOMPARE(bytes.left(2), QByteArrayLiteral("BM"));
    QCOMPARE(u32(bytes, 2), static_cast<quint32>(bytes.size()));
    QCOMPARE(u32(bytes, 6), 0U); // both reserved words
    QCOMPARE(u32(bytes, 10), static_cast<quint32>(fileHeaderSize + infoHeaderSize));
    QCOMPARE(u32(bytes, 14), static_cast<quint32>(infoHeaderSize));
    QCOMPARE(i32(bytes, 18), width);
    QCOMPARE(i32(bytes, 22), height); // positive: bottom-up rows
    QCOMPARE(u16(bytes, 26), 1U);     // planes
    QCOMPARE(u16(bytes, 28), 24U);    // bits per pixel
    QCOMPARE(u32(bytes, 30), 0U);     // BI_RGB
    QCOMPARE(u32(bytes, 34), static_cast<quint32>(pixelBytes));

    const QImage decoded = QImage::fromData(bytes);
    QCOMPARE(decoded.size(), QSize(width, height));
}

void TstAssets::backgroundGroundIsBlack_data()
{
    QTest::addColumn<QRect>("area");
    QTest::newRow("title band, left corner") << QRect(0, 0, 30, 30);
    QTest::newRow("title band, right corner") << QRect(426, 0, 30, 30);
    QTest::newRow("right of the title band") << QRect(456, 0, 4, 126);
    QTest::newRow("between title and captions") << QRect(0, 126, 460, 6);
    QTest::newRow("left of the captions") << QRect(0, 126, 10, 87);
    QTest::newRow("between the captions") << QRect(0, 164, 460, 9);
    QTest::newRow("under the text boxes") << QRect(lastCaptionColumn + 1, 126, 225, 183);
    QTest::newRow("below the captions") << QRect(0, 213, 460, 96);
}

void TstAssets::backgroundGroundIsBlack()
{
    QFETCH(QRect, area);
    const QImage image = background();
    QVERIFY(image.rect().contains(area));
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (!isBlack(image.pixel(x, y)))
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2 is not black").arg(x).arg(y)));
        }
    }
}

void TstAssets::backgroundTitleIsRedAcrossTheTop()
{
    const QImage image = background();
    int bright = 0;
    int left = image.width();
    int right = -1;
    for (int y = 0; y < 126; ++y) {
        for (int x = 0; x < 456; ++x) {
            const QRgb pixel = image.pixel(x, y);
            // Every painted pixel of the title is a shade of red.
            QVERIFY(qRed(pixel) >= qGreen(pixel) && qRed(pixel) >= qBlue(pixel));
            if (isBrightRed(pixel)) {
                ++bright;
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    // Large lettering, not a stray mark: thousands of bright red pixels over most of the width.
    QVERIFY2(bright > 2000, qPrintable(QString::number(bright)));
    QVERIFY2(right - left > 250, qPrintable(QStringLiteral("%1..%2").arg(left).arg(right)));
}

void TstAssets::captionsFillTheirRows_data()
{
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("bottom");
    QTest::newRow("Username") << 132 << 163;
    QTest::newRow("Password") << 173 << 212;
}

void TstAssets::captionsFillTheirRows()
{
    QFETCH(int, top);
    QFETCH(int, bottom);
    const QImage image = background();
    QRect painted;
    int count = 0;
    // Search a few rows beyond the caption's own, up to the neighbouring caption.
    for (int y = top - 4; y <= bottom + 4; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (isBlack(pixel))
                continue;
            QVERIFY(qRed(pixel) > qGreen(pixel) && qRed(pixel) > qBlue(pixel));
            painted |= QRect(x, y, 1, 1);
            ++count;
        }
    }
    QCOMPARE(painted.top(), top);
    QCOMPARE(painted.bottom(), bottom);
    QCOMPARE(painted.left(), 10);
    QVERIFY2(painted.right() >= 225 && painted.right() <= lastCaptionColumn,
             qPrintable(QString::number(painted.right())));
    // Letters, not a filled block or a smear.
    const double coverage = double(count) / (painted.width() * painted.height());
    QVERIFY2(coverage > 0.15 && coverage < 0.75, qPrintable(QString::number(coverage)));
}

void TstAssets::bannerRepeatsBackgroundWithGlint()
{
    const QImage banner(assetPath(QStringLiteral("banner.bmp")));
    QCOMPARE(banner.size(), QSize(456, 135));
    const QImage region = background().copy(banner.rect());
    int differing = 0;
    for (int y = 0; y < banner.height(); ++y) {
        for (int x = 0; x < banner.width(); ++x)
            differing += banner.pixel(x, y) != region.pixel(x, y) ? 1 : 0;
    }
    QVERIFY2(differing >= 12 && differing <= 96, qPrintable(QString::number(differing)));
}

void TstAssets::cursorFile()
{
    const QByteArray bytes = readAsset(QStringLiteral("hand.cur"));
    QVERIFY(bytes.size() > iconDirSize + iconEntrySize + infoHeaderSize);
    QCOMPARE(u16(bytes, 0), 0U);
    QCOMPARE(u16(bytes, 2), 2U); // cursor
    QCOMPARE(u16(bytes, 4), 1U);
    QCOMPARE(static_cast<quint8>(bytes.at(6)), 32);
    QCOMPARE(static_cast<quint8>(bytes.at(7)), 32);
    QCOMPARE(static_cast<quint8>(bytes.at(8)), 16);
    const quint32 hotX = u16(bytes, 10);
    const quint32 hotY = u16(bytes, 12);
    QCOMPARE(hotX, 12U);
    QCOMPARE(hotY, 1U);
    const int offset = static_cast<int>(u32(bytes, 18));
    QCOMPARE(offset, iconDirSize + iconEntrySize);
    QCOMPARE(u32(bytes, 14) + u32(bytes, 18), static_cast<quint32>(bytes.size()));

    QCOMPARE(u32(bytes, offset), static_cast<quint32>(infoHeaderSize));
    QCOMPARE(i32(bytes, offset + 4), 32);
    QCOMPARE(i32(bytes, offset + 8), 64); // colour bitmap and AND mask
    QCOMPARE(u16(bytes, offset + 14), 4U);
    QCOMPARE(dibPalette(bytes, offset, 16), expectedPalette(4));

    // The AND mask's bit for the hot spot is clear: the fingertip is drawn there.
    const int maskStart = offset + infoHeaderSize + 16 * 4 + dibStride(32, 4) * 32;
    const int maskRow = maskStart + dibStride(32, 1) * (31 - static_cast<int>(hotY));
    const auto maskByte = static_cast<quint8>(bytes.at(maskRow + static_cast<int>(hotX) / 8));
    QCOMPARE(maskByte & (0x80 >> (hotX % 8)), 0);
}

void TstAssets::cursorPicture()
{
    const QImage hand = readImage(QStringLiteral("hand.cur"), "cur");
    QCOMPARE(hand.size(), QSize(32, 32));
    // The fingertip is the topmost drawn pixel, and it is the hot spot.
    QCOMPARE(qAlpha(hand.pixel(12, 1)), 255);
    for (int x = 0; x < 32; ++x)
        QCOMPARE(qAlpha(hand.pixel(x, 0)), 0);
    int white = 0;
    int blue = 0;
    int clear = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QRgb pixel = hand.pixel(x, y);
            if (qAlpha(pixel) == 0)
                ++clear;
            else if (qGray(pixel) >= 240)
                white += y < 24 ? 1 : 0; // the hand, above the wrist
            else if (qBlue(pixel) >= 128 && qRed(pixel) < 64 && qGreen(pixel) < 64)
                blue += y >= 20 ? 1 : 0; // the cuff, at the wrist
        }
    }
    QVERIFY2(white > 150, qPrintable(QString::number(white)));
    QVERIFY2(blue > 20, qPrintable(QString::number(blue)));
    QVERIFY2(clear > 400, qPrintable(QString::number(clear)));
}

void TstAssets::iconEntries_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("side");
    QTest::addColumn<int>("bitsPerPixel");
    QTest::newRow("32 x 32, 2 colours") << 0 << 32 << 1;
    QTest::newRow("32 x 32, 16 colours") << 1 << 32 << 4;
    QTest::newRow("16 x 16, 16 colours") << 2 << 16 << 4;
}

void TstAssets::iconEntries()
{
    QFETCH(int, index);
    QFETCH(int, side);
    QFETCH(int, bitsPerPixel);
    const QByteArray bytes = readAsset(QStringLiteral("corvane.ico"));
    QVERIFY(bytes.size() > iconDirSize + 3 * iconEntrySize);
    QCOMPARE(u16(bytes, 0), 0U);
    QCOMPARE(u16(bytes, 2), 1U); // icon
    QCOMPARE(u16(bytes, 4), 3U);

    const int entry = iconDirSize + index * iconEntrySize;
    const int colours = 1 << bitsPerPixel;
    QCOMPARE(static_cast<quint8>(bytes.at(entry)), side);
    QCOMPARE(static_cast<quint8>(bytes.at(entry + 1)), side);
    QCOMPARE(static_cast<quint8>(bytes.at(entry + 2)), colours);
    QCOMPARE(u16(bytes, entry + 4), 1U);
    QCOMPARE(u16(bytes, entry + 6), static_cast<quint32>(bitsPerPixel));
    const auto size = static_cast<int>(u32(bytes, entry + 8));
    const auto offset = static_cast<int>(u32(bytes, entry + 12));
    QCOMPARE(size, infoHeaderSize + 4 * colours +
                       (dibStride(side, bitsPerPixel) + dibStride(side, 1)) * side);
    QVERIFY(offset + size <= bytes.size());

    QCOMPARE(u32(bytes, offset), static_cast<quint32>(infoHeaderSize));
    QCOMPARE(i32(bytes, offset + 4), side);
    QCOMPARE(i32(bytes, offset + 8), 2 * side);
    QCOMPARE(u16(bytes, offset + 14), static_cast<quint32>(bitsPerPixel));
    QCOMPARE(dibPalette(bytes, offset, colours), expectedPalette(bitsPerPixel));

    // Qt's own reader agrees, and the picture is a drawn mark with transparent corners.
    const QImage image = readImage(QStringLiteral("corvane.ico"), "ico", index);
    QCOMPARE(image.size(), QSize(side, side));
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    QSet<QRgb> opaqueColours;
    int red = 0;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) == 255)
                opaqueColours.insert(pixel);
            red += pixel == qRgb(255, 0, 0) ? 1 : 0;
        }
    }
    QVERIFY(opaqueColours.size() >= 2);
    if (bitsPerPixel == 4)
        QVERIFY2(red >= side * side / 8, qPrintable(QString::number(red)));
}

void TstAssets::desktopIcons_data()
{
    QTest::addColumn<int>("side");
    for (const int side : desktopIconSides)
        QTest::addRow("%d pixels", side) << side;
}

void TstAssets::desktopIcons()
{
    QFETCH(int, side);
    const QByteArray bytes = readAsset(desktopIconName(side));
    QVERIFY(bytes.size() > ihdrColourTypeOffset);
    QCOMPARE(bytes.left(pngSignatureSize), QByteArray("\x89PNG\r\n\x1a\n", pngSignatureSize));
    QCOMPARE(bytes.mid(12, 4), QByteArrayLiteral("IHDR"));
    QCOMPARE(u32BigEndian(bytes, ihdrWidthOffset), static_cast<quint32>(side));
    QCOMPARE(u32BigEndian(bytes, ihdrHeightOffset), static_cast<quint32>(side));
    QCOMPARE(static_cast<int>(bytes.at(ihdrBitDepthOffset)), 8);
    QCOMPARE(static_cast<int>(bytes.at(ihdrColourTypeOffset)), pngRgba);

    // A dark rounded tile with the red letter on it: clear corners, an opaque body, a good share
    // of bright red and of black, and nothing of any other hue.
    const QImage image = QImage::fromData(bytes, "png").convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(image.size(), QSize(side, side));
    for (const QPoint corner :
         {QPoint(0, 0), QPoint(side - 1, 0), QPoint(0, side - 1), QPoint(side - 1, side - 1)})
        QCOMPARE(qAlpha(image.pixel(corner)), 0);
    int opaque = 0;
    int red = 0;
    int black = 0;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) != 255)
                continue;
            ++opaque;
            red += isBrightRed(pixel) ? 1 : 0;
            black += isBlack(pixel) ? 1 : 0;
            QVERIFY2(qGreen(pixel) == qBlue(pixel) && qRed(pixel) >= qGreen(pixel),
                     qPrintable(QStringLiteral("pixel %1,%2 is not a shade of red").arg(x).arg(y)));
        }
    }
    const int area = side * side;
    QVERIFY2(opaque >= area * 8 / 10, qPrintable(QString::number(opaque)));
    QVERIFY2(red >= area / 8 && red <= area / 2, qPrintable(QString::number(red)));
    QVERIFY2(black >= area / 4, qPrintable(QString::number(black)));
}

void TstAssets::smallDesktopIconsRepeatTheIconFile_data()
{
    QTest::addColumn<int>("side");
    QTest::addColumn<int>("icoIndex");
    QTest::newRow("16 pixels") << 16 << icoColour16Index;
    QTest::newRow("32 pixels") << 32 << icoColour32Index;
}

void TstAssets::smallDesktopIconsRepeatTheIconFile()
{
    QFETCH(int, side);
    QFETCH(int, icoIndex);
    const QImage fromIco = readImage(QStringLiteral("corvane.ico"), "ico", icoIndex);
    const QImage png = readImage(desktopIconName(side), "png");
    QCOMPARE(png.size(), QSize(side, side));
    QCOMPARE(fromIco.size(), png.size());
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const QRgb a = fromIco.pixel(x, y);
            const QRgb b = png.pixel(x, y);
            // Clear pixels may carry any colour.
            if (qAlpha(a) != qAlpha(b) || (qAlpha(a) != 0 && a != b))
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2 differs").arg(x).arg(y)));
        }
    }
}

void TstAssets::generatorReproducesCommittedFiles()
{
    QTemporaryDir output;
    QVERIFY(output.isValid());
    QProcess generator;
    generator.start(QStringLiteral(CORVANE_ARTGEN), {output.path()});
    QVERIFY(generator.waitForFinished(-1));
    QCOMPARE(generator.exitStatus(), QProcess::NormalExit);
    QVERIFY2(generator.exitCode() == 0, generator.readAllStandardError().constData());

    QStringList files{QStringLiteral("background.bmp"), QStringLiteral("banner.bmp"),
                      QStringLiteral("hand.cur"), QStringLiteral("corvane.ico")};
    for (const int side : desktopIconSides)
        files.append(desktopIconName(side));
    for (const QString& file : files) {
        QFile fresh(QDir(output.path()).filePath(file));
        QVERIFY2(fresh.open(QIODevice::ReadOnly), qPrintable(file));
        const QByteArray committed = readAsset(file);
        QVERIFY2(!committed.isEmpty(), qPrintable(file));
        QVERIFY2(fresh.readAll() == committed, qPrintable(file));
    }
}

QTEST_GUILESS_MAIN(TstAssets)
#include "tst_assets.moc"
