#include "QuillonDesignerPlugin.h"

#include "widgets/led/IndLED.h"
#include "widgets/link/LinkLabel.h"
#include "widgets/controls/TPanel.h"
#include "widgets/controls/TUpDown.h"

QuillonWidgetFactory::QuillonWidgetFactory(QString className, QString header, QString toolTip,
                                           QString domXml, bool container,
                                           std::function<QWidget*(QWidget*)> create,
                                           QObject* parent)
    : QObject(parent), className_(std::move(className)), header_(std::move(header)),
      toolTip_(std::move(toolTip)), domXml_(std::move(domXml)), container_(container),
      create_(std::move(create)) {}

namespace {

QString DomXml(const QString& className, const QString& name, int width, int height) {
    return QStringLiteral("<ui language=\"c++\"><widget class=\"%1\" name=\"%2\">"
                          "<property name=\"geometry\"><rect><x>0</x><y>0</y>"
                          "<width>%3</width><height>%4</height></rect></property>"
                          "</widget></ui>")
        .arg(className, name)
        .arg(width)
        .arg(height);
}

} // namespace

QuillonDesignerPlugin::QuillonDesignerPlugin(QObject* parent) : QObject(parent) {
    widgets_ << new QuillonWidgetFactory(
        QStringLiteral("TIndLED"), QStringLiteral("widgets/led/IndLED.h"),
        QStringLiteral("LED indicator: one bit of a status value shared by its group"),
        DomXml(QStringLiteral("TIndLED"), QStringLiteral("IndLED"), 73, 33), false,
        [](QWidget* p) { return new TIndLED(p); }, this);
    widgets_ << new QuillonWidgetFactory(
        QStringLiteral("TLinkLabel"), QStringLiteral("widgets/link/LinkLabel.h"),
        QStringLiteral("Label with 3-D text that can open a web, e-mail or news link"),
        DomXml(QStringLiteral("TLinkLabel"), QStringLiteral("LinkLabel"), 65, 17), false,
        [](QWidget* p) { return new TLinkLabel(p); }, this);
    widgets_ << new QuillonWidgetFactory(
        QStringLiteral("TPanel"), QStringLiteral("widgets/controls/TPanel.h"),
        QStringLiteral("Panel with outer and inner bevels and a centred caption"),
        DomXml(QStringLiteral("TPanel"), QStringLiteral("Panel"), 185, 41), true,
        [](QWidget* p) { return new TPanel(p); }, this);
    widgets_ << new QuillonWidgetFactory(
        QStringLiteral("TUpDown"), QStringLiteral("widgets/controls/TUpDown.h"),
        QStringLiteral("Up and down arrows stepping a position shown in an edit"),
        DomXml(QStringLiteral("TUpDown"), QStringLiteral("UpDown"), 15, 21), false,
        [](QWidget* p) { return new TUpDown(p); }, this);
}
