#include "fonts.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcFonts, "vorn.fonts", QtInfoMsg)

namespace Fonts {

void install()
{
    static const char *const wineFonts[] = {"tahoma.ttf", "tahomabd.ttf", "ms_sans_serif.ttf"};
    for (const char *name : wineFonts) {
        const QString path = QLatin1String("/usr/share/wine/fonts/") + QLatin1String(name);
        if (QFile::exists(path) && QFontDatabase::addApplicationFont(path) < 0)
            qCWarning(lcFonts) << "could not load" << path;
    }
    // Fall-backs for names no installed font carries.
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("NSimSun"), QStringLiteral("AR PL UMing CN"));
}

} // namespace Fonts
