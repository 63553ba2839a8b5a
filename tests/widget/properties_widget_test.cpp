// The whole control in a Qt window, through real mouse and key events: editing text and
// drop-down values, scrolling, resizing (down to nothing, with a splitter), the group
// selector, saved appearance, two controls in one window, handler failures and termination.
#include <algorithm>
#include <cmath>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSplitter>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <gmock/gmock.h>

#include <comrt/colour.h>
#include <comrt/olectl.h>
#include <comrt/window.h>
#include <comrt/resource.h>
#include <orvane/properties_widget.h>
#include <tessel/tessel.h>
#include <testing/fonts.h>
#include <testing/groups.h>
#include <testing/registry_fixture.h>

#include "properties_widget_fixture.h"

namespace orvane {
namespace {

using namespace widget_testing;
using pg_testing::MakeFont;

TEST_F(IntegrationTest, TypedTextReachesTheItemWhenTheCellIsLeft) {
    Click(1, 1);
    ASSERT_TRUE(text().isVisible());
    EXPECT_EQ(OnSurface(text()), CellOnSurface(1, 1)) << "the editor lies exactly over the cell";
    EXPECT_TRUE(text().hasFocus());
    EXPECT_EQ(text().selectedText(), "Ann") << "the whole text selected";

    QTest::keyClicks(&text(), "Bob");
    EXPECT_EQ(ValueOf(settings, 2), u"Ann") << "typing alone writes nothing";
    Click(3, 1);
    EXPECT_EQ(ValueOf(settings, 2), u"Bob");
    EXPECT_EQ(CellText(1, 1), "Bob");
    EXPECT_EQ(OnSurface(text()), CellOnSurface(3, 1)) << "the editor moved to the new cell";
    EXPECT_EQ(text().text(), "12");
}

TEST_F(IntegrationTest, WithAScrollBarTheEditorIs300TwipsNarrowerThanTheCell) {
    const auto big = MakeGroup(u"Big", ManyItems(3000));
    Show(big);
    ASSERT_TRUE(grid().verticalScrollBar()->isVisible());
    Click(2, 1);
    const QRect cell = CellOnSurface(2, 1);
    EXPECT_EQ(OnSurface(text()), cell.adjusted(0, 0, -20, 0));
    QTest::keyClicks(&text(), "changed");
    Click(4, 1);
    EXPECT_EQ(ValueOf(big, 3), u"changed");
}

TEST_F(IntegrationTest, ADropDownPickShowsInTheCellAtOnceAndReachesTheItemOnLeave) {
    Click(2, 1);
    ASSERT_TRUE(dropDown().isVisible());
    EXPECT_FALSE(text().isVisible());
    const QRect cell = CellOnSurface(2, 1);
    EXPECT_EQ(OnSurface(dropDown()).topLeft(), cell.topLeft());
    EXPECT_EQ(dropDown().width(), cell.width());
    EXPECT_EQ(dropDown().currentText(), "PDF") << "the entry equal to the cell is selected";
    ASSERT_TRUE(dropDown().view()->isVisible()) << "one click opens the list";

    // A pick in the open list: the next entry, taken with Enter.
    QTest::keyClick(dropDown().view(), Qt::Key_Down);
    QTest::keyClick(dropDown().view(), Qt::Key_Return);
    EXPECT_FALSE(dropDown().view()->isVisible());
    EXPECT_EQ(CellText(2, 1), "Text") << "the pick shows in the cell at once";
    EXPECT_EQ(ValueOf(settings, 3), u"PDF");
    Click(0, 1);
    EXPECT_EQ(ValueOf(settings, 3), u"Text");
    EXPECT_FALSE(dropDown().isVisible());
}

// Scrolling keeps the edit: the editor rides with its cell while the cell is in view,
// hides while it is not, comes back with the typed text, and nothing is written until the
// edit is committed.
TEST_F(IntegrationTest, ScrollingKeepsTheEditOverItsCellAndWritesNothing) {
    const auto big = MakeGroup(u"Big", ManyItems(200));
    Show(big);
    Click(3, 1);
    QTest::keyClicks(&text(), "pending");
    grid().verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCoreApplication::processEvents();
    ASSERT_TRUE(text().isVisible()) << "the cell is still in view";
    EXPECT_EQ(OnSurface(text()), CellOnSurface(3, 1).adjusted(0, 0, -20, 0)) << "one row higher, with its cell";
    EXPECT_EQ(text().text(), "pending");

    grid().verticalScrollBar()->setValue(50);
    QCoreApplication::processEvents();
    EXPECT_FALSE(text().isVisible()) << "its cell is out of view";
    EXPECT_EQ(ValueOf(big, 4), u"value") << "a scroll writes nothing";

    grid().verticalScrollBar()->setValue(0);
    QCoreApplication::processEvents();
    ASSERT_TRUE(text().isVisible());
    EXPECT_EQ(text().text(), "pending");
    EXPECT_EQ(OnSurface(text()), CellOnSurface(3, 1).adjusted(0, 0, -20, 0));
    Click(5, 1);
    EXPECT_EQ(ValueOf(big, 4), u"pending");
}

TEST_F(IntegrationTest, ResizingTheWindowKeepsAnOpenEditorOverItsCell) {
    Click(0, 1);
    const QRect before = OnSurface(text());
    window.resize(640, 420);
    QCoreApplication::processEvents();
    EXPECT_NE(OnSurface(text()), before) << "the value column moved";
    EXPECT_EQ(OnSurface(text()), CellOnSurface(0, 1));
    EXPECT_EQ(grid().columnWidth(0) + grid().columnWidth(1), grid().width()) << "the columns span the grid";
}

// A splitter narrows the control as far as the user drags it, down to nothing. At every
// width the grid spans the control, the name column takes half of it (rounded as the
// control rounds, in twips), the value column the rest, and the two together fill the grid
// to the pixel; no resize fails, and the open editor follows its cell.
TEST_F(IntegrationTest, NarrowedByASplitterTheColumnsStillFillTheGridExactly) {
    auto* splitter = new QSplitter(Qt::Horizontal);
    layout->addWidget(splitter);
    splitter->addWidget(widget);  // out of the window's layout, into the splitter
    splitter->addWidget(new QWidget);
    splitter->setChildrenCollapsible(false);
    window.resize(720, 360);
    QCoreApplication::processEvents();
    ASSERT_GT(splitter->width(), 480 + splitter->handleWidth());
    Click(1, 1);
    ASSERT_TRUE(text().isVisible());
    QSignalSpy failures(widget, &PropertiesWidget::handlerFailed);

    const QWidget& surface = *widget->findChild<QWidget*>("surface");
    struct Row {
        const char* name;
        int width;
    } rows[] = {{"normal", 480},        {"just over 50", 51}, {"50", 50}, {"just under 50", 49},
                {"just over 25", 26},   {"25", 25},           {"just under 25", 24},
                {"10", 10},             {"one pixel", 1},     {"nothing", 0},
                {"wide again", 400}};
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.name << ": " << row.width << " px");
        splitter->setSizes({row.width, splitter->width() - splitter->handleWidth() - row.width});
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();  // the queued failure reports

        ASSERT_EQ(surface.width(), row.width) << "nothing keeps the control wider";
        QTableView& view = grid();
        EXPECT_EQ(view.width(), row.width);
        const double scale_width = TwipsX(surface, surface.width());
        const int name = PixelsX(view, std::nearbyint(scale_width / 2));
        EXPECT_EQ(view.columnWidth(0), name);
        EXPECT_EQ(view.columnWidth(1), std::max(row.width - name, 0));
        EXPECT_EQ(view.columnWidth(0) + view.columnWidth(1), view.width()) << "the columns fill the grid";
        EXPECT_EQ(OnSurface(text()), CellOnSurface(1, 1)) << "the editor stays over its cell";
        for (const QList<QVariant>& failure : failures)
            ADD_FAILURE() << failure.at(0).toString().toStdString() << " failed with 0x" << std::hex
                          << static_cast<std::uint32_t>(failure.at(1).toInt());
        failures.clear();
    }
}

TEST_F(IntegrationTest, PickingAGroupInTheSelectorShowsItAndTellsTheHostAfterwards) {
    const auto other = MakeGroup(u"Other", {{u"Colour", u"Blue"}});
    ASSERT_TRUE(widget->addGroup(PropertyGroup(other)));
    ASSERT_EQ(selector().currentText(), "Settings");
    EXPECT_EQ(widget->currentGroup(), 0) << "adding a second group shows no other";
    QSignalSpy shown(widget, &PropertiesWidget::currentGroupChanged);
    selector().setFocus();
    QTest::keyClick(&selector(), Qt::Key_Down);
    EXPECT_EQ(selector().currentText(), "Other");
    EXPECT_EQ(grid().model()->rowCount(), 1);
    EXPECT_EQ(CellText(0, 0), "Colour");
    EXPECT_EQ(CellText(0, 1), "Blue");
    EXPECT_EQ(shown.count(), 0) << "not from inside the control's handling of the pick";
    QCoreApplication::processEvents();
    ASSERT_EQ(shown.count(), 1);
    EXPECT_EQ(shown.at(0).at(0).toInt(), 1);

    // Past the last group the grid is empty, and no group is current; a negative index fails.
    EXPECT_TRUE(widget->setCurrentGroup(widget->count()));
    EXPECT_EQ(grid().model()->rowCount(), 0);
    EXPECT_EQ(widget->currentGroup(), -1);
    ASSERT_EQ(shown.count(), 2);
    EXPECT_EQ(shown.at(1).at(0).toInt(), -1);
    EXPECT_FALSE(widget->setCurrentGroup(-1));
    EXPECT_EQ(widget->errorString(), "Subscript out of range (0x800A0009)");
}

TEST_F(IntegrationTest, SavedAppearanceRestoredIntoANewWidgetReachesEveryChildWidget) {
    ASSERT_EQ(control->put_BackColor(0x00E0FFFF), S_OK);  // light yellow
    ASSERT_EQ(control->put_ForeColor(0x00800000), S_OK);  // navy
    ASSERT_EQ(control->put_Font(MakeFont(u"DejaVu Serif", 10.5, FW_BOLD).get()), S_OK);
    QTemporaryDir folder;
    const QString path = folder.filePath("appearance.json");
    ASSERT_TRUE(widget->saveAppearance(path));

    PropertiesWidget restored(&window);
    QSignalSpy changed(&restored, &PropertiesWidget::appearanceChanged);
    ASSERT_TRUE(restored.loadAppearance(path));
    EXPECT_EQ(changed.count(), 3) << "BackColor, ForeColor and Font";
    OLE_COLOR back = 0;
    ASSERT_EQ(restored.control()->get_BackColor(&back), S_OK);
    EXPECT_EQ(back, 0x00E0FFFFu);
    struct Child {
        const char* name;
        QPalette::ColorRole back;
        QPalette::ColorRole fore;
    } children[] = {{"grid", QPalette::Base, QPalette::Text},
                    {"textEditor", QPalette::Base, QPalette::Text},
                    {"selector", QPalette::Button, QPalette::ButtonText},
                    {"dropDownEditor", QPalette::Button, QPalette::ButtonText}};
    for (const Child& c : children) {
        QWidget& w = child<QWidget>(c.name, &restored);
        EXPECT_EQ(w.palette().color(c.back), QColor(255, 255, 224)) << c.name;
        EXPECT_EQ(w.palette().color(c.fore), QColor(0, 0, 128)) << c.name;
        EXPECT_EQ(w.font().family(), "DejaVu Serif") << c.name;
        EXPECT_DOUBLE_EQ(w.font().pointSizeF(), 10.5) << c.name;
        EXPECT_EQ(w.font().weight(), QFont::Bold) << c.name;
    }
    EXPECT_FALSE(restored.loadAppearance(folder.filePath("missing.json")));
    EXPECT_EQ(restored.errorString(), "File not found (0x800A0035)");
}

TEST_F(IntegrationTest, FontAndColoursAsQtTypesReachTheChildWidgetsAndSignalTheirChange) {
    // Before any put: the system colours the control starts with (button face and button
    // text), as the application's palette has them.
    EXPECT_EQ(widget->backColor(), QApplication::palette().color(QPalette::Active, QPalette::Button));
    EXPECT_EQ(widget->foreColor(), QApplication::palette().color(QPalette::Active, QPalette::ButtonText));

    QSignalSpy fonts(widget, &PropertiesWidget::controlFontChanged);
    QSignalSpy backs(widget, &PropertiesWidget::backColorChanged);
    QFont serif(QStringLiteral("DejaVu Serif"));
    serif.setPointSizeF(10.5);
    serif.setWeight(QFont::Bold);
    serif.setItalic(true);
    ASSERT_TRUE(widget->setProperty("controlFont", serif));  // as Designer and QML write them
    ASSERT_TRUE(widget->setProperty("backColor", QColor(255, 255, 224)));

    const QFont read = widget->controlFont();
    EXPECT_EQ(read.family(), "DejaVu Serif");
    EXPECT_DOUBLE_EQ(read.pointSizeF(), 10.5);
    EXPECT_EQ(read.weight(), QFont::Bold);
    EXPECT_TRUE(read.italic());
    EXPECT_EQ(grid().font().family(), "DejaVu Serif");
    EXPECT_EQ(widget->property("backColor").value<QColor>(), QColor(255, 255, 224));
    EXPECT_EQ(grid().palette().color(QPalette::Base), QColor(255, 255, 224));
    ASSERT_EQ(fonts.count(), 1);
    EXPECT_EQ(fonts.at(0).at(0).value<QFont>().family(), "DejaVu Serif");
    ASSERT_EQ(backs.count(), 1);
    EXPECT_EQ(backs.at(0).at(0).value<QColor>(), QColor(255, 255, 224));

    // A font and a palette set on the widget itself reach the control as its ambience.
    widget->setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 13));
    QPalette own = widget->palette();
    own.setColor(QPalette::WindowText, QColor(0, 0, 128));
    widget->setPalette(own);
    EXPECT_EQ(grid().font().family(), "DejaVu Sans Mono");
    EXPECT_EQ(widget->controlFont().pointSize(), 13);
    EXPECT_EQ(widget->foreColor(), QColor(0, 0, 128));
    EXPECT_EQ(widget->backColor(), QColor(255, 255, 224)) << "no Window colour of the host's: its own";
}

TEST_F(IntegrationTest, TwoWidgetsInOneWindowEditIndependently) {
    auto* second = new PropertiesWidget(&window);
    layout->addWidget(second);
    QCoreApplication::processEvents();
    const auto theirs = MakeGroup(u"Theirs", {{u"Title", u"Draft"}, {u"Author", u"Cy"}});
    {
        _clsTessel* added = theirs.get();
        comrt::Variant result;
        SHORT index = 0;
        ASSERT_EQ(second->control()->AddPropertyGroup(&added, result.put()), S_OK);
        ASSERT_EQ(second->control()->SelectPropertyGroup(&index, result.put()), S_OK);
    }
    QCoreApplication::processEvents();

    Click(0, 1);
    QTest::keyClicks(&text(), "Mine");
    Click(0, 1, second);
    EXPECT_FALSE(text().isVisible() && text().hasFocus());
    QTest::keyClicks(&text(second), "Yours");
    Click(1, 1, second);
    Click(1, 1);
    EXPECT_EQ(ValueOf(settings, 1), u"Mine");
    EXPECT_EQ(ValueOf(theirs, 1), u"Yours");
    EXPECT_EQ(ValueOf(settings, 2), u"Ann");

    // The focus left the second control for the first: its edit was committed and its
    // editor closed; the first control's hook keeps its own editor over its cell.
    EXPECT_FALSE(text(second).isVisible());
    window.resize(600, 700);
    QCoreApplication::processEvents();
    EXPECT_EQ(OnSurface(text()), CellOnSurface(1, 1)) << "each control's hook follows its own editor";
}

// The handle the control gives for its window names that window, inside the host's, in
// the process's one window table; and activating a control leaves what the host set of
// the system colours and of the application's palette as it was.
TEST_F(IntegrationTest, TheControlsHandleNamesItsOwnWindowAndActivationKeepsTheHostsColours) {
    comrt::ComPtr<IOleInPlaceObject> in_place = control.try_as<IOleInPlaceObject>();
    ASSERT_TRUE(in_place);
    HWND handle = nullptr;
    ASSERT_EQ(in_place->GetWindow(&handle), S_OK);
    void* named = nullptr;
    ASSERT_EQ(ComrtGetWindowObject(handle, &named), S_OK);
    auto* surface = static_cast<QWidget*>(named);
    EXPECT_NE(surface, static_cast<QWidget*>(widget)) << "the handle names the host's own widget";
    EXPECT_EQ(surface, grid().parentWidget()) << "the handle names no window of this control";
    EXPECT_EQ(surface->parentWidget(), static_cast<QWidget*>(widget));

    const QPalette before = QApplication::palette();
    QPalette host = before;
    host.setColor(QPalette::Button, QColor(10, 20, 30));
    QApplication::setPalette(host);
    const INT window_background = COLOR_WINDOW;
    const COLORREF hosts_own = 0x00123456;
    const COLORREF platform_default = GetSysColor(COLOR_WINDOW);
    ASSERT_EQ(SetSysColors(1, &window_background, &hosts_own), TRUE);

    auto* second = new PropertiesWidget(&window);
    layout->addWidget(second);
    QCoreApplication::processEvents();
    ASSERT_EQ(second->creationStatus(), S_OK);
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), hosts_own);
    EXPECT_EQ(QApplication::palette().color(QPalette::Button), QColor(10, 20, 30));
    EXPECT_EQ(second->backColor(), QColor(10, 20, 30)) << "system colours follow the application's palette";

    SetSysColors(1, &window_background, &platform_default);
    QApplication::setPalette(before);
}

TEST_F(IntegrationTest, AFailingHandlerIsReportedAndTheControlRunsOn) {
    QSignalSpy failures(widget, &PropertiesWidget::handlerFailed);
    comrt::ComPtr<_Collection> items;
    ASSERT_EQ(settings->get_ItemsCollection(items.put()), S_OK);
    comrt::Variant last;
    last->vt = VT_I4;
    last->lVal = 4;
    ASSERT_EQ(items->Remove(last.get()), S_OK);  // row 3 now has no item

    Click(3, 1);
    QCoreApplication::processEvents();
    ASSERT_GE(failures.count(), 1);
    EXPECT_EQ(failures.at(0).at(0).toString(), "grid.EnterCell");
    Click(0, 1);
    QTest::keyClicks(&text(), "Still editing");
    Click(1, 1);
    EXPECT_EQ(ValueOf(settings, 1), u"Still editing");
}

TEST_F(IntegrationTest, DestroyingTheWidgetTerminatesTheControlAndReleasesItsGroups) {
    control = nullptr;
    settings->AddRef();
    const ULONG held = settings->Release();
    delete widget;
    widget = nullptr;
    settings->AddRef();
    EXPECT_LT(settings->Release(), held) << "the control's references to the group are gone";
}

// A host that deletes the widget from the change notification of the user's Enter: the
// value is written, and nothing runs on after on freed memory (a sanitizer build says so).
TEST_F(IntegrationTest, AHostThatDeletesTheWidgetInsideTheChangeNotificationLosesNothing) {
    control = nullptr;
    int notified = 0;
    QObject::connect(widget, &PropertiesWidget::valueChanged, &window, [&] {
        ++notified;
        delete widget;
        widget = nullptr;
    });
    Click(0, 1);
    QTest::keyClicks(&text(), "Final");
    QTest::keyClick(&text(), Qt::Key_Return);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    EXPECT_EQ(notified, 1);
    EXPECT_EQ(widget, nullptr);
    EXPECT_EQ(ValueOf(settings, 1), u"Final");
}

// A failure inside the control's Qt widgets crosses into the host as its HRESULT and the
// error information that describes it, never as E_UNEXPECTED, by vtable and late bound.
TEST_F(IntegrationTest, AFailureInsideTheQtWidgetsReachesTheHostWithItsNumberAndDescription) {
    const auto description = [] {
        comrt::ComPtr<IErrorInfo> info;
        if (GetErrorInfo(0, info.put()) != S_OK) return std::u16string(u"(none)");
        comrt::Bstr text, source;
        info->GetDescription(text.put());
        info->GetSource(source.put());
        return std::u16string(source.view()) + u": " + std::u16string(text.view());
    };
    constexpr HRESULT kInvalidPropertyValue = comrt::runtime_hresult(comrt::runtime_error::invalid_property_value);
    // 0x80000040 names no system colour: the grid's Qt adapter refuses it.
    SetErrorInfo(0, nullptr);
    EXPECT_EQ(control->put_BackColor(0x80000040), kInvalidPropertyValue);
    EXPECT_EQ(description(), u"Orvane: Invalid property value");

    DISPID id = DISPID_UNKNOWN;
    LPOLESTR name = const_cast<LPOLESTR>(u"ForeColor");
    ASSERT_EQ(control->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
    comrt::Variant colour;
    colour->vt = VT_I4;
    colour->lVal = static_cast<LONG>(0x80000040);
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{colour.get(), &named, 1, 1};
    EXCEPINFO info{};
    EXPECT_EQ(control->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, &info, nullptr),
              DISP_E_EXCEPTION);
    EXPECT_EQ(info.scode, kInvalidPropertyValue);
    EXPECT_EQ(std::u16string_view(info.bstrDescription ? info.bstrDescription : u""), u"Invalid property value");
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);

    // The widgets are still there and working.
    OLE_COLOR kept = 0;
    ASSERT_EQ(control->get_BackColor(&kept), S_OK);
    EXPECT_NE(kept, 0x80000040u);
}

}  // namespace
}  // namespace orvane
