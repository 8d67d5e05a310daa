#include "davrin.h"

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QSaveFile>

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

namespace {

constexpr int Width = 90;
constexpr int Height = 28;
constexpr int FrameCount = 40;
constexpr int DelayCentiseconds = 6;
constexpr int TransparentIndex = 255;

constexpr int Cell = 3;
constexpr int LetterGap = 2;
constexpr int RestTop = 6;
constexpr int MaxLift = 5;
// Hops overlap so the wave rolls across; the last hop lands a few frames before
// the loop restarts, which gives the word a short rest.
constexpr int HopFrames = 12;
constexpr int HopSpacing = 5;

struct Glyph
{
    int columns;
    std::array<const char *, 7> rows;
};

const std::array<Glyph, 6> Letters = {{
    {4, {"###.", "#..#", "#..#", "#..#", "#..#", "#..#", "###."}},
    {4, {".##.", "#..#", "#..#", "####", "#..#", "#..#", "#..#"}},
    {5, {"#...#", "#...#", "#...#", "#...#", ".#.#.", ".#.#.", "..#.."}},
    {4, {"###.", "#..#", "#..#", "###.", "#.#.", "#..#", "#..#"}},
    {3, {"###", ".#.", ".#.", ".#.", ".#.", ".#.", "###"}},
    {5, {"#...#", "##..#", "##..#", "#.#.#", "#..##", "#..##", "#...#"}},
}};

// One ramp from soot through red and orange to white carries every colour the title
// uses, so 255 entries give steps too small to see and quantising never shifts a hue.
QRgb fire(double t)
{
    struct Stop
    {
        double at;
        double r, g, b;
    };
    static constexpr Stop stops[] = {
        {0.00, 24, 10, 8},
        {0.22, 112, 18, 10},
        {0.42, 198, 40, 12},
        {0.60, 240, 112, 20},
        {0.78, 255, 196, 48},
        {0.92, 255, 240, 150},
        {1.00, 255, 255, 255},
    };
    t = std::clamp(t, 0.0, 1.0);
    for (size_t i = 1; i < std::size(stops); ++i) {
        const Stop &a = stops[i - 1];
        const Stop &b = stops[i];
        if (t <= b.at) {
            const double k = (t - a.at) / (b.at - a.at);
            return qRgb(int(std::lround(a.r + (b.r - a.r) * k)), int(std::lround(a.g + (b.g - a.g) * k)),
                int(std::lround(a.b + (b.b - a.b) * k)));
        }
    }
    return qRgb(255, 255, 255);
}

std::array<QRgb, 256> palette()
{
    std::array<QRgb, 256> colours{};
    for (int i = 0; i < TransparentIndex; ++i)
        colours[i] = fire(i / double(TransparentIndex - 1));
    // A viewer that ignores transparency shows this; make it the dialog face.
    colours[TransparentIndex] = qRgb(0xEC, 0xE9, 0xD8);
    return colours;
}

QColor shade(double t)
{
    return QColor::fromRgb(fire(t));
}

QImage drawFrame(int frame)
{
    QImage image(Width, Height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);

    struct Placed
    {
        const Glyph *glyph;
        int left;
        int top;
        double glow;
    };
    std::vector<Placed> placed;
    int textWidth = -LetterGap;
    for (const Glyph &g : Letters)
        textWidth += g.columns * Cell + LetterGap;
    int left = (Width - textWidth) / 2;
    for (size_t i = 0; i < Letters.size(); ++i) {
        const int sinceStart = (frame - int(i) * HopSpacing + FrameCount) % FrameCount;
        const double hop = sinceStart < HopFrames ? std::sin(std::numbers::pi * sinceStart / HopFrames) : 0.0;
        placed.push_back({&Letters[i], left, RestTop - int(std::lround(MaxLift * hop)), hop});
        left += Letters[i].columns * Cell + LetterGap;
    }

    auto forEachBlock = [&](auto &&paint) {
        for (const Placed &p : placed)
            for (int row = 0; row < 7; ++row)
                for (int col = 0; col < p.glyph->columns; ++col)
                    if (p.glyph->rows[row][col] == '#')
                        paint(p, row, col);
    };

    // No antialiasing anywhere: GIF transparency is all or nothing, so soft edges would fringe.
    QPainter painter(&image);
    const QColor outline = shade(0.03);
    forEachBlock([&](const Placed &p, int row, int col) {
        painter.fillRect(p.left + col * Cell - 1, p.top + row * Cell - 1, Cell + 2, Cell + 2, outline);
    });
    forEachBlock([&](const Placed &p, int row, int col) {
        auto inked = [&](int r, int c) {
            return r >= 0 && r < 7 && c >= 0 && c < p.glyph->columns && p.glyph->rows[r][c] == '#';
        };
        for (int dy = 0; dy < Cell; ++dy) {
            for (int dx = 0; dx < Cell; ++dx) {
                const int y = row * Cell + dy;
                double t = 0.44 + 0.30 * (1.0 - y / (7.0 * Cell - 1)) + 0.20 * p.glow;
                if ((dy == 0 && !inked(row - 1, col)) || (dx == 0 && !inked(row, col - 1)))
                    t += 0.14;
                else if ((dy == Cell - 1 && !inked(row + 1, col)) || (dx == Cell - 1 && !inked(row, col + 1)))
                    t -= 0.14;
                painter.fillRect(p.left + col * Cell + dx, p.top + y, 1, 1, shade(t));
            }
        }
    });
    painter.end();
    return image;
}

std::vector<GifPixelType> quantise(const QImage &image, const std::array<QRgb, 256> &colours)
{
    QHash<QRgb, GifPixelType> nearest;
    std::vector<GifPixelType> indices;
    indices.reserve(size_t(Width) * Height);
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) < 128) {
                indices.push_back(TransparentIndex);
                continue;
            }
            auto found = nearest.constFind(pixel);
            if (found == nearest.constEnd()) {
                int best = 0;
                int bestDistance = INT_MAX;
                for (int i = 0; i < TransparentIndex; ++i) {
                    const int dr = qRed(pixel) - qRed(colours[i]);
                    const int dg = qGreen(pixel) - qGreen(colours[i]);
                    const int db = qBlue(pixel) - qBlue(colours[i]);
                    const int distance = dr * dr + dg * dg + db * db;
                    if (distance < bestDistance) {
                        best = i;
                        bestDistance = distance;
                    }
                }
                found = nearest.insert(pixel, GifPixelType(best));
            }
            indices.push_back(*found);
        }
    }
    return indices;
}

int appendToBuffer(GifFileType *gif, const GifByteType *data, int length)
{
    static_cast<QByteArray *>(gif->UserData)->append(reinterpret_cast<const char *>(data), length);
    return length;
}

QString giflibError(int code)
{
    const char *text = GifErrorString(code);
    return QStringLiteral("giflib: %1").arg(text ? QString::fromUtf8(text) : QString::number(code));
}

struct MapDeleter
{
    void operator()(ColorMapObject *map) const { GifFreeMapObject(map); }
};

} // namespace

QString writeDavrinGif(const QString &path)
{
    const std::array<QRgb, 256> colours = palette();
    std::array<GifColorType, 256> table{};
    for (size_t i = 0; i < colours.size(); ++i)
        table[i] = {
            GifByteType(qRed(colours[i])), GifByteType(qGreen(colours[i])), GifByteType(qBlue(colours[i]))};
    const std::unique_ptr<ColorMapObject, MapDeleter> map(GifMakeMapObject(int(table.size()), table.data()));

    QByteArray bytes;
    int error = 0;
    GifFileType *gif = EGifOpen(&bytes, appendToBuffer, &error);
    if (!gif)
        return giflibError(error);

    // giflib writes GIF87a unless told otherwise, and 87a has no transparency or looping.
    EGifSetGifVersion(gif, true);
    bool ok = map && EGifPutScreenDesc(gif, Width, Height, 8, TransparentIndex, map.get()) == GIF_OK;

    static const GifByteType loopForever[] = {1, 0, 0};
    ok = ok && EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK
        && EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0") == GIF_OK
        && EGifPutExtensionBlock(gif, sizeof loopForever, loopForever) == GIF_OK
        && EGifPutExtensionTrailer(gif) == GIF_OK;

    // Clearing to the background after each frame keeps a lifted letter from leaving a trail.
    const GraphicsControlBlock control{DISPOSE_BACKGROUND, false, DelayCentiseconds, TransparentIndex};
    GifByteType controlBytes[4];
    EGifGCBToExtension(&control, controlBytes);

    for (int frame = 0; ok && frame < FrameCount; ++frame) {
        std::vector<GifPixelType> pixels = quantise(drawFrame(frame), colours);
        ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, sizeof controlBytes, controlBytes) == GIF_OK
            && EGifPutImageDesc(gif, 0, 0, Width, Height, false, nullptr) == GIF_OK;
        for (int y = 0; ok && y < Height; ++y)
            ok = EGifPutLine(gif, pixels.data() + size_t(y) * Width, Width) == GIF_OK;
    }
    const int writeError = gif->Error;
    const bool closed = EGifCloseFile(gif, &error) == GIF_OK;
    if (!ok || !closed)
        return giflibError(ok ? error : writeError);

    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        return QStringLiteral("%1: %2").arg(path, out.errorString());
    return {};
}
