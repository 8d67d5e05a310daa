// Where the controls of one of the program's windows sit, for tests that click them from outside.
//
//   vorn-control-rects Form1|frmAbout
//
// Builds the window as the program does and prints one line per named control:
// "<name> <x> <y> <width> <height>", in device pixels of the window's client area at the scale the
// program would run with (QT_SCALE_FACTOR applies), so nothing outside the window repeats its layout.
#include "ui/application.h"
#include "ui/form1.h"
#include "ui/frmabout.h"

#include <QApplication>
#include <QDir>

#include <cmath>
#include <cstdio>
#include <memory>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Application::setUp();
    const QStringList arguments = QCoreApplication::arguments();
    const QString name = arguments.value(1);
    std::unique_ptr<QWidget> window;
    if (name == QLatin1String("Form1"))
        window = std::make_unique<Form1>(QDir::tempPath());
    else if (name == QLatin1String("frmAbout"))
        window = std::make_unique<FrmAbout>();
    if (!window) {
        std::fprintf(stderr, "usage: vorn-control-rects Form1|frmAbout\n");
        return 2;
    }
    window->show();
    const qreal ratio = window->devicePixelRatioF();
    const auto device = [ratio](int logical) { return int(std::lround(logical * ratio)); };
    const QList<QWidget *> children = window->findChildren<QWidget *>();
    for (const QWidget *child : children) {
        if (child->window() != window.get() || child->objectName().isEmpty()
            || child->objectName().startsWith(QLatin1String("qt_")))
            continue;
        const QRect rect(child->mapTo(window.get(), QPoint()), child->size());
        std::printf("%s %d %d %d %d\n", qPrintable(child->objectName()), device(rect.x()), device(rect.y()),
            device(rect.width()), device(rect.height()));
    }
    return 0;
}
