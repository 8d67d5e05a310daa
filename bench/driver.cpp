// One press of the Download button in the real main window (offscreen), for bench/run to time from
// outside. It sets up exactly as the program does, so it reaches the server through http_proxy.
//   bench_driver <position> <folder>   downloads that catalog entry into folder; status 0 when complete

#include "catalog/toolcatalog.h"
#include "controls/xpbutton.h"
#include "controls/xpcombobox.h"
#include "ui/application.h"
#include "ui/form1.h"
#include "wording/failuremessage.h"

#include <QApplication>
#include <QTextStream>

#include <cstdio>
#include <optional>

int main(int argc, char **argv)
{
    const int position = QByteArray(argc == 3 ? argv[1] : "0").toInt();
    QTextStream err(stderr);
    if (position < 1 || position > ToolCatalog::count()) {
        err << "usage: bench_driver <position 1-" << ToolCatalog::count() << "> <folder>\n";
        return 2;
    }

    qputenv("QT_QPA_PLATFORM", "offscreen");
    Application::beforeApplication();
    QApplication app(argc, argv);
    Application::setUp();

    const QString folder = QString::fromLocal8Bit(argv[2]);
    Form1 form(folder);
    form.show();
    QCoreApplication::processEvents();
    const QString name = ToolCatalog::displayName(position);
    form.Combo1->setCurrentIndex(form.Combo1->findText(name));

    std::optional<TransferResult> result;
    QObject::connect(&form.commands(), &DownloadCommands::transferFinished, &form,
        [&result](const QString &, const TransferResult &finished) { result = finished; });
    form.xpButton4->click();
    if (!result || result->outcome != TransferResult::Outcome::Complete) {
        err << "bench_driver: "
            << (result ? FailureMessage::text(name, *result)
                       : QStringLiteral("nothing was downloaded"))
            << '\n';
        return 1;
    }
    return 0;
}
