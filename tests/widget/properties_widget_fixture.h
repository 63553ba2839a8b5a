// A PropertiesWidget in a shown window, with the libraries as built registered for the test
// program, showing a group of text and drop-down items; and what the tests of the whole
// control through real mouse and key events share: finding the control's widgets by
// name, clicking cells, reading cells and items.
#pragma once

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>

#include <gmock/gmock.h>

#include <comrt/resource.h>
#include <orvane/properties_widget.h>
#include <tessel/tessel.h>
#include <testing/groups.h>
#include <testing/registry_fixture.h>
#include <testing/unload_check.h>

namespace orvane::widget_testing {

using pg_testing::MakeGroup;

// Twips and pixels on a widget's screen (1440 twips an inch).
inline double TwipsX(const QWidget& widget, int pixels) { return pixels * 1440.0 / widget.logicalDpiX(); }
inline int PixelsX(const QWidget& widget, double twips) { return static_cast<int>(std::lround(twips * widget.logicalDpiX() / 1440.0)); }

// A registry of the test program's own, holding the two libraries as built.
[[maybe_unused]] inline const auto* const registered =
    pg_testing::RegisterForProgram({ORVANE_LIBRARY, TESSEL_LIBRARY});

inline std::u16string ValueOf(const comrt::ComPtr<_clsTessel>& group, LONG position) {
    return pg_testing::ItemValue(*group, position);
}

inline std::vector<pg_testing::Item> ManyItems(int count) {
    std::vector<pg_testing::Item> items;
    for (int i = 0; i < count; ++i) items.push_back({u"Item " + QString::number(i).toStdU16String(), u"value"});
    return items;
}

class IntegrationTest : public ::testing::Test {
protected:
    // Every control of the window goes, with what the fixture holds; then no object of a
    // component library may be left.
    ~IntegrationTest() override {
        control = nullptr;
        settings = nullptr;
        for (PropertiesWidget* each : window.findChildren<PropertiesWidget*>()) delete each;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        pg_testing::ExpectNothingAlive();
    }

    void SetUp() override {
        ASSERT_EQ(widget->creationStatus(), S_OK);
        window.resize(480, 360);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        control = widget->control();
        settings = MakeGroup(u"Settings", {{u"Title", u"Report"},
                                           {u"Author", u"Ann"},
                                           {u"Format", u"PDF", {u"HTML", u"PDF", u"Text"}},
                                           {u"Pages", u"12"}});
        Show(settings);
    }

    void Show(const comrt::ComPtr<_clsTessel>& group) {
        ASSERT_TRUE(widget->addGroup(PropertyGroup(group))) << widget->errorString().toStdString();
        ASSERT_TRUE(widget->setCurrentGroup(groups++));
        QCoreApplication::processEvents();
    }

    template <typename W>
    W& child(const char* name, PropertiesWidget* owner = nullptr) {
        W* found = (owner ? owner : widget)->findChild<W*>(name);
        if (!found) throw std::runtime_error(name);
        return *found;
    }
    QTableView& grid(PropertiesWidget* owner = nullptr) { return child<QTableView>("grid", owner); }
    QLineEdit& text(PropertiesWidget* owner = nullptr) { return child<QLineEdit>("textEditor", owner); }
    QComboBox& dropDown() { return child<QComboBox>("dropDownEditor"); }
    QComboBox& selector() { return child<QComboBox>("selector"); }

    // The cell in the surface's coordinates, inside its grid lines (of no size in a
    // column or row too small to have an inside).
    QRect CellOnSurface(int row, int col, PropertiesWidget* owner = nullptr) {
        QTableView& view = grid(owner);
        const QRect cell = view.visualRect(view.model()->index(row, col));
        return QRect(view.viewport()->mapTo(view.parentWidget(), cell.topLeft()), cell.size().expandedTo(QSize(0, 0)));
    }
    // A widget's place in the surface's coordinates (the editors lie in the grid's viewport).
    QRect OnSurface(const QWidget& widget, PropertiesWidget* owner = nullptr) {
        return QRect(widget.mapTo(grid(owner).parentWidget(), QPoint(0, 0)), widget.size());
    }
    void Click(int row, int col, PropertiesWidget* owner = nullptr) {
        QTableView& view = grid(owner);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
                          view.visualRect(view.model()->index(row, col)).center());
        QCoreApplication::processEvents();
    }
    QString CellText(int row, int col) { return grid().model()->index(row, col).data().toString(); }

    QWidget window;
    QVBoxLayout* layout = new QVBoxLayout(&window);
    PropertiesWidget* widget = new PropertiesWidget(&window);
    comrt::ComPtr<_PropertiesCtl> control;
    comrt::ComPtr<_clsTessel> settings;
    SHORT groups = 0;

private:
    [[maybe_unused]] bool laid_out_ = (layout->addWidget(widget), true);
};

}  // namespace orvane::widget_testing
