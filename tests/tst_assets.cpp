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

constexpr int DavrinWidth = 90;
constexpr int DavrinHeight = 28;
constexpr int DavrinFrames = 40;

struct GifFrame
{
    int left = -1;
    int top = -1;
    int width = 0;
    int height = 0;
    bool localColourTable = false;
    bool hasControl = false;
    int delay = -1;
    bool transparent = false;
    int transparentIndex = -1;
};

struct GifStream
{
    QByteArray signature;
    int width = 0;
    int height = 0;
    bool globalColourTable = false;
    int globalColourEntries = 0;
    int loopCount = -1;
    qsizetype framesBeforeLoopBlock = -1;
    QList<GifFrame> frames;
    bool endsWithTrailer = false;
};

// Walks the block structure by hand so the test sees exactly what a browser or an older decoder would,
// not what Qt's lenient reader makes of it. Empty when the stream holds together, else where it does not.
QString parseGif(const QByteArray &bytes, GifStream &gif)
{
    if (bytes.size() < 13)
        return QStringLiteral("file is only %1 bytes").arg(bytes.size());
    qsizetype pos = 6;
    bool truncated = false;
    const auto byte = [&]() -> int {
        truncated = truncated || pos >= bytes.size();
        return truncated ? 0 : quint8(bytes.at(pos++));
    };
    const auto word = [&] {
        const int low = byte();
        return low | (byte() << 8);
    };
    const auto skip = [&](qsizetype count) {
        truncated = truncated || pos + count > bytes.size();
        pos = std::min(pos + count, bytes.size());
    };
    const auto skipSubBlocks = [&] {
        for (int length = byte(); length != 0 && !truncated; length = byte())
            skip(length);
    };

    gif.signature = bytes.left(6);
    gif.width = word();
    gif.height = word();
    const int packed = byte();
    skip(2);
    gif.globalColourTable = packed & 0x80;
    gif.globalColourEntries = 2 << (packed & 0x07);
    if (gif.globalColourTable)
        skip(3 * gif.globalColourEntries);
    GifFrame control;
    while (!truncated && pos < bytes.size()) {
        const qsizetype blockStart = pos;
        const int introducer = byte();
        if (introducer == 0x3B) {
            gif.endsWithTrailer = pos == bytes.size();
            return {};
        }
        if (introducer == 0x2C) {
            GifFrame frame = std::exchange(control, {});
            frame.left = word();
            frame.top = word();
            frame.width = word();
            frame.height = word();
            const int imagePacked = byte();
            frame.localColourTable = imagePacked & 0x80;
            if (frame.localColourTable)
                skip(3 * (2 << (imagePacked & 0x07)));
            skip(1); // LZW minimum code size
            skipSubBlocks();
            gif.frames.append(frame);
        } else if (introducer != 0x21) {
            return QStringLiteral("unexpected byte 0x%1 at offset %2")
                .arg(introducer, 2, 16, QLatin1Char('0'))
                .arg(blockStart);
        } else if (const int label = byte(); label == 0xF9) {
            if (byte() != 4)
                return QStringLiteral("graphic control block at %1 is not 4 bytes").arg(blockStart);
            const int controlPacked = byte();
            control.hasControl = true;
            control.transparent = controlPacked & 0x01;
            control.delay = word();
            control.transparentIndex = byte();
            if (byte() != 0)
                return QStringLiteral("graphic control block at %1 is not terminated").arg(blockStart);
        } else {
            const int idLength = label == 0xFF ? byte() : 0;
            const QByteArray id = bytes.mid(pos, idLength);
            skip(idLength);
            if (id == "NETSCAPE2.0") {
                if (byte() != 3 || byte() != 1)
                    return QStringLiteral("malformed NETSCAPE2.0 block at %1").arg(blockStart);
                gif.loopCount = word();
                gif.framesBeforeLoopBlock = gif.frames.size();
            }
            skipSubBlocks();
        }
    }
    return truncated ? QStringLiteral("file ends inside a block at offset %1").arg(pos)
                     : QStringLiteral("no trailer after offset %1").arg(pos);
}

} // namespace

class TestAssets : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void gifScreen();
    void gifLoopsForever();
    void gifFrameCount();
    void gifFrame_data();
    void gifFrame();
    void gifEndsWithTrailer();
    void qtPlaysGif();
    void picture_data();
    void picture();

private:
    GifStream m_gif;
};

void TestAssets::initTestCase()
{
    QFile file(DavrinPath);
    QVERIFY2(file.open(QIODevice::ReadOnly),
        qPrintable(file.fileName() + QStringLiteral(": ") + file.errorString()));
    const QString error = parseGif(file.readAll(), m_gif);
    QVERIFY2(error.isEmpty(), qPrintable(error));
}

void TestAssets::gifScreen()
{
    QCOMPARE(m_gif.signature, QByteArray("GIF89a"));
    QCOMPARE(m_gif.width, DavrinWidth);
    QCOMPARE(m_gif.height, DavrinHeight);
    QVERIFY(m_gif.globalColourTable);
    QCOMPARE(m_gif.globalColourEntries, 256);
}

void TestAssets::gifLoopsForever()
{
    QVERIFY2(m_gif.loopCount >= 0, "no NETSCAPE2.0 block");
    QCOMPARE(m_gif.loopCount, 0);
    QCOMPARE(m_gif.framesBeforeLoopBlock, qsizetype(0));
}

void TestAssets::gifFrameCount()
{
    QCOMPARE(m_gif.frames.size(), DavrinFrames);
}

void TestAssets::gifFrame_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < DavrinFrames; ++i)
        QTest::addRow("frame %d", i) << i;
}

void TestAssets::gifFrame()
{
    QFETCH(int, index);
    QVERIFY2(index < m_gif.frames.size(), "frame missing");
    const GifFrame &frame = m_gif.frames.at(index);
    QCOMPARE(frame.left, 0);
    QCOMPARE(frame.top, 0);
    QCOMPARE(frame.width, DavrinWidth);
    QCOMPARE(frame.height, DavrinHeight);
    QVERIFY(!frame.localColourTable);
    QVERIFY2(frame.hasControl, "no graphic control block before the image");
    QCOMPARE(frame.delay, 6);
    QVERIFY(frame.transparent);
    QCOMPARE(frame.transparentIndex, 255);
}

void TestAssets::gifEndsWithTrailer()
{
    QVERIFY(m_gif.endsWithTrailer);
}

void TestAssets::qtPlaysGif()
{
    QMovie movie(DavrinPath);
    QVERIFY(movie.isValid());
    QCOMPARE(movie.frameCount(), DavrinFrames);
    QCOMPARE(movie.loopCount(), -1);

    // QMovie's own delay counts down in real time; the reader gives each frame's stored delay.
    QImageReader reader(DavrinPath);
    QList<QImage> frames;
    for (int i = 0; i < DavrinFrames; ++i) {
        const QImage image = reader.read();
        QVERIFY2(
            !image.isNull(), qPrintable(QStringLiteral("frame %1: %2").arg(i).arg(reader.errorString())));
        QCOMPARE(reader.nextImageDelay(), 60);
        QCOMPARE(image.size(), QSize(DavrinWidth, DavrinHeight));
        // The corner is always background: it must come out see-through, not in the key colour.
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        frames.append(image);
    }
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
