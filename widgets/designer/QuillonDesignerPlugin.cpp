#include "QuillonDesignerPlugin.h"

#include "widgets/controls/TPanel.h"
#include "widgets/controls/TUpDown.h"
#include "widgets/led/IndLED.h"
#include "widgets/link/LinkLabel.h"

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

enum class TPlacement { Leaf, Container };

template <class Widget> QWidget* Create(QWidget* parent) {
    return new Widget(parent);
}

// Our widgets as the widget box offers them: the header a generated layout includes, the
// name and size a freshly placed one starts with, and whether others can be placed inside.
struct TWidgetEntry {
    const char* className;
    const char* header;
    const char* objectName;
    int width;
    int height;
    TPlacement placement;
    QWidget* (*create)(QWidget* parent);
    const char* toolTip;
};

const TWidgetEntry kWidgets[] = {
    {"TIndLED", "widgets/led/IndLED.h", "IndLED", 73, 33, TPlacement::Leaf, &Create<TIndLED>,
     "LED indicator: one bit of a status value shared by its group"},
    {"TLinkLabel", "widgets/link/LinkLabel.h", "LinkLabel", 65, 17, TPlacement::Leaf,
     &Create<TLinkLabel>, "Label with 3-D text that can open a web, e-mail or news link"},
    {"TPanel", "widgets/controls/TPanel.h", "Panel", 185, 41, TPlacement::Container,
     &Create<TPanel>, "Panel with outer and inner bevels and a centred caption"},
    {"TUpDown", "widgets/controls/TUpDown.h", "UpDown", 15, 21, TPlacement::Leaf, &Create<TUpDown>,
     "Up and down arrows stepping a position shown in an edit"},
};

} // namespace

QuillonDesignerPlugin::QuillonDesignerPlugin(QObject* parent) : QObject(parent) {
    for (const TWidgetEntry& w : kWidgets) {
        widgets_ << new QuillonWidgetFactory(
            QLatin1String(w.className), QLatin1String(w.header), QLatin1String(w.toolTip),
            DomXml(QLatin1String(w.className), QLatin1String(w.objectName), w.width, w.height),
            w.placement == TPlacement::Container, w.create, this);
    }
}
