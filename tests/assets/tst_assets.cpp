// SPDX-License-Identifier: MIT
// The committed artwork: what the background shows where the window lays its controls, and a
// fresh run of the generator against the committed bytes. The icon's and cursor's images are
// checked where they are used: against Qt's readers (tests/qt), in the Windows program's icon
// group and as the windows' cursor (tests/e2e).
#include <cstdlib>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <tuple>

namespace {

// The sides of the desktop's icons.
constexpr int desktopIconSides[] = {16, 32, 48, 64, 128};

QString assetPath(const QString& name)
{
    return QDir(QStringLiteral(CORVANE_ASSETS_DIR)).filePath(name);
}

bool isBlack(QRgb pixel)
{
    return (pixel & RGB_MASK) == 0;
}

bool isRed(QRgb pixel)
{
    return qRed(pixel) > qGreen(pixel) && qRed(pixel) > qBlue(pixel);
}

// Whether two pictures differ by at most one step in any channel of any pixel. Qt's raster engine
// chooses its blending code by the processor it runs on, and the antialiased edges of the painted
// desktop icons can come out one step apart on another processor (seen between two machines).
bool alike(const QImage& fresh, const QImage& committed)
{
    if (fresh.isNull() || fresh.size() != committed.size()) {
        return false;
    }
    const QImage a = fresh.convertToFormat(QImage::Format_ARGB32);
    const QImage b = committed.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > 1 || std::abs(qGreen(p) - qGreen(q)) > 1 ||
                std::abs(qBlue(p) - qBlue(q)) > 1 || std::abs(qAlpha(p) - qAlpha(q)) > 1) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

class TstAssets : public QObject
{
    Q_OBJECT

private slots:
    void backgroundShowsItsTextWhereTheWindowNeedsIt();
    void generatorReproducesCommittedFiles();
};

void TstAssets::backgroundShowsItsTextWhereTheWindowNeedsIt()
{
    const QImage background(assetPath(QStringLiteral("background.bmp")));
    // The bounding box of what is not black in the area, and whether all of it is red.
    const auto painted = [&background](const QRect& area, bool* allRed) {
        QRect box;
        *allRed = true;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                const QRgb pixel = background.pixel(x, y);
                if (!isBlack(pixel)) {
                    box |= QRect(x, y, 1, 1);
                    *allRed = *allRed && isRed(pixel);
                }
            }
        }
        return box;
    };
    bool red = false;
    // The title in large red letters across the top, above the text boxes.
    const QRect title = painted(QRect(0, 0, 460, 132), &red);
    QVERIFY(red && title.width() > 250 && title.bottom() < 126);
    // The captions in red left of the boxes, which start at column 240, each on its rows.
    for (const auto& [rows, top, bottom] : {std::tuple{QRect(0, 128, 240, 40), 132, 163},
                                            std::tuple{QRect(0, 168, 240, 48), 173, 212}}) {
        const QRect caption = painted(rows, &red);
        QVERIFY(red);
        QCOMPARE(QPair(caption.top(), caption.bottom()), QPair(top, bottom));
        QVERIFY2(caption.left() == 10 && caption.right() >= 225 && caption.right() < 236,
                 qPrintable(QStringLiteral("%1..%2").arg(caption.left()).arg(caption.right())));
    }
    // Nothing under the text boxes, the buttons and in the cut-off rows: the ground is black.
    QVERIFY(painted(QRect(236, 126, 224, 183), &red).isNull());
    QVERIFY(painted(QRect(0, 213, 460, 96), &red).isNull());
    // The banner repeats the top of the background, but for a glint of a few dozen pixels.
    const QImage banner(assetPath(QStringLiteral("banner.bmp")));
    const QImage top = background.copy(banner.rect());
    int differing = 0;
    for (int y = 0; y < banner.height(); ++y) {
        for (int x = 0; x < banner.width(); ++x) {
            differing += banner.pixel(x, y) != top.pixel(x, y) ? 1 : 0;
        }
    }
    QVERIFY2(differing >= 12 && differing <= 96, qPrintable(QString::number(differing)));
}

void TstAssets::generatorReproducesCommittedFiles()
{
    QTemporaryDir output;
    QProcess generator;
    generator.start(QStringLiteral(CORVANE_ARTGEN), {output.path()});
    QVERIFY(generator.waitForFinished(-1));
    QVERIFY2(generator.exitStatus() == QProcess::NormalExit && generator.exitCode() == 0,
             generator.readAllStandardError().constData());
    QStringList files{QStringLiteral("background.bmp"), QStringLiteral("banner.bmp"),
                      QStringLiteral("hand.cur"), QStringLiteral("corvane.ico")};
    for (const int side : desktopIconSides) {
        files.append(QStringLiteral("icons/corvane-%1.png").arg(side));
    }
    for (const QString& file : files) {
        QFile fresh(QDir(output.path()).filePath(file));
        QFile committed(assetPath(file));
        QVERIFY2(fresh.open(QIODevice::ReadOnly) && committed.open(QIODevice::ReadOnly),
                 qPrintable(file));
        const QByteArray bytes = committed.readAll();
        const QByteArray made = fresh.readAll();
        // The pictures Qt paints, the PNG icons, are compared by their pixels; everything else
        // by its bytes.
        QVERIFY2(!bytes.isEmpty() && (made == bytes || (file.endsWith(u".png") &&
                                                        alike(QImage::fromData(made, "PNG"),
                                                              QImage::fromData(bytes, "PNG")))),
                 qPrintable(file));
    }
}

QTEST_GUILESS_MAIN(TstAssets)
#include "tst_assets.moc"
