// orvane::PropertiesWidget as a Qt Designer custom widget: its entry in the widget box,
// the XML Designer drops into a form, and the factory that Designer and QUiLoader call.
//
// The widget made here is an ordinary PropertiesWidget: it creates its control from
// liborvane.so beside libcomrt.so, with nothing registered (through the registry when the
// library lies elsewhere), and stays an empty area when it cannot (errorString() says
// why). Its Q_PROPERTYs (font, colours, current group) appear in Designer's property
// editor and are saved with the form. A form built with it compiles against
// orvane/properties_widget.h and links Orvane::widgets.
#include <QIcon>
#include <QObject>
#include <QPainter>
#include <QPixmap>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

#include <orvane/properties_widget.h>

namespace orvane::designer {
namespace {

// The control's design-time size in pixels at 96 dots an inch (4800 x 3975 twips).
constexpr int kDefaultWidth = 320;
constexpr int kDefaultHeight = 265;

// A small picture of the control: a selector over a name | value grid.
QIcon GridIcon() {
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setPen(QColor(0x40, 0x40, 0x40));
    painter.setBrush(Qt::white);
    painter.drawRect(2, 2, 27, 6);                 // the group selector
    painter.drawRect(2, 11, 27, 18);               // the grid
    painter.fillRect(3, 12, 12, 17, QColor(0xe8, 0xe8, 0xe8));  // the names column
    for (int y = 17; y < 29; y += 6) painter.drawLine(2, y, 29, y);
    painter.drawLine(15, 11, 15, 29);              // the split between names and values
    painter.fillRect(24, 4, 4, 3, QColor(0x40, 0x40, 0x40));    // the selector's button
    return QIcon(picture);
}

}  // namespace

class PropertiesWidgetPlugin : public QObject, public QDesignerCustomWidgetInterface {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetInterface")
    Q_INTERFACES(QDesignerCustomWidgetInterface)

public:
    explicit PropertiesWidgetPlugin(QObject* parent = nullptr) : QObject(parent) {}

    QString name() const override { return QStringLiteral("orvane::PropertiesWidget"); }
    QString group() const override { return QStringLiteral("Orvane"); }
    QString includeFile() const override { return QStringLiteral("orvane/properties_widget.h"); }
    QString toolTip() const override {
        return QStringLiteral("Property grid: named settings in groups, edited in place");
    }
    QString whatsThis() const override {
        return QStringLiteral(
            "A PropertiesCtl property grid control: a group selector over a name | value grid "
            "with in-place text and drop-down editors. The host fills it with addGroup() and "
            "reads the edited values back from its own groups (orvane::PropertyGroup).");
    }
    QIcon icon() const override { return GridIcon(); }
    bool isContainer() const override { return false; }

    QWidget* createWidget(QWidget* parent) override { return new PropertiesWidget(parent); }

    bool isInitialized() const override { return initialized_; }
    void initialize(QDesignerFormEditorInterface*) override { initialized_ = true; }

    // What Designer drops into a form: the widget at the control's design-time size, and
    // the header a form's generated code includes for it.
    QString domXml() const override {
        return QStringLiteral(R"(<ui language="c++" displayname="Properties Widget">
 <widget class="%1" name="propertiesWidget">
  <property name="geometry">
   <rect><x>0</x><y>0</y><width>%2</width><height>%3</height></rect>
  </property>
 </widget>
 <customwidgets>
  <customwidget>
   <class>%1</class>
   <extends>QWidget</extends>
   <header>%4</header>
  </customwidget>
 </customwidgets>
</ui>
)")
            .arg(name())
            .arg(kDefaultWidth)
            .arg(kDefaultHeight)
            .arg(includeFile());
    }

private:
    bool initialized_ = false;
};

}  // namespace orvane::designer

#include "properties_widget_plugin.moc"
