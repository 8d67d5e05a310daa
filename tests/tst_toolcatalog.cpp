#include "catalog/toolcatalog.h"

#include <QTest>

class TestToolCatalog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void listedNamesInOrder();
    void entries_data();
    void entries();
    void lowerCaseNameMatchesNothing();
    void destinationJoinsWithSlash();
};

void TestToolCatalog::listedNamesInOrder()
{
    const QStringList expected = {
        QStringLiteral("VORN Tandem Loader V1.41"),
        QStringLiteral("Vorn Scanner V1.40"),
        QStringLiteral("VORN Relay File Editor V1.0"),
        QStringLiteral("VORN K4 Plus PC List Editor V2_0"),
        QStringLiteral("VORN Delta PC List Editor V2_0"),
        QStringLiteral("VORN K5-K6 PC List Editor V2_0"),
        QStringLiteral("VORN R1_xx to R2_xx DataBase Converter v1_0"),
        QStringLiteral("VORN PC Code Editor 1.47"),
        QStringLiteral("VORN Rescue Utility 2"),
        QStringLiteral("Vorn Link Tool v1.00"),
    };
    QCOMPARE(ToolCatalog::listedNames(), expected);
}

void TestToolCatalog::entries_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("listed");
    QTest::addColumn<QString>("key");

    const auto row = [](int position, const char *name, bool listed, const char *key) {
        QTest::addRow("%d", position)
            << position << QString::fromUtf8(name) << listed << QString::fromUtf8(key);
    };
    row(1, "VORN Tandem Loader V1.41", true, "218:vorn-tandem-loader-v1.30");
    row(2, "Vorn Scanner V1.40", true, "217:vorn-scanner-v1.40");
    row(3, "VORN Relay File Editor V1.0", true, "270:vorn-relay-file-editor-v1.0");
    row(4, "VORN K4 Plus PC List Editor V2_0", true, "235:vorn-k4-plus-pc-list-editor-v2_0");
    row(5, "VORN Delta PC List Editor V2_0", true, "236:vorn-delta-pc-list-editor-v2_0");
    row(6, "VORN K3-K4 PC List Editor V2_0", false, "234:vorn-k3-k4-pc-list-editor-v2_0");
    row(7, "VORN K5-K6 PC List Editor V2_0", true, "233:vorn-k5_k6-pc-list-editor-v2_0");
    row(8, "VORN R1_xx to R2_xx DataBase Converter v1_0", true,
        "222:vorn-r1_xx-to-r2_xx-database-converter-v1_0");
    row(9, "VORN PC Code Editor 1.47", true, "231:vorn-pc-code-editor-1.47");
    row(10, "VORN Rescue Utility 2", true, "7:vorn-rescue-utility-2");
    row(11, "Vorn Link Tool v1.00", true, "11:vorn-link-tool-beta2");
}

void TestToolCatalog::entries()
{
    QFETCH(int, position);
    QFETCH(QString, name);
    QFETCH(bool, listed);
    QFETCH(QString, key);

    QCOMPARE(ToolCatalog::count(), 11);
    QCOMPARE(ToolCatalog::displayName(position), name);
    QCOMPARE(ToolCatalog::entries().at(position - 1).listed, listed);
    QCOMPARE(ToolCatalog::fileName(position), QLatin1Char('\\') + name + QLatin1String(".rar"));
    QCOMPARE(ToolCatalog::url(position),
        QLatin1String("http://downloads.vorn.example/index.php?option=com_phocadownload&view=category"
                      "&id=3:v.o.r.n-tools&download=")
            + key + QLatin1String("&Itemid=10"));
}

void TestToolCatalog::lowerCaseNameMatchesNothing()
{
    const QString lower = ToolCatalog::displayName(2).toLower();
    for (const CatalogEntry &entry : ToolCatalog::entries())
        QVERIFY(entry.displayName != lower);
}

void TestToolCatalog::destinationJoinsWithSlash()
{
    QCOMPARE(ToolCatalog::destinationPath(QStringLiteral("/opt/vorn"), 1),
        QStringLiteral("/opt/vorn/VORN Tandem Loader V1.41.rar"));
    QCOMPARE(ToolCatalog::destinationPath(QStringLiteral("/opt/vorn"), 6),
        QStringLiteral("/opt/vorn/VORN K3-K4 PC List Editor V2_0.rar"));
}

QTEST_APPLESS_MAIN(TestToolCatalog)
#include "tst_toolcatalog.moc"
