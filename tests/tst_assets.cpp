#include <QColor>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QMovie>
#include <QTest>

#include <algorithm>

namespace {

const QString AssetsDir = QStringLiteral(VORN_ASSETS_DIR);
const QString DavrinPath = QStringLiteral(VORN_ASSETS_DIR "/davrin.gif");

constexpr int DavrinFrames = 40;

} // namespace

// The pictures as the program reads them: through Qt's own readers, from the files scripts/render-assets
// writes.
class TestAssets : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void animation();
    void picture_data();
    void picture();
};

void TestAssets::animation()
{
    QFile file(DavrinPath);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName() + u": "_qs + file.errorString()));
    const QByteArray bytes = file.readAll();
    // What stricter decoders than Qt's need too: a 256-colour table for all frames, the block that makes it
    // loop forever straight after it, and the trailer.
    QVERIFY(bytes.startsWith("GIF89a"));
    QCOMPARE(quint8(bytes.at(10)) & 0x87, 0x87);
    QCOMPARE(bytes.mid(13 + 3 * 256, 19), QByteArray("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19));
    QVERIFY(bytes.endsWith(';'));

    QMovie movie(DavrinPath);
    QVERIFY(movie.isValid());
    QCOMPARE(movie.frameCount(), DavrinFrames);
    QCOMPARE(movie.loopCount(), -1);

    // QMovie's own delay counts down in real time; the reader gives each frame's stored delay.
    QImageReader reader(DavrinPath);
    QList<QImage> frames;
    for (int i = 0; i < DavrinFrames; ++i) {
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(u"frame %1: %2"_qs.arg(i).arg(reader.errorString())));
        QCOMPARE(reader.nextImageDelay(), 60);
        QCOMPARE(image.size(), QSize(90, 28));
        // The corner is always background: it must come out see-through, not in the key colour.
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        frames.append(image);
    }
    QVERIFY(reader.read().isNull());
    QVERIFY2(
        std::any_of(frames.cbegin(), frames.cend(), [&](const QImage &f) { return f != frames.first(); }),
        "all frames are the same picture");
}

void TestAssets::picture_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("onButtonFace");

    // Each picture also at twice its size, for screens with two device pixels to the pixel.
    for (const int scale : {1, 2}) {
        const auto row = [scale](const char *tag, const char *name, QSize size, bool onButtonFace) {
            const QString suffix = scale == 1 ? QString() : QStringLiteral("@2x");
            QTest::addRow("%s, %dx", tag, scale)
                << QLatin1String(name) + suffix + QLatin1String(".png") << size * scale << onButtonFace;
        };
        row("form icon", "form1-icon", QSize(48, 48), false);
        row("banner", "banner", QSize(297, 54), false);
        row("download", "download", QSize(32, 32), true);
        row("cancel", "cancel", QSize(32, 32), true);
        row("about", "about", QSize(32, 32), true);
        row("exit", "exit", QSize(32, 32), true);
        row("about close", "about-close", QSize(32, 32), true);
    }
}

void TestAssets::picture()
{
    QFETCH(QString, file);
    QFETCH(QSize, size);
    QFETCH(bool, onButtonFace);

    const QImage image(AssetsDir + QLatin1Char('/') + file);
    QVERIFY2(!image.isNull(), qPrintable(file));
    QCOMPARE(image.size(), size);
    QVERIFY(!image.hasAlphaChannel());

    if (onButtonFace) {
        // Without alpha the icon's square is drawn as is, so it has to match the face exactly.
        const QColor face(0xEC, 0xE9, 0xD8);
        const int right = image.width() - 1;
        const int bottom = image.height() - 1;
        for (const QPoint corner : {QPoint(0, 0), QPoint(right, 0), QPoint(0, bottom), QPoint(right, bottom)})
            QCOMPARE(image.pixelColor(corner), face);
    }
}

QTEST_MAIN(TestAssets)
#include "tst_assets.moc"
