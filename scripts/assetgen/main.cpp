#include "davrin.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

namespace {

struct Picture
{
    const char *name;
    int width;
    int height;
};

// The buttons' flat inner face; the small icons are baked onto it because the PNGs carry no alpha.
constexpr QRgb ButtonFace = 0xFFECE9D8;

constexpr Picture Pictures[] = {
    {"form1-icon", 48, 48},
    {"banner", 297, 54},
    {"download", 32, 32},
    {"cancel", 32, 32},
    {"about", 32, 32},
    {"exit", 32, 32},
    {"about-close", 32, 32},
};

// Renders one picture at `scale` times its size; beside the 1x file, "@2x" names the doubled one, which
// Qt picks on screens with two device pixels to the pixel.
QString render(const QDir &assets, const Picture &picture, int scale)
{
    const QString source = assets.filePath(QStringLiteral("src/%1.svg").arg(QLatin1String(picture.name)));
    QSvgRenderer svg(source);
    if (!svg.isValid())
        return QStringLiteral("%1: cannot read the SVG").arg(source);
    // The drawings are laid out on their final pixel grid; scaling would blur every edge.
    if (svg.viewBox() != QRect(0, 0, picture.width, picture.height))
        return QStringLiteral("%1: view box must be 0 0 %2 %3")
            .arg(source)
            .arg(picture.width)
            .arg(picture.height);

    QImage image(picture.width * scale, picture.height * scale, QImage::Format_RGB32);
    // Otherwise the PNG's resolution chunk follows whatever screen Qt found, and the bytes change.
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    image.fill(ButtonFace);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter);
    }
    const QString suffix = scale == 1 ? QString() : QStringLiteral("@%1x").arg(scale);
    const QString target
        = assets.filePath(QStringLiteral("%1%2.png").arg(QLatin1String(picture.name), suffix));
    if (!image.convertToFormat(QImage::Format_RGB888).save(target, "PNG"))
        return QStringLiteral("%1: cannot write").arg(target);
    return {};
}

} // namespace

int main(int argc, char **argv)
{
    // It runs from scripts and CI where there is no display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(
            stderr, "usage: assetgen ASSETS_DIR  (reads ASSETS_DIR/src/*.svg, writes ASSETS_DIR/*)\n");
        return 2;
    }
    const QDir assets(args.at(1));

    QStringList errors;
    for (const Picture &picture : Pictures) {
        for (const int scale : {1, 2}) {
            const QString error = render(assets, picture, scale);
            if (!error.isEmpty())
                errors << error;
        }
    }
    const QString error = writeDavrinGif(assets.filePath(QStringLiteral("davrin.gif")));
    if (!error.isEmpty())
        errors << error;

    for (const QString &e : errors)
        std::fprintf(stderr, "assetgen: %s\n", qPrintable(e));
    return errors.isEmpty() ? 0 : 1;
}
