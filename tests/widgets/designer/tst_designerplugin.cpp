#include "tests/support/DataColumns.h"
#include "widgets/led/IndLED.h"
#include "widgets/link/LinkLabel.h"

#include <QPluginLoader>
#include <QXmlStreamReader>
#include <QtTest>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>

class TestDesignerPlugin : public QObject {
    Q_OBJECT
private slots:
    void offersTheWidgetsAsALayoutStoresThem_data();
    void offersTheWidgetsAsALayoutStoresThem();
};

void TestDesignerPlugin::offersTheWidgetsAsALayoutStoresThem_data() {
    quillon::testing::AddColumns<QString, QString, QString>({"className", "header", "property"});
    QTest::newRow("LED") << "TIndLED"
                         << "widgets/led/IndLED.h"
                         << "StatusInt";
    QTest::newRow("link label") << "TLinkLabel"
                                << "widgets/link/LinkLabel.h"
                                << "LinkedAdress";
    QTest::newRow("panel") << "TPanel"
                           << "widgets/controls/TPanel.h"
                           << "BevelInner";
    QTest::newRow("up-down") << "TUpDown"
                             << "widgets/controls/TUpDown.h"
                             << "Position";
}

void TestDesignerPlugin::offersTheWidgetsAsALayoutStoresThem() {
    QFETCH(QString, className);
    QFETCH(QString, header);
    QFETCH(QString, property);
    QPluginLoader loader(QStringLiteral(QUILLON_DESIGNER_PLUGIN));
    QVERIFY2(loader.load(), qPrintable(loader.errorString()));
    auto* collection = qobject_cast<QDesignerCustomWidgetCollectionInterface*>(loader.instance());
    QVERIFY(collection);
    QDesignerCustomWidgetInterface* entry = nullptr;
    for (auto* w : collection->customWidgets()) {
        if (w->name() == className) {
            entry = w;
        }
    }
    QVERIFY(entry);
    QCOMPARE(entry->includeFile(), header);
    QCOMPARE(entry->isContainer(), className == "TPanel");

    // The snippet Designer drops into a layout names the class uic must create.
    QXmlStreamReader xml(entry->domXml());
    QString declared;
    while (xml.readNextStartElement() || !xml.atEnd()) {
        if (xml.isStartElement() && xml.name() == QLatin1String("widget")) {
            declared = xml.attributes().value("class").toString();
            break;
        }
    }
    QCOMPARE(declared, className);

    QWidget parent;
    std::unique_ptr<QWidget> created(entry->createWidget(&parent));
    QCOMPARE(QString(created->metaObject()->className()), className);
    // Designer edits the same properties a layout stores and the program writes.
    QVERIFY(created->metaObject()->indexOfProperty(qPrintable(property)) >= 0);
}

QTEST_MAIN(TestDesignerPlugin)
#include "tst_designerplugin.moc"
