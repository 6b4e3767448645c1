// SPDX-License-Identifier: MIT
// The bitmap decoders against Qt's own image readers on the committed artwork, and against
// damaged files: every offset is checked against the data.
#include "qt/dib.h"

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
    void artworkMatchesQtsReaders_data();
    void artworkMatchesQtsReaders();
    void damagedFilesAreRefused_data();
    void damagedFilesAreRefused();
};

void TestDib::artworkMatchesQtsReaders_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QPoint>("hotSpot");
    QTest::newRow("background") << QStringLiteral("background.bmp") << QPoint();
    QTest::newRow("banner") << QStringLiteral("banner.bmp") << QPoint();
    QTest::newRow("icon") << QStringLiteral("corvane.ico") << QPoint();
    QTest::newRow("cursor") << QStringLiteral("hand.cur") << QPoint(12, 1);
}

void TestDib::artworkMatchesQtsReaders()
{
    QFETCH(QString, name);
    QFETCH(QPoint, hotSpot);
    const QByteArray file = readAsset(qPrintable(name));
    QList<dib::IconImage> ours;
    if (name.endsWith(QStringLiteral(".bmp"))) {
        const auto decoded = dib::decodeBmp(file);
        QVERIFY2(std::holds_alternative<QImage>(decoded), qPrintable(errorOf(decoded)));
        QCOMPARE(std::get<QImage>(decoded).format(), QImage::Format_RGB32);
        ours.append({std::get<QImage>(decoded), QPoint()});
    } else {
        const bool cursor = name.endsWith(QStringLiteral(".cur"));
        const auto decoded =
            dib::decodeIconFile(file, cursor ? dib::IconKind::Cursor : dib::IconKind::Icon);
        QVERIFY2(std::holds_alternative<QList<dib::IconImage>>(decoded),
                 qPrintable(errorOf(decoded)));
        ours = std::get<QList<dib::IconImage>>(decoded);
        // A file of the other kind is refused.
        QVERIFY(!errorOf(dib::decodeIconFile(file,
                                             cursor ? dib::IconKind::Icon : dib::IconKind::Cursor))
                     .isEmpty());
    }
    const QList<QImage> theirs = decodedByQt(QStringLiteral(CORVANE_ASSETS_DIR "/") + name);
    QCOMPARE(ours.size(), theirs.size());
    for (qsizetype i = 0; i < ours.size(); ++i) {
        QCOMPARE(ours[i].image.convertToFormat(QImage::Format_ARGB32), theirs[i]);
        QCOMPARE(ours[i].hotSpot, hotSpot);
    }
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
    QByteArray huge = bmp;
    put32(huge, 18, 0x7FFFFFFF);
    QTest::newRow("bmp absurd width")
        << QStringLiteral("bmp") << huge << "the bitmap's size is out of range";

    QTest::newRow("cursor cut in its directory")
        << QStringLiteral("cur") << cur.left(10) << "the directory is cut short";
    QTest::newRow("cursor cut in its image")
        << QStringLiteral("cur") << cur.left(cur.size() - 1) << "an image lies outside the file";
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
