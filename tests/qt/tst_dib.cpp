// SPDX-License-Identifier: MIT
// The bitmap decoders against Qt's own image readers on the committed artwork, and against
// damaged files.
#include "qt/dib.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QtEndian>
#include <QTest>

namespace {

QByteArray readAsset(const char* name)
{
    QFile file(QStringLiteral(CORVANE_ASSETS_DIR "/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every image Qt's reader finds in `file`, as straight ARGB.
QList<QImage> decodedByQt(const QString& file)
{
    QImageReader reader(file);
    QList<QImage> images;
    // Single-image formats count no images at all.
    const int count = qMax(1, reader.imageCount());
    for (int i = 0; i < count && (i == 0 || reader.jumpToImage(i)); ++i) {
        images.append(reader.read().convertToFormat(QImage::Format_ARGB32));
    }
    return images;
}

template <typename Value> QString errorOf(const std::variant<Value, QString>& result)
{
    const auto* error = std::get_if<QString>(&result);
    return error != nullptr ? *error : QString();
}

void put32(QByteArray& bytes, qsizetype at, quint32 value)
{
    qToLittleEndian(value, bytes.data() + at);
}

} // namespace

class TestDib : public QObject
{
    Q_OBJECT

private slots:
    void picturesMatchQtsReader_data();
    void picturesMatchQtsReader();
    void everyRowWidthRoundTrips_data();
    void everyRowWidthRoundTrips();
    void iconAndCursorMatchQtsReader_data();
    void iconAndCursorMatchQtsReader();
    void damagedFilesAreRefused_data();
    void damagedFilesAreRefused();
};

void TestDib::picturesMatchQtsReader_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("background") << QStringLiteral("background.bmp");
    QTest::newRow("banner") << QStringLiteral("banner.bmp");
}

void TestDib::picturesMatchQtsReader()
{
    QFETCH(QString, name);
    const auto decoded = dib::decodeBmp(readAsset(qPrintable(name)));
    QVERIFY2(std::holds_alternative<QImage>(decoded), qPrintable(errorOf(decoded)));
    const QImage ours = std::get<QImage>(decoded);
    QCOMPARE(ours.format(), QImage::Format_RGB32);
    const QList<QImage> theirs = decodedByQt(QStringLiteral(CORVANE_ASSETS_DIR "/") + name);
    QCOMPARE(theirs.size(), 1);
    QCOMPARE(ours.convertToFormat(QImage::Format_ARGB32), theirs.first());
}

void TestDib::everyRowWidthRoundTrips_data()
{
    // Four pixels are converted at a time: every remainder, and rows padded by 0 to 3 bytes.
    QTest::addColumn<int>("width");
    for (const int width : {1, 2, 3, 4, 5, 6, 7, 8, 13}) {
        QTest::addRow("%d pixels", width) << width;
    }
}

void TestDib::everyRowWidthRoundTrips()
{
    QFETCH(int, width);
    constexpr int height = 3;
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            // Distinct bytes in every channel, so that a swapped or shifted byte shows.
            const int n = y * width + x;
            picture.setPixel(x, y, qRgb(0x10 + n, 0x80 + n, 0xF0 - n));
        }
    }
    QByteArray file;
    QBuffer buffer(&file);
    QVERIFY(buffer.open(QIODevice::WriteOnly));
    QVERIFY(picture.save(&buffer, "BMP"));
    QCOMPARE(qFromLittleEndian<quint16>(file.constData() + 28), quint16(24));

    const auto decoded = dib::decodeBmp(file);
    QVERIFY2(std::holds_alternative<QImage>(decoded), qPrintable(errorOf(decoded)));
    QCOMPARE(std::get<QImage>(decoded), picture);
}

void TestDib::iconAndCursorMatchQtsReader_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<dib::IconKind>("kind");
    QTest::addColumn<QPoint>("hotSpot");
    QTest::newRow("icon") << QStringLiteral("corvane.ico") << dib::IconKind::Icon << QPoint();
    QTest::newRow("cursor") << QStringLiteral("hand.cur") << dib::IconKind::Cursor << QPoint(12, 1);
}

void TestDib::iconAndCursorMatchQtsReader()
{
    QFETCH(QString, name);
    QFETCH(dib::IconKind, kind);
    QFETCH(QPoint, hotSpot);
    const auto decoded = dib::decodeIconFile(readAsset(qPrintable(name)), kind);
    QVERIFY2(std::holds_alternative<QList<dib::IconImage>>(decoded), qPrintable(errorOf(decoded)));
    const auto& ours = std::get<QList<dib::IconImage>>(decoded);
    const QList<QImage> theirs = decodedByQt(QStringLiteral(CORVANE_ASSETS_DIR "/") + name);
    QCOMPARE(ours.size(), theirs.size());
    for (qsizetype i = 0; i < ours.size(); ++i) {
        QCOMPARE(ours[i].image.convertToFormat(QImage::Format_ARGB32), theirs[i]);
        QCOMPARE(ours[i].hotSpot, hotSpot);
    }
    // A file of the other kind is refused.
    const auto other = kind == dib::IconKind::Icon ? dib::IconKind::Cursor : dib::IconKind::Icon;
    QVERIFY(!errorOf(dib::decodeIconFile(readAsset(qPrintable(name)), other)).isEmpty());
}

void TestDib::damagedFilesAreRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");

    const QByteArray bmp = readAsset("background.bmp");
    const QByteArray cur = readAsset("hand.cur");
    const QByteArray ico = readAsset("corvane.ico");
    QTest::newRow("empty") << QStringLiteral("bmp") << QByteArray() << "not a BMP file";
    QTest::newRow("bmp cut in its header")
        << QStringLiteral("bmp") << bmp.left(30) << "the bitmap header is cut short";
    QTest::newRow("bmp cut in its pixels")
        << QStringLiteral("bmp") << bmp.left(bmp.size() - 1) << "the BMP file is cut short";
    QByteArray offsetBeyond = bmp;
    put32(offsetBeyond, 10, 0xFFFFFFF0U);
    QTest::newRow("bmp pixels beyond the end")
        << QStringLiteral("bmp") << offsetBeyond << "the BMP file is cut short";
    QByteArray compressed = bmp;
    put32(compressed, 30, 1);
    QTest::newRow("bmp compressed")
        << QStringLiteral("bmp") << compressed << "compressed bitmaps are not supported";
    QByteArray huge = bmp;
    put32(huge, 18, 0x7FFFFFFF);
    QTest::newRow("bmp absurd width")
        << QStringLiteral("bmp") << huge << "the bitmap's size is out of range";
    QByteArray paletted = bmp;
    paletted[28] = 8;
    QTest::newRow("bmp not 24-bit")
        << QStringLiteral("bmp") << paletted << "only 24-bit BMP files are supported";

    QTest::newRow("cursor cut in its directory")
        << QStringLiteral("cur") << cur.left(10) << "the directory is cut short";
    QTest::newRow("cursor cut in its image")
        << QStringLiteral("cur") << cur.left(cur.size() - 1) << "an image lies outside the file";
    QByteArray noImages = cur;
    noImages[4] = 0;
    QTest::newRow("cursor with no image")
        << QStringLiteral("cur") << noImages << "the file holds no image";
    QByteArray hotOutside = cur;
    hotOutside[10] = 40;
    QTest::newRow("hot spot outside")
        << QStringLiteral("cur") << hotOutside << "the hot spot lies outside the cursor";
    QByteArray sizeMismatch = ico;
    sizeMismatch[6] = 48;
    QTest::newRow("icon entry lies about its size")
        << QStringLiteral("ico") << sizeMismatch
        << "an image's size differs from its directory entry";
}

void TestDib::damagedFilesAreRefused()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    if (name == QStringLiteral("bmp")) {
        QCOMPARE(errorOf(dib::decodeBmp(bytes)), error);
    } else {
        const auto kind =
            name == QStringLiteral("cur") ? dib::IconKind::Cursor : dib::IconKind::Icon;
        QCOMPARE(errorOf(dib::decodeIconFile(bytes, kind)), error);
    }
}

QTEST_GUILESS_MAIN(TestDib)
#include "tst_dib.moc"
