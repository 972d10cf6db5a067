#include "THV.h"
#include "THalvern.h"

#include <QMetaProperty>
#include <QPointer>
#include <QSqlDatabase>
#include <QTest>

using namespace Qt::StringLiterals;

class THalvernTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void publishedPropertiesInStoringOrder();
    void propertyValues_data();
    void propertyValues();
    void connectionIsKeptAsGiven();
    void privateStateAfterConstruction();
    void systemObjectIsOwned();
    void fontSizeLists();
    void databaseKindLetter_data();
    void databaseKindLetter();
};

void THalvernTest::publishedPropertiesInStoringOrder()
{
    THalvern component(nullptr, {});
    const QMetaObject* meta = component.metaObject();
    QStringList names;
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i)
        names << QString::fromLatin1(meta->property(i).name());
    QCOMPARE(names, QStringList({u"Sys_AdoConnection"_s, u"Sys_DatabaseClass"_s, u"Sys_AppPath"_s,
                                 u"Ini_IniFilePath"_s, u"Prt_PrinterIndex"_s, u"Prt_IsHorizontal"_s,
                                 u"Prt_PrinterFontSize"_s, u"Prt_PageWidth"_s, u"Prt_PageLines"_s,
                                 u"Prt_BlankLinesForEnter"_s, u"Prt_BlankLinesForEnd"_s}));
}

void THalvernTest::propertyValues_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("afterConstruction");
    QTest::addColumn<QVariant>("afterMainWindowLoaded");

    QTest::newRow("Sys_DatabaseClass") << "Sys_DatabaseClass"_ba << QVariant(u"access"_s) << QVariant(u"access"_s);
    QTest::newRow("Sys_AppPath") << "Sys_AppPath"_ba << QVariant(QString()) << QVariant(QString());
    QTest::newRow("Ini_IniFilePath") << "Ini_IniFilePath"_ba << QVariant(QString()) << QVariant(QString());
    QTest::newRow("Prt_PrinterIndex") << "Prt_PrinterIndex"_ba << QVariant(0) << QVariant(0);
    QTest::newRow("Prt_IsHorizontal") << "Prt_IsHorizontal"_ba << QVariant(false) << QVariant(false);
    QTest::newRow("Prt_PrinterFontSize") << "Prt_PrinterFontSize"_ba << QVariant(10) << QVariant(0);
    QTest::newRow("Prt_PageWidth") << "Prt_PageWidth"_ba << QVariant(20) << QVariant(0);
    QTest::newRow("Prt_PageLines") << "Prt_PageLines"_ba << QVariant(-1) << QVariant(0);
    QTest::newRow("Prt_BlankLinesForEnter") << "Prt_BlankLinesForEnter"_ba << QVariant(1) << QVariant(0);
    QTest::newRow("Prt_BlankLinesForEnd") << "Prt_BlankLinesForEnd"_ba << QVariant(3) << QVariant(0);
}

void THalvernTest::propertyValues()
{
    QFETCH(QByteArray, property);
    QFETCH(QVariant, afterConstruction);
    QFETCH(QVariant, afterMainWindowLoaded);

    THalvern component(nullptr, {});
    QCOMPARE(component.property(property.constData()), afterConstruction);
    applyMainWindowStoredValues(component);
    QCOMPARE(component.property(property.constData()), afterMainWindowLoaded);
}

void THalvernTest::connectionIsKeptAsGiven()
{
    QSqlDatabase connection;
    THalvern component(nullptr, {});
    QCOMPARE(component.property("Sys_AdoConnection").value<QSqlDatabase*>(), nullptr);
    QVERIFY(component.setProperty("Sys_AdoConnection", QVariant::fromValue(&connection)));
    applyMainWindowStoredValues(component);
    QCOMPARE(component.Sys_AdoConnection(), &connection);
    // The system object receives it only when the settings are loaded.
    QCOMPARE(component.hv()->Sys_ADOConnection(), nullptr);
}

void THalvernTest::privateStateAfterConstruction()
{
    THalvern component(nullptr, {});
    QCOMPARE(component.defaultExcelFormat(), u"xls"_s);
    QCOMPARE(component.dialogOwner(), &component);
    const THalvern::WindowPlacement& placement = component.windowPlacement();
    QCOMPARE(placement.maximised, false);
    QCOMPARE(QList<int>({placement.width, placement.height, placement.left, placement.top}),
             QList<int>({0, 0, 0, 0}));
    QCOMPARE(component.mailSettings().port, 0);
    QVERIFY(component.mailSettings().smtpServer.isEmpty());
    QVERIFY(component.smsSettings().gatewayAddresses.isEmpty());
}

void THalvernTest::systemObjectIsOwned()
{
    QObject host;
    auto* component = new THalvern(&host, {});
    QCOMPARE(component->parent(), &host);
    QPointer<THV> hv = component->hv();
    QVERIFY(hv);
    QCOMPARE(hv->parent(), component);
    QCOMPARE(hv->systemName(), u"澄岳系统"_s);
    QCOMPARE(hv->databaseKind(), u"A"_s);
    QCOMPARE(hv->Sys_ADOConnection(), nullptr);

    delete component;
    QVERIFY(hv.isNull());
}

void THalvernTest::fontSizeLists()
{
    THalvern component(nullptr, {});
    const THV* hv = component.hv();
    const QStringList names = hv->fontSizeNames();
    const QStringList points = hv->fontSizePoints();

    QCOMPARE(names.size(), 34);
    QCOMPARE(points.size(), 34);
    QCOMPARE(names.indexOf(u"五号"_s), points.indexOf(u"10.5"_s));
    QCOMPARE(names.indexOf(u"八号"_s), points.lastIndexOf(u"5"_s));
    QCOMPARE(names, QStringList({u"8"_s,    u"9"_s,    u"10"_s,   u"11"_s,   u"12"_s,   u"13"_s,   u"14"_s,
                                 u"16"_s,   u"18"_s,   u"20"_s,   u"22"_s,   u"24"_s,   u"26"_s,   u"28"_s,
                                 u"29"_s,   u"36"_s,   u"48"_s,   u"72"_s,   u"初号"_s, u"小初"_s, u"一号"_s,
                                 u"小一"_s, u"二号"_s, u"小二"_s, u"三号"_s, u"小三"_s, u"四号"_s, u"小四"_s,
                                 u"五号"_s, u"小五"_s, u"六号"_s, u"小六"_s, u"七号"_s, u"八号"_s}));
    QCOMPARE(points, QStringList({u"8"_s,  u"9"_s,  u"10"_s, u"11"_s,  u"12"_s, u"13"_s,  u"14"_s,
                                  u"16"_s, u"18"_s, u"20"_s, u"22"_s,  u"24"_s, u"26"_s,  u"28"_s,
                                  u"29"_s, u"36"_s, u"48"_s, u"72"_s,  u"42"_s, u"36"_s,  u"26"_s,
                                  u"24"_s, u"22"_s, u"18"_s, u"16"_s,  u"15"_s, u"14"_s,  u"12"_s,
                                  u"10.5"_s, u"9"_s, u"7.5"_s, u"6.5"_s, u"5.5"_s, u"5"_s}));
}

void THalvernTest::databaseKindLetter_data()
{
    QTest::addColumn<QString>("databaseClass");
    QTest::addColumn<QString>("letter");

    QTest::newRow("access") << u"access"_s << u"A"_s;
    QTest::newRow("ACCESS") << u"ACCESS"_s << u"A"_s;
    QTest::newRow("Access") << u"Access"_s << u"A"_s;
    QTest::newRow("sqlserver") << u"sqlserver"_s << u"S"_s;
    QTest::newRow("SQL Server") << u"SQL Server"_s << u"S"_s;
    QTest::newRow("access with space") << u"access "_s << u"S"_s;
    QTest::newRow("empty") << QString() << u"S"_s;
}

void THalvernTest::databaseKindLetter()
{
    QFETCH(QString, databaseClass);
    QFETCH(QString, letter);
    QCOMPARE(THV::databaseKindLetterFor(databaseClass), letter);
}

QTEST_MAIN(THalvernTest)
#include "THalvernTest.moc"
