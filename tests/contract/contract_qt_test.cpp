// The widget contract against the Qt adapters, made as the control's library makes them
// (offscreen, in a shown and active window). The user's actions are real key and mouse
// events (QTest), each after the event loop has run, as it has before anything a user does.
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <QWidget>

#include <tests/contract/widget_contract.h>
#include <toolkit/qt/grid_view.h>
#include <toolkit/qt/qt_drop_down.h>
#include <toolkit/qt/qt_grid.h>
#include <toolkit/qt/qt_strings.h>
#include <toolkit/qt/qt_surface.h>
#include <toolkit/qt/qt_text_box.h>
#include <toolkit/qt/qt_widget_set.h>
#include <toolkit/qt/units.h>

namespace orvane::contract {
namespace {

Qt::KeyboardModifiers Modifiers(std::int16_t shift) {
    Qt::KeyboardModifiers modifiers;
    if (shift & keys::kShift) modifiers |= Qt::ShiftModifier;
    if (shift & keys::kCtrl) modifiers |= Qt::ControlModifier;
    if (shift & keys::kAlt) modifiers |= Qt::AltModifier;
    return modifiers;
}

// The key a keyboard sends for a virtual-key code (Shift+Tab comes as Backtab).
Qt::Key QtKey(std::int16_t key, std::int16_t shift) {
    switch (key) {
    case keys::kTab: return (shift & keys::kShift) ? Qt::Key_Backtab : Qt::Key_Tab;
    case keys::kReturn: return Qt::Key_Return;
    case keys::kEscape: return Qt::Key_Escape;
    case keys::kPageUp: return Qt::Key_PageUp;
    case keys::kPageDown: return Qt::Key_PageDown;
    case keys::kEnd: return Qt::Key_End;
    case keys::kHome: return Qt::Key_Home;
    case keys::kLeft: return Qt::Key_Left;
    case keys::kUp: return Qt::Key_Up;
    case keys::kRight: return Qt::Key_Right;
    case keys::kDown: return Qt::Key_Down;
    case keys::kF2: return Qt::Key_F2;
    case keys::kF4: return Qt::Key_F4;
    default: ADD_FAILURE() << "no key for virtual-key code " << key; return Qt::Key_unknown;
    }
}

void Press(QWidget& widget, std::int16_t key, std::int16_t shift) {
    QCoreApplication::processEvents();
    QTest::keyClick(&widget, QtKey(key, shift), Modifiers(shift));
}

// The widget's place on the surface (the editors lie deeper, in the grid's viewport).
Place PlaceOf(const QWidget& widget, const QWidget& surface) {
    const QPoint at = widget.mapTo(&surface, QPoint(0, 0));
    return {qt::TwipsX(widget, at.x()), qt::TwipsY(widget, at.y()), qt::TwipsX(widget, widget.width()),
            qt::TwipsY(widget, widget.height())};
}

struct QtKit {
    QtKit() {
        window->resize(480, 360);
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        set = qt::CreateQtWidgets(window.get(), RECT{0, 0, 320, 265});
        outside->setGeometry(330, 0, 120, 24);
        outside->show();
        QCoreApplication::processEvents();
    }
    ~QtKit() { set.surface->Destroy(); }

    widgets::Container& surface() { return *set.surface; }
    widgets::Grid& grid() { return *set.grid; }
    widgets::TextBox& text_box() { return *set.text_editor; }
    widgets::DropDown& drop_down() { return *set.drop_down_editor; }
    widgets::DropDown& other_drop_down() { return *set.selector; }

    qt::GridView& view() { return *static_cast<qt::QtGrid&>(*set.grid).view(); }
    qt::TextEditor& editor() { return *static_cast<qt::QtTextBox&>(*set.text_editor).editor(); }
    static qt::DropDownList& combo(widgets::DropDown& list) { return *static_cast<qt::QtDropDown&>(list).list(); }

    void press(widgets::Grid&, std::int16_t key, std::int16_t shift) { Press(view(), key, shift); }
    void press(widgets::TextBox&, std::int16_t key, std::int16_t shift) { Press(editor(), key, shift); }
    void press(widgets::DropDown& list, std::int16_t key, std::int16_t shift) { Press(combo(list), key, shift); }
    void type(widgets::Grid&, char16_t character) {
        QCoreApplication::processEvents();
        QTest::keyClick(&view(), static_cast<char>(character));
    }
    void click(widgets::Grid&, std::int32_t row, std::int32_t col, std::int16_t button, std::int16_t shift) {
        QCoreApplication::processEvents();
        const Qt::MouseButton pressed = button == 2 ? Qt::RightButton : button == 4 ? Qt::MiddleButton : Qt::LeftButton;
        const QRect cell = view().visualRect(view().model()->index(row, col));
        QTest::mouseClick(view().viewport(), pressed, Modifiers(shift), cell.center());
    }
    void scroll(widgets::Grid&, std::int32_t top_row) {
        QCoreApplication::processEvents();
        view().verticalScrollBar()->setValue(top_row);
    }
    void drag_split(widgets::Grid&, std::int32_t twips) {
        QCoreApplication::processEvents();
        QWidget* viewport = view().viewport();
        const int y = view().rowViewportPosition(0) + 2;
        const auto mouse = [&](QEvent::Type type, int x, Qt::MouseButton button, Qt::MouseButtons buttons) {
            const QPointF at(x, y);
            QMouseEvent event(type, at, viewport->mapToGlobal(at), button, buttons, Qt::NoModifier);
            QCoreApplication::sendEvent(viewport, &event);
        };
        const int to = qt::PixelsX(view(), twips);
        mouse(QEvent::MouseButtonPress, view().columnViewportPosition(1), Qt::LeftButton, Qt::LeftButton);
        mouse(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }
    void focus_outside() { outside->setFocus(Qt::OtherFocusReason); }
    void repaint(widgets::Container& surface) { static_cast<qt::QtSurface&>(surface).widget()->repaint(); }
    void lay_out_rows(widgets::Grid& grid, std::int32_t rows) { grid.SetRows(rows); }

    bool cell_choice(std::int32_t row, std::int32_t col) { return view().cells().choice(row, col); }
    bool tab_stop(widgets::Grid&) { return (view().focusPolicy() & Qt::TabFocus) != 0; }
    std::u16string accessible_name(widgets::Grid&) { return qt::ToU16String(view().accessibleName()); }
    std::u16string column_name(int col) {
        return qt::ToU16String(view().model()->headerData(col, Qt::Horizontal, Qt::AccessibleTextRole).toString());
    }
    std::u16string accessible_name(widgets::TextBox&) { return qt::ToU16String(editor().accessibleName()); }
    std::u16string accessible_name(widgets::DropDown& list) { return qt::ToU16String(combo(list).accessibleName()); }
    bool list_open(widgets::DropDown& list) { return combo(list).view()->isVisible(); }
    Place place(widgets::TextBox&) { return PlaceOf(editor(), surfaceWidget()); }
    Place place(widgets::DropDown& list) { return PlaceOf(combo(list), surfaceWidget()); }
    QWidget& surfaceWidget() { return *static_cast<qt::QtSurface&>(*set.surface).widget(); }

    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    widgets::WidgetSet set;
    // A widget of the same window outside the control, to take the focus from it.
    QLineEdit* outside = new QLineEdit(window.get());
};

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, GridContract, QtKit);
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, DropDownContract, QtKit);
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, TextBoxContract, QtKit);
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, SurfaceContract, QtKit);
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, WindowProcContract, QtKit);

}  // namespace
}  // namespace orvane::contract
