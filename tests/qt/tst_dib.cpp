// SPDX-License-Identifier: MIT
// The icon and cursor decoders against Qt's own image readers on the committed artwork: the
// icon's images and the cursor with its hot spot. The pictures' decoder is proven where the window
// shows them, pixel for pixel (tests/e2e/test_window.py), and a damaged picture ends the start.
#include "qt/dib.h"

#include <QFile>
#include <QImageReader>
#include <QTest>

namespace {

// Every image Qt's reader finds in `file`, as straight ARGB.
QList<QImage> decodedByQt(const QString& file)
{
    QImageReader reader(file);
    QList<QImage> images;
    for (int i = 0; i < reader.imageCount() && (i == 0 || reader.jumpToImage(i)); ++i) {
        images.append(reader.read().convertToFormat(QImage::Format_ARGB32));
    }
    return images;
}

template <typename Value> QString errorOf(const std::variant<Value, QString>& result)
{
    const auto* error = std::get_if<QString>(&result);
    return error != nullptr ? *error : QString();
}

} // namespace

class TestDib : public QObject
{
    Q_OBJECT

private slots:
    void artworkMatchesQtsReaders_data();
    void artworkMatchesQtsReaders();
};

void TestDib::artworkMatchesQtsReaders_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QPoint>("hotSpot");
    QTest::newRow("icon") << QStringLiteral("corvane.ico") << QPoint();
    QTest::newRow("cursor") << QStringLiteral("hand.cur") << QPoint(12, 1);
}

void TestDib::artworkMatchesQtsReaders()
{
    QFETCH(QString, name);
    QFETCH(QPoint, hotSpot);
    const QString path = QStringLiteral(CORVANE_ASSETS_DIR "/") + name;
    QFile asset(path);
    QVERIFY2(asset.open(QIODevice::ReadOnly), qPrintable(path));
    const QByteArray file = asset.readAll();
    const bool cursor = name.endsWith(QStringLiteral(".cur"));
    const auto decoded =
        dib::decodeIconFile(file, cursor ? dib::IconKind::Cursor : dib::IconKind::Icon);
    QVERIFY2(std::holds_alternative<QList<dib::IconImage>>(decoded), qPrintable(errorOf(decoded)));
    const QList<dib::IconImage> ours = std::get<QList<dib::IconImage>>(decoded);
    // A file of the other kind is refused.
    QVERIFY(
        !errorOf(dib::decodeIconFile(file, cursor ? dib::IconKind::Icon : dib::IconKind::Cursor))
             .isEmpty());
    const QList<QImage> theirs = decodedByQt(path);
    QCOMPARE(ours.size(), theirs.size());
    for (qsizetype i = 0; i < ours.size(); ++i) {
        QCOMPARE(ours[i].image.convertToFormat(QImage::Format_ARGB32), theirs[i]);
        QCOMPARE(ours[i].hotSpot, hotSpot);
    }
}

QTEST_GUILESS_MAIN(TestDib)
#include "tst_dib.moc"
