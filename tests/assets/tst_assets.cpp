// SPDX-License-Identifier: MIT
// The committed artwork: each file's size and format as the windows rely on them, what the
// background shows where the window lays its controls, and a fresh run of the generator against
// the committed bytes.
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
    void iconAndCursor_data();
    void iconAndCursor();
    void backgroundShowsItsTextWhereTheWindowNeedsIt();
    void generatorReproducesCommittedFiles();
};

void TstAssets::iconAndCursor_data()
{
    // The directory's images, each as its side, its colours, and the entry's two words: an
    // icon's planes and bits per pixel, a cursor's hot spot.
    QTest::addColumn<QString>("file");
    QTest::addColumn<QList<QList<int>>>("images");
    QTest::newRow("icon") << QStringLiteral("corvane.ico")
                          << QList<QList<int>>{{32, 2, 1, 1}, {32, 16, 1, 4}, {16, 16, 1, 4}};
    QTest::newRow("cursor") << QStringLiteral("hand.cur") << QList<QList<int>>{{32, 16, 12, 1}};
}

void TstAssets::iconAndCursor()
{
    QFETCH(QString, file);
    QFETCH(QList<QList<int>>, images);
    const QByteArray bytes = readAsset(file);
    const auto byte = [&bytes](qsizetype at) {
        return int(static_cast<quint8>(bytes.at(at)));
    };
    const auto word = [&byte](qsizetype at) {
        return byte(at) | byte(at + 1) << 8;
    };
    // Reserved, then the kind: 1 an icon, 2 a cursor; then the count of 16-byte entries.
    QCOMPARE(word(2), file.endsWith(QStringLiteral(".cur")) ? 2 : 1);
    QList<QList<int>> found;
    for (int entry = 6; entry < 6 + 16 * word(4); entry += 16) {
        QCOMPARE(byte(entry), byte(entry + 1));
        found.append({byte(entry), byte(entry + 2), word(entry + 4), word(entry + 6)});
    }
    QCOMPARE(found, images);
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
