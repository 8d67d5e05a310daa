#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One tool the program can fetch.
struct CatalogEntry
{
    QString displayName; // shown in the tool list and compared with its text, exactly
    bool listed = true; // whether the tool list offers it
    QString downloadKey; // server-side file number, a colon and a slug
    QString fileName; // a backslash, then the display name and ".rar"
    QString url; // the whole URL that is requested
};

// The fixed table of everything the program can download. Positions run from 1 to count().
class ToolCatalog final
{
public:
    // The download server; the one place its host name is written.
    static constexpr QLatin1StringView serverHost{"downloads.vorn.example"};

    static const QList<CatalogEntry> &entries();
    static int count();
    static QStringList listedNames();

    static QString displayName(int position);
    static QString url(int position);
    static QString fileName(int position);

    // The program's folder joined with the name proper (the file name without its leading backslash);
    // the name proper alone when the folder is unknown (empty).
    static QString destinationPath(const QString &folder, int position);

private:
    static const CatalogEntry &at(int position);
};
