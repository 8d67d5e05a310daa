// Where the controls of one of the program's windows sit, for tests that click them from outside.
//
//   vorn-control-rects [--full] Form1|frmAbout
//
// Builds the window as the program does and prints one line per named control:
// "<name> <x> <y> <width> <height>", in device pixels of the window's client area at the scale the
// program would run with (QT_SCALE_FACTOR applies), so nothing outside the window repeats its layout.
// With --full each line goes on with the control's own font, whether it shows, and its text:
// "| MS Sans Serif 9.75 bold | shown | "Time : ="", which tests compare with windows.expected.
#include "support/showntext.h"
#include "ui/application.h"
#include "ui/form1.h"
#include "ui/frmabout.h"

#include <QApplication>
#include <QDir>

#include <cmath>
#include <cstdio>
#include <memory>

namespace {

// The face a control was given, not what the machine's fonts made of it.
QString fontAndText(const QWidget *widget, const QWidget *window)
{
    QString face = QStringLiteral("-");
    if (widget->testAttribute(Qt::WA_SetFont)) {
        const QFont &font = widget->font();
        face = font.family() + QLatin1Char(' ') + QString::number(font.pointSizeF())
            + (font.bold() ? QLatin1String(" bold") : QLatin1String());
    }
    return QStringLiteral(" | %1 | %2 | \"%3\"")
        .arg(face, widget->isVisibleTo(window) ? QLatin1String("shown") : QLatin1String("hidden"),
            shownText(widget));
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // As the program starts: without a named session bus, the window's desktop services must not have
    // libdbus launch one (dbus-launch), which would outlive this run.
    Application::beforeApplication();
    QApplication app(argc, argv);
    Application::setUp();
    QStringList arguments = QCoreApplication::arguments();
    const bool full = arguments.removeAll(QStringLiteral("--full")) > 0;
    const QString name = arguments.value(1);
    std::unique_ptr<QWidget> window;
    if (name == QLatin1String("Form1"))
        window = std::make_unique<Form1>(QDir::tempPath());
    else if (name == QLatin1String("frmAbout"))
        window = std::make_unique<FrmAbout>();
    if (!window) {
        std::fprintf(stderr, "usage: vorn-control-rects [--full] Form1|frmAbout\n");
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
        std::printf("%s %d %d %d %d%s\n", qPrintable(child->objectName()), device(rect.x()), device(rect.y()),
            device(rect.width()), device(rect.height()),
            full ? qPrintable(fontAndText(child, window.get())) : "");
    }
    return 0;
}
