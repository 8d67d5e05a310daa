#include "catalog/toolcatalog.h"

#include <QTest>

// The rules every entry obeys. The entries themselves, word for word, are catalog.expected's, compared
// whole with what vorn-catalog prints (CTest's catalog_listing).
class TestToolCatalog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void listedNamesInOrder();
    void entries_data();
    void entries();
    void lowerCaseNameMatchesNothing();
};

void TestToolCatalog::listedNamesInOrder()
{
    QStringList listed;
    for (const CatalogEntry &entry : ToolCatalog::entries()) {
        if (entry.listed)
            listed.append(entry.displayName);
    }
    QCOMPARE(ToolCatalog::count(), int(ToolCatalog::entries().size()));
    QCOMPARE(ToolCatalog::listedNames(), listed);
}

void TestToolCatalog::entries_data()
{
    QTest::addColumn<int>("position");
    for (int position = 1; position <= ToolCatalog::count(); ++position)
        QTest::addRow("%d", position) << position;
}

void TestToolCatalog::entries()
{
    QFETCH(int, position);
    const CatalogEntry &entry = ToolCatalog::entries().at(position - 1);
    const QString name = entry.displayName;

    QCOMPARE(ToolCatalog::displayName(position), name);
    // Neither its name nor its key is another entry's: a pick or a request would reach the wrong tool.
    for (int other = 1; other <= ToolCatalog::count(); ++other) {
        const CatalogEntry &them = ToolCatalog::entries().at(other - 1);
        QVERIFY(other == position || (them.displayName != name && them.downloadKey != entry.downloadKey));
    }
    QCOMPARE(ToolCatalog::fileName(position), QLatin1Char('\\') + name + QLatin1String(".rar"));
    QCOMPARE(ToolCatalog::url(position),
        QLatin1String("http://downloads.vorn.example/index.php?option=com_phocadownload&view=category"
                      "&id=3:v.o.r.n-tools&download=")
            + entry.downloadKey + QLatin1String("&Itemid=10"));
    // On disk the folder and the name proper join with "/"; without a folder the name proper stands alone.
    QCOMPARE(ToolCatalog::destinationPath(QStringLiteral("/opt/vorn"), position),
        QLatin1String("/opt/vorn/") + name + QLatin1String(".rar"));
    QCOMPARE(ToolCatalog::destinationPath(QString(), position), name + QLatin1String(".rar"));
}

void TestToolCatalog::lowerCaseNameMatchesNothing()
{
    const QString lower = ToolCatalog::displayName(2).toLower();
    for (const CatalogEntry &entry : ToolCatalog::entries())
        QVERIFY(entry.displayName != lower);
}

QTEST_APPLESS_MAIN(TestToolCatalog)
#include "tst_toolcatalog.moc"
