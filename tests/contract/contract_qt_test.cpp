// The widget contract against the Qt adapters, made as the control's library makes them
// (offscreen, in a shown and active window).
#include <QTest>
#include <QWidget>

#include <tests/contract/widget_contract.h>
#include <toolkit/qt/qt_widget_set.h>

namespace orvane::contract {
namespace {

struct QtKit {
    QtKit() {
        window->resize(480, 360);
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        set = qt::CreateQtWidgets(window.get(), RECT{0, 0, 320, 265});
        QCoreApplication::processEvents();
    }
    ~QtKit() { set.surface->Destroy(); }

    widgets::Container& surface() { return *set.surface; }
    widgets::Grid& grid() { return *set.grid; }
    widgets::TextBox& text_box() { return *set.text_editor; }
    widgets::DropDown& drop_down() { return *set.drop_down_editor; }
    widgets::DropDown& other_drop_down() { return *set.selector; }

    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    widgets::WidgetSet set;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, GridContract, QtKit);
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, DropDownContract, QtKit);
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, TextBoxContract, QtKit);
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, SurfaceContract, QtKit);

}  // namespace
}  // namespace orvane::contract
