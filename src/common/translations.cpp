#include "translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace Translations {

namespace {

QPointer<QTranslator> own;
QPointer<QTranslator> qts;

void replace(QPointer<QTranslator> &slot, const QLocale &locale, const QString &name, const QString &folder)
{
    delete slot;
    slot = new QTranslator(QCoreApplication::instance());
    if (!slot->load(locale, name, QStringLiteral("_"), folder) || !QCoreApplication::installTranslator(slot))
        delete slot;
}

} // namespace

void install(const QLocale &locale)
{
    replace(own, locale, QStringLiteral("vorn"), QStringLiteral(":/vorn/translations"));
    replace(qts, locale, QStringLiteral("qtbase"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

} // namespace Translations
