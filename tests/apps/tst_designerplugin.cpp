#include <QMetaProperty>
#include <QPluginLoader>
#include <QTest>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>
#include <memory>

class TestDesignerPlugin : public QObject
{
    Q_OBJECT

private:
    QPluginLoader m_loader{QStringLiteral(ZR_DESIGNER_PLUGIN)};

    QDesignerCustomWidgetInterface *entry(const QString &name)
    {
        auto *collection = qobject_cast<QDesignerCustomWidgetCollectionInterface *>(m_loader.instance());
        if (!collection)
            return nullptr;
        for (QDesignerCustomWidgetInterface *widget : collection->customWidgets()) {
            if (widget->name() == name)
                return widget;
        }
        return nullptr;
    }

private slots:
    // The plugin loads as one collection of the two controls, in one group.
    void loadsAsAWidgetCollection()
    {
        QVERIFY2(m_loader.load(), qPrintable(m_loader.errorString()));
        auto *collection = qobject_cast<QDesignerCustomWidgetCollectionInterface *>(m_loader.instance());
        QVERIFY(collection);
        QStringList names;
        for (QDesignerCustomWidgetInterface *widget : collection->customWidgets()) {
            names.append(widget->name());
            QCOMPARE(widget->group(), collection->customWidgets().first()->group());
        }
        QCOMPARE(names, (QStringList{"zr::zrRequirements", "zr::zrReqPreview"}));
    }

    void offersEachControlWithItsProperties_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("header");
        QTest::addColumn<QStringList>("properties");
        QTest::newRow("editor") << QStringLiteral("zr::zrRequirements") << QStringLiteral("requirements/zrrequirements.h")
                                << QStringList{"ConstrType", "AppliesTo", "ServerName", "ShowExclusions", "SmCaption"};
        QTest::newRow("preview") << QStringLiteral("zr::zrReqPreview") << QStringLiteral("preview/zrreqpreview.h")
                                 << QStringList{"StudentID", "ServerName", "sessionID", "ConstrType", "SmCaption"};
    }

    void offersEachControlWithItsProperties()
    {
        QFETCH(QString, name);
        QFETCH(QString, header);
        QFETCH(QStringList, properties);
        QDesignerCustomWidgetInterface *widget = entry(name);
        QVERIFY2(widget, qPrintable(name));
        QCOMPARE(widget->includeFile(), header);
        QVERIFY(widget->domXml().contains(QStringLiteral("class=\"%1\"").arg(name)));

        QWidget parent;
        std::unique_ptr<QWidget> created(widget->createWidget(&parent));
        QVERIFY(created);
        QCOMPARE(QString::fromLatin1(created->metaObject()->className()), name);
        for (const QString &property : properties)
            QVERIFY2(created->metaObject()->indexOfProperty(property.toLatin1()) >= 0, qPrintable(property));
    }
};

QTEST_MAIN(TestDesignerPlugin)
#include "tst_designerplugin.moc"
