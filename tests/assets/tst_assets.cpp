// SPDX-License-Identifier: MIT
// The committed artwork: each file's size and format as the windows rely on them, what the
// background shows where the window lays its controls, and a fresh run of the generator against
// the committed bytes.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
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

QByteArray readAsset(const QString& name)
{
    QFile file(assetPath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool isBlack(QRgb pixel)
{
    return (pixel & RGB_MASK) == 0;
}

bool isRed(QRgb pixel)
{
    return qRed(pixel) > qGreen(pixel) && qRed(pixel) > qBlue(pixel);
}

} // namespace

class TstAssets : public QObject
{
    Q_OBJECT

private slots:
    void formats_data();
    void formats();
    void backgroundShowsItsTextWhereTheWindowNeedsIt();
    void generatorReproducesCommittedFiles();
};

void TstAssets::formats_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("image");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("bitsPerPixel");
    QTest::newRow("background") << QStringLiteral("background.bmp") << 0 << QSize(460, 309) << 24;
    QTest::newRow("banner") << QStringLiteral("banner.bmp") << 0 << QSize(456, 135) << 24;
    QTest::newRow("cursor") << QStringLiteral("hand.cur") << 0 << QSize(32, 32) << 4;
    QTest::newRow("icon, 2 colours") << QStringLiteral("corvane.ico") << 0 << QSize(32, 32) << 1;
    QTest::newRow("icon, 16 colours") << QStringLiteral("corvane.ico") << 1 << QSize(32, 32) << 4;
    QTest::newRow("small icon") << QStringLiteral("corvane.ico") << 2 << QSize(16, 16) << 4;
}

void TstAssets::formats()
{
    QFETCH(QString, file);
    QFETCH(int, image);
    QFETCH(QSize, size);
    QFETCH(int, bitsPerPixel);
    const QByteArray bytes = readAsset(file);
    const auto u16 = [&bytes](qsizetype at) {
        return static_cast<int>(static_cast<quint8>(bytes.at(at)) |
                                static_cast<quint8>(bytes.at(at + 1)) << 8);
    };
    if (file.endsWith(QStringLiteral(".bmp"))) {
        // Uncompressed (BI_RGB), bottom-up, 24 bits, exactly the header and the rows.
        QCOMPARE(bytes.left(2), QByteArray("BM"));
        QCOMPARE(u16(28), bitsPerPixel);
        QCOMPARE(u16(30), 0);
        QCOMPARE(bytes.size(), 54 + (size.width() * 3 + 3) / 4 * 4 * size.height());
    } else {
        // The directory: reserved, the kind (1 icon, 2 cursor), the count; then 16-byte entries,
        // a cursor's carrying its hot spot where an icon's carries planes and bits.
        const bool cursor = file.endsWith(QStringLiteral(".cur"));
        QCOMPARE(u16(2), cursor ? 2 : 1);
        QCOMPARE(u16(4), cursor ? 1 : 3);
        const int entry = 6 + 16 * image;
        QCOMPARE(
            QSize(static_cast<quint8>(bytes.at(entry)), static_cast<quint8>(bytes.at(entry + 1))),
            size);
        QCOMPARE(static_cast<quint8>(bytes.at(entry + 2)), 1 << bitsPerPixel);
        if (cursor) {
            QCOMPARE(QPoint(u16(entry + 4), u16(entry + 6)), QPoint(12, 1));
        } else {
            QCOMPARE(u16(entry + 6), bitsPerPixel);
        }
    }
    QImageReader reader(assetPath(file));
    QVERIFY(reader.jumpToImage(image) || image == 0);
    QCOMPARE(reader.read().size(), size);
}

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
        QVERIFY2(fresh.open(QIODevice::ReadOnly), qPrintable(file));
        const QByteArray committed = readAsset(file);
        QVERIFY2(!committed.isEmpty() && fresh.readAll() == committed, qPrintable(file));
    }
}

QTEST_GUILESS_MAIN(TstAssets)
#include "tst_assets.moc"
