#include "toolcatalog.h"

namespace {

struct Row
{
    const char16_t *displayName;
    bool listed;
    const char16_t *downloadKey;
};

// Display names and keys are independent: entry 1 shows V1.41 while its slug says v1.30.
constexpr Row rows[] = {
    {u"VORN Tandem Loader V1.41", true, u"218:vorn-tandem-loader-v1.30"},
    {u"Vorn Scanner V1.40", true, u"217:vorn-scanner-v1.40"},
    {u"VORN Relay File Editor V1.0", true, u"270:vorn-relay-file-editor-v1.0"},
    {u"VORN K4 Plus PC List Editor V2_0", true, u"235:vorn-k4-plus-pc-list-editor-v2_0"},
    {u"VORN Delta PC List Editor V2_0", true, u"236:vorn-delta-pc-list-editor-v2_0"},
    {u"VORN K3-K4 PC List Editor V2_0", false, u"234:vorn-k3-k4-pc-list-editor-v2_0"},
    {u"VORN K5-K6 PC List Editor V2_0", true, u"233:vorn-k5_k6-pc-list-editor-v2_0"},
    {u"VORN R1_xx to R2_xx DataBase Converter v1_0", true,
        u"222:vorn-r1_xx-to-r2_xx-database-converter-v1_0"},
    {u"VORN PC Code Editor 1.47", true, u"231:vorn-pc-code-editor-1.47"},
    {u"VORN Rescue Utility 2", true, u"7:vorn-rescue-utility-2"},
    {u"Vorn Link Tool v1.00", true, u"11:vorn-link-tool-beta2"},
};

QList<CatalogEntry> buildEntries()
{
    const QString prefix = QLatin1String("http://") + ToolCatalog::serverHost
        + QLatin1String("/index.php?option=com_phocadownload&view=category&id=3:v.o.r.n-tools&download=");
    QList<CatalogEntry> entries;
    entries.reserve(std::size(rows));
    for (const Row &row : rows) {
        const QString name = QString::fromUtf16(row.displayName);
        const QString key = QString::fromUtf16(row.downloadKey);
        entries.append({name, row.listed, key, QLatin1Char('\\') + name + QLatin1String(".rar"),
            prefix + key + QLatin1String("&Itemid=10")});
    }
    return entries;
}

} // namespace

const QList<CatalogEntry> &ToolCatalog::entries()
{
    static const QList<CatalogEntry> table = buildEntries();
    return table;
}

int ToolCatalog::count()
{
    return int(entries().size());
}

QStringList ToolCatalog::listedNames()
{
    QStringList names;
    for (const CatalogEntry &entry : entries()) {
        if (entry.listed)
            names.append(entry.displayName);
    }
    return names;
}

const CatalogEntry &ToolCatalog::at(int position)
{
    Q_ASSERT(position >= 1 && position <= count());
    return entries().at(position - 1);
}

QString ToolCatalog::displayName(int position)
{
    return at(position).displayName;
}

QString ToolCatalog::url(int position)
{
    return at(position).url;
}

QString ToolCatalog::fileName(int position)
{
    return at(position).fileName;
}

QString ToolCatalog::destinationPath(const QString &folder, int position)
{
    // The catalog's file name starts with the Windows separator; here the folder and the name proper join
    // with "/". Joined with an empty folder the name stays on its own, as QDir joins it: no folder is not the
    // root.
    const QString name = at(position).fileName.mid(1);
    return folder.isEmpty() ? name : folder + QLatin1Char('/') + name;
}
