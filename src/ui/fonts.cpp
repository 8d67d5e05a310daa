#include "fonts.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QScreen>

#include <algorithm>

Q_LOGGING_CATEGORY(lcFonts, "vorn.fonts", QtInfoMsg)

namespace Fonts {

namespace {

// Whether every screen has one device pixel to the pixel.
bool unscaled()
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    return std::all_of(screens.begin(), screens.end(),
        [](const QScreen *screen) { return qFuzzyCompare(screen->devicePixelRatio(), 1.0); });
}

} // namespace

void install()
{
    // Wine's MS Sans Serif holds bitmaps of a few pixel sizes only. Drawn on a scaled screen, Qt sets its
    // small glyphs at the scaled places, far apart; there the metric-compatible scalable face stands in.
    QStringList wineFonts{QStringLiteral("tahoma.ttf"), QStringLiteral("tahomabd.ttf")};
    if (unscaled())
        wineFonts << QStringLiteral("ms_sans_serif.ttf");
    for (const QString &name : std::as_const(wineFonts)) {
        const QString path = QLatin1String("/usr/share/wine/fonts/") + name;
        if (QFile::exists(path) && QFontDatabase::addApplicationFont(path) < 0)
            qCWarning(lcFonts) << "could not load" << path;
    }
    // Fall-backs for names no installed font carries.
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("NSimSun"), QStringLiteral("AR PL UMing CN"));
    // The narrow face a text too wide for its box is drawn in (TextFit).
    QFont::insertSubstitutions(QStringLiteral("Arial Narrow"),
        {QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Nimbus Sans Narrow")});
}

} // namespace Fonts
