#include "catalog/toolcatalog.h"

#include <QTest>

#include <iterator>

namespace {

struct ExpectedEntry
{
    const char *name;
    bool listed;
    const char *key;
};

// The whole catalog as it must be, in order from position 1: every expectation of its data is here.
// Names and keys are independent (entry 1 shows V1.41 while its slug says v1.30).
constexpr ExpectedEntry expectedEntries[] = {
    {"VORN Tandem Loader V1.41", true, "218:vorn-tandem-loader-v1.30"},
    {"Vorn Scanner V1.40", true, "217:vorn-scanner-v1.40"},
    {"VORN Relay File Editor V1.0", true, "270:vorn-relay-file-editor-v1.0"},
    {"VORN K4 Plus PC List Editor V2_0", true, "235:vorn-k4-plus-pc-list-editor-v2_0"},
    {"VORN Delta PC List Editor V2_0", true, "236:vorn-delta-pc-list-editor-v2_0"},
    {"VORN K3-K4 PC List Editor V2_0", false, "234:vorn-k3-k4-pc-list-editor-v2_0"},
    {"VORN K5-K6 PC List Editor V2_0", true, "233:vorn-k5_k6-pc-list-editor-v2_0"},
    {"VORN R1_xx to R2_xx DataBase Converter v1_0", true, "222:vorn-r1_xx-to-r2_xx-database-converter-v1_0"},
    {"VORN PC Code Editor 1.47", true, "231:vorn-pc-code-editor-1.47"},
    {"VORN Rescue Utility 2", true, "7:vorn-rescue-utility-2"},
    {"Vorn Link Tool v1.00", true, "11:vorn-link-tool-beta2"},
};

} // namespace

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
    QStringList expected;
    for (const ExpectedEntry &entry : expectedEntries) {
        if (entry.listed)
            expected.append(QString::fromUtf8(entry.name));
    }
    QCOMPARE(ToolCatalog::count(), int(std::size(expectedEntries)));
    QCOMPARE(ToolCatalog::listedNames(), expected);
}

void TestToolCatalog::entries_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("listed");
    QTest::addColumn<QString>("key");

    int position = 0;
    for (const ExpectedEntry &entry : expectedEntries) {
        ++position;
        QTest::addRow("%d", position)
            << position << QString::fromUtf8(entry.name) << entry.listed << QString::fromUtf8(entry.key);
    }
}

void TestToolCatalog::entries()
{
    QFETCH(int, position);
    QFETCH(QString, name);
    QFETCH(bool, listed);
    QFETCH(QString, key);

    QCOMPARE(ToolCatalog::displayName(position), name);
    QCOMPARE(ToolCatalog::entries().at(position - 1).listed, listed);
    QCOMPARE(ToolCatalog::entries().at(position - 1).downloadKey, key);
    QCOMPARE(ToolCatalog::fileName(position), QLatin1Char('\\') + name + QLatin1String(".rar"));
    QCOMPARE(ToolCatalog::url(position),
        QLatin1String("http://downloads.vorn.example/index.php?option=com_phocadownload&view=category"
                      "&id=3:v.o.r.n-tools&download=")
            + key + QLatin1String("&Itemid=10"));
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
