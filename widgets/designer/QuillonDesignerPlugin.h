#pragma once

#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

#include <QObject>

#include <functional>

// One entry of the widget box: a widget of ours, the header a generated layout includes,
// and the properties a freshly placed one starts with.
class QuillonWidgetFactory final : public QObject, public QDesignerCustomWidgetInterface {
    Q_OBJECT
    Q_INTERFACES(QDesignerCustomWidgetInterface)
public:
    QuillonWidgetFactory(QString className, QString header, QString toolTip, QString domXml,
                         bool container, std::function<QWidget*(QWidget*)> create, QObject* parent);

    QString name() const override { return className_; }
    QString group() const override { return QStringLiteral("Quillon"); }
    QString toolTip() const override { return toolTip_; }
    QString whatsThis() const override { return toolTip_; }
    QString includeFile() const override { return header_; }
    QIcon icon() const override { return {}; }
    bool isContainer() const override { return container_; }
    QString domXml() const override { return domXml_; }
    QWidget* createWidget(QWidget* parent) override { return create_(parent); }

private:
    QString className_;
    QString header_;
    QString toolTip_;
    QString domXml_;
    bool container_;
    std::function<QWidget*(QWidget*)> create_;
};

// Our widgets in Qt Designer's widget box, so the panel's layout can be edited there.
class QuillonDesignerPlugin final : public QObject,
                                    public QDesignerCustomWidgetCollectionInterface {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetCollectionInterface")
    Q_INTERFACES(QDesignerCustomWidgetCollectionInterface)
public:
    explicit QuillonDesignerPlugin(QObject* parent = nullptr);
    QList<QDesignerCustomWidgetInterface*> customWidgets() const override { return widgets_; }

private:
    QList<QDesignerCustomWidgetInterface*> widgets_;
};
