// The program's own catalog, for the scripts that need its keys and names (scripts/demo-server, the
// end-to-end scenarios, bench/run), so none of them types the table again.
//
//   vorn-catalog
//
// Prints one line per entry, in catalog order, fields separated by tabs:
// "<position> <listed 1|0> <download key> <file name proper> <display name> <URL>". The file name
// proper is the name the archive gets on disk, without the stored leading backslash. Names hold
// spaces, so a reader splits on tabs only (bash: IFS=$'\t' read -r ...); no field is empty or holds a
// tab or a line break, or nothing is printed and the status is 1.
#include "catalog/toolcatalog.h"

#include <QTextStream>

#include <algorithm>

namespace {

bool fitsOnTheLine(const QString &field)
{
    return !field.isEmpty() && std::none_of(field.cbegin(), field.cend(), [](QChar c) {
        return c.category() == QChar::Other_Control;
    });
}

} // namespace

int main()
{
    QString out;
    for (int position = 1; position <= ToolCatalog::count(); ++position) {
        const CatalogEntry &entry = ToolCatalog::entries().at(position - 1);
        const QStringList fields = {QString::number(position),
            entry.listed ? QStringLiteral("1") : QStringLiteral("0"), entry.downloadKey,
            ToolCatalog::destinationPath(QString(), position), entry.displayName, entry.url};
        if (!std::all_of(fields.cbegin(), fields.cend(), fitsOnTheLine)) {
            QTextStream(stderr) << "vorn-catalog: entry " << position
                                << " has an empty field or a control character\n";
            return 1;
        }
        out += fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    QTextStream(stdout) << out;
    return 0;
}
