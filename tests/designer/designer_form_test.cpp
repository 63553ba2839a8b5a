// The Designer plugin of orvane::PropertiesWidget as Designer and QUiLoader use it: what
// the plugin tells Designer, and a .ui form holding the widget, loaded at run time through
// the plugin, filled through the widget, edited and rendered offscreen.
#include <QAbstractItemView>
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPluginLoader>
#include <QTableView>
#include <QTest>
#include <QUiLoader>
#include <QXmlStreamReader>
#include <QtDesigner/QFormBuilder>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

#include <memory>
#include <set>

#include <gmock/gmock.h>

#include <comrt/resource.h>
#include <orvane/properties_widget.h>
#include <tessel/tessel.h>
#include <testing/groups.h>
#include <testing/registry_fixture.h>
#include <testing/text.h>

namespace orvane {
namespace {

using pg_testing::Hex;

[[maybe_unused]] const auto* const registered = pg_testing::RegisterForProgram({ORVANE_LIBRARY, TESSEL_LIBRARY});

// ---- the plugin as Designer sees it --------------------------------------------------------

class DesignerPlugin : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(loader_.load()) << loader_.errorString().toStdString();
        plugin = qobject_cast<QDesignerCustomWidgetInterface*>(loader_.instance());
        ASSERT_NE(plugin, nullptr) << "the plugin's instance is no custom widget interface";
    }

    QDesignerCustomWidgetInterface* plugin = nullptr;

private:
    QPluginLoader loader_{QStringLiteral(DESIGNER_PLUGIN)};
};

TEST_F(DesignerPlugin, DescribesTheWidgetForTheWidgetBox) {
    EXPECT_EQ(plugin->name(), "orvane::PropertiesWidget");
    EXPECT_EQ(plugin->includeFile(), "orvane/properties_widget.h");
    EXPECT_EQ(plugin->group(), "Orvane");
    EXPECT_FALSE(plugin->toolTip().isEmpty());
    EXPECT_FALSE(plugin->whatsThis().isEmpty());
    EXPECT_FALSE(plugin->icon().isNull());
    EXPECT_FALSE(plugin->isContainer()) << "the control makes its own children; nothing is dropped into it";

    // What Designer's property editor lists of the widget, and saves into a form.
    const std::unique_ptr<QWidget> widget(plugin->createWidget(nullptr));
    const QMetaObject& meta = *widget->metaObject();
    for (const char* name : {"currentGroup", "controlFont", "backColor", "foreColor", "editPending"}) {
        const QMetaProperty property = meta.property(meta.indexOfProperty(name));
        ASSERT_TRUE(property.isValid()) << name;
        EXPECT_TRUE(property.hasNotifySignal()) << name;
        EXPECT_EQ(property.isDesignable() && property.isStored(), std::string(name) != "editPending") << name;
    }
}

// What Designer drops into a form: one widget of the plugin's class at the control's
// design-time size, and the custom widget entry naming the header of the generated code.
TEST_F(DesignerPlugin, DomXmlPlacesTheWidgetAtItsDesignTimeSize) {
    QXmlStreamReader xml(plugin->domXml());
    QString widget_class, width, height, custom_class, extends, header;
    QString* field = nullptr;
    bool in_custom_widget = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const auto tag = xml.name();
            if (tag == u"widget" && widget_class.isEmpty()) widget_class = xml.attributes().value(QStringLiteral("class")).toString();
            if (tag == u"customwidget") in_custom_widget = true;
            field = tag == u"width"                          ? &width
                    : tag == u"height"                       ? &height
                    : tag == u"class" && in_custom_widget    ? &custom_class
                    : tag == u"extends" && in_custom_widget  ? &extends
                    : tag == u"header" && in_custom_widget   ? &header
                                                             : nullptr;
        } else if (xml.isCharacters() && field) {
            *field += xml.text();
        } else if (xml.isEndElement()) {
            field = nullptr;
        }
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(widget_class, plugin->name());
    EXPECT_EQ(width, "320") << "4800 twips at 96 dots an inch";
    EXPECT_EQ(height, "265") << "3975 twips at 96 dots an inch";
    EXPECT_EQ(custom_class, plugin->name());
    EXPECT_EQ(extends, "QWidget");
    EXPECT_EQ(header, plugin->includeFile());
}

TEST_F(DesignerPlugin, CreatesAPropertiesWidgetInTheGivenParent) {
    QWidget parent;
    QWidget* widget = plugin->createWidget(&parent);
    ASSERT_NE(widget, nullptr);
    EXPECT_STREQ(widget->metaObject()->className(), "orvane::PropertiesWidget");
    EXPECT_EQ(widget->parentWidget(), &parent);
}

// ---- a .ui form loaded at run time ---------------------------------------------------------

class DesignerForm : public ::testing::Test {
protected:
    void SetUp() override {
        // Only this build's plugin: none of the system's Designer plugins.
        loader.clearPluginPaths();
        loader.addPluginPath(QStringLiteral(DESIGNER_PLUGIN_DIR));
    }

    std::unique_ptr<QWidget> LoadForm() {
        QFile file(QStringLiteral(SETTINGS_FORM));
        if (!file.open(QIODevice::ReadOnly)) return nullptr;
        std::unique_ptr<QWidget> form(loader.load(&file));
        if (!form) ADD_FAILURE() << "QUiLoader: " << loader.errorString().toStdString();
        return form;
    }

    // The form's PropertiesWidget. The plugin links its own hidden copy of the widget's code
    // (liborvane_widget.a), so the object's meta-object is the plugin's and qobject_cast
    // against this program's copy cannot match it; the class name does, and both copies
    // are the same code over the same layout.
    static PropertiesWidget* GridWidget(QWidget& form) {
        QWidget* found = form.findChild<QWidget*>(QStringLiteral("properties"));
        return found && found->inherits("orvane::PropertiesWidget") ? static_cast<PropertiesWidget*>(found) : nullptr;
    }

    static QString Cell(QTableView& view, int row, int col) {
        return view.model()->index(row, col).data().toString();
    }

    QUiLoader loader;
};

TEST_F(DesignerForm, TheLoaderKnowsTheWidgetFromThePlugin) {
    EXPECT_TRUE(loader.availableWidgets().contains(QStringLiteral("orvane::PropertiesWidget")));
}

TEST_F(DesignerForm, TheFormsGridIsFilledEditedAndRendered) {
    const std::unique_ptr<QWidget> form = LoadForm();
    ASSERT_NE(form, nullptr);
    PropertiesWidget* widget = GridWidget(*form);
    ASSERT_NE(widget, nullptr) << "the form holds no orvane::PropertiesWidget named properties";
    ASSERT_EQ(Hex(widget->creationStatus()), Hex(S_OK));
    EXPECT_EQ(widget->minimumSize(), QSize(320, 200)) << "the form's own properties reach the widget";
    EXPECT_EQ(widget->property("foreColor").value<QColor>(), QColor(0, 0, 128)) << "so does the control's";

    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));

    const auto report = pg_testing::MakeGroup(u"Report", {{u"Title", u"Quarterly report"},
                                                          {u"Author", u"Ann"},
                                                          {u"Format", u"PDF", {u"HTML", u"PDF", u"Text"}},
                                                          {u"Pages", u"12"}});
    ASSERT_TRUE(widget->addGroup(PropertyGroup(report))) << widget->errorString().toStdString();
    EXPECT_EQ(widget->property("currentGroup").toInt(), 0) << "the first group is shown";
    QCoreApplication::processEvents();

    QTableView* view = widget->findChild<QTableView*>(QStringLiteral("grid"));
    ASSERT_NE(view, nullptr) << "the control made no grid inside the form's widget";
    EXPECT_EQ(Cell(*view, 0, 0), "Title");
    EXPECT_EQ(Cell(*view, 0, 1), "Quarterly report");
    EXPECT_EQ(Cell(*view, 2, 1), "PDF");

    // The user types a new author; Enter writes it into the host's item.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(1, 1)).center());
    QLineEdit* editor = widget->findChild<QLineEdit*>(QStringLiteral("textEditor"));
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(editor->isVisible());
    QTest::keyClicks(editor, "Bob");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(pg_testing::ItemValue(*report, 2), u"Bob");
    EXPECT_EQ(Cell(*view, 1, 1), "Bob");

    // The host changes an item; the grid shows it once asked to.
    comrt::Bstr html(u"HTML");
    ASSERT_EQ(Hex(pg_testing::ItemAt(*report, 3)->put_ItemValue(html.get())), Hex(S_OK));
    ASSERT_TRUE(widget->refreshValues());
    EXPECT_EQ(Cell(*view, 2, 1), "HTML");

    // The whole form, rendered offscreen: a picture of its size, not of one colour.
    view->setCurrentIndex(view->model()->index(0, 0));
    QCoreApplication::processEvents();
    const QImage picture = form->grab().toImage();
    ASSERT_EQ(picture.size(), form->size() * form->devicePixelRatio());
    std::set<QRgb> colours;
    for (int y = 0; y < picture.height(); y += 4)
        for (int x = 0; x < picture.width(); x += 4) colours.insert(picture.pixel(x, y));
    EXPECT_GT(colours.size(), 4u);
    EXPECT_TRUE(picture.save(QStringLiteral(FORM_PICTURE), "PNG")) << FORM_PICTURE;
}

// Writes forms as Designer does: a custom widget that is no container is saved without
// its children (the control's own widgets are made again when the form loads).
class FormWriter : public QFormBuilder {
protected:
    DomWidget* createDom(QWidget* widget, DomWidget* parent, bool recursive) override {
        return QFormBuilder::createDom(widget, parent, recursive && !widget->inherits("orvane::PropertiesWidget"));
    }
};

// A form saved as Designer writes it, then loaded: the widget's font and colours come back.
TEST_F(DesignerForm, TheWidgetsPropertiesSavedInAFormReadBack) {
    const std::unique_ptr<QWidget> form = LoadForm();
    ASSERT_NE(form, nullptr);
    PropertiesWidget* widget = GridWidget(*form);
    ASSERT_NE(widget, nullptr);
    QFont font(QStringLiteral("DejaVu Serif"), 13);
    font.setBold(true);
    ASSERT_TRUE(widget->setProperty("controlFont", font));
    ASSERT_TRUE(widget->setProperty("backColor", QColor(255, 250, 205)));

    QBuffer saved;
    ASSERT_TRUE(saved.open(QIODevice::WriteOnly));
    FormWriter writer;
    writer.save(&saved, form.get());
    saved.close();
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const std::unique_ptr<QWidget> reloaded(loader.load(&saved));
    ASSERT_NE(reloaded, nullptr) << loader.errorString().toStdString();
    PropertiesWidget* again = GridWidget(*reloaded);
    ASSERT_NE(again, nullptr) << "the saved form lost the widget: " << saved.data().toStdString();
    EXPECT_EQ(again->property("backColor").value<QColor>(), QColor(255, 250, 205));
    EXPECT_EQ(again->property("foreColor").value<QColor>(), QColor(0, 0, 128)) << "the form's own value stays";
    const QFont read = again->property("controlFont").value<QFont>();
    EXPECT_EQ(read.family(), font.family());
    EXPECT_EQ(read.pointSize(), 13);
    EXPECT_TRUE(read.bold());
}

// Designer on a machine where the user registered nothing: the form loads with its control,
// made by liborvane.so beside libcomrt.so.
TEST_F(DesignerForm, WithoutRegistrationTheWidgetHasItsControl) {
    const pg_testing::TemporaryRegistry nothing_registered;
    ASSERT_EQ(Hex(nothing_registered.status()), Hex(S_OK));
    const std::unique_ptr<QWidget> form = LoadForm();
    ASSERT_NE(form, nullptr);
    PropertiesWidget* widget = GridWidget(*form);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(Hex(widget->creationStatus()), Hex(S_OK));
    EXPECT_TRUE(widget->control());
    EXPECT_NE(widget->findChild<QTableView*>(), nullptr);
}

}  // namespace
}  // namespace orvane
