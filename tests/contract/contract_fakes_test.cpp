// The widget contract against the recording doubles of the control's unit tests. The user's
// actions are the doubles' own simulations (user_key, user_click, ...).
#include <tests/contract/widget_contract.h>
#include <tests/fakes/fake_widgets.h>

namespace orvane::contract {
namespace {

struct FakeKit {
    widgets::Container& surface() { return *w.surface; }
    widgets::Grid& grid() { return *w.grid; }
    widgets::TextBox& text_box() { return *w.text_editor; }
    widgets::DropDown& drop_down() { return *w.drop_down_editor; }
    widgets::DropDown& other_drop_down() { return *w.selector; }

    static fakes::FakeDropDown& fake(widgets::DropDown& list) { return static_cast<fakes::FakeDropDown&>(list); }

    void press(widgets::Grid&, std::int16_t key, std::int16_t shift) { w.grid->user_key(key, shift); }
    void press(widgets::TextBox&, std::int16_t key, std::int16_t shift) { w.text_editor->user_key(key, shift); }
    void press(widgets::DropDown& list, std::int16_t key, std::int16_t shift) { fake(list).user_key(key, shift); }
    void type(widgets::Grid&, char16_t character) { w.grid->user_type(character); }
    void click(widgets::Grid&, std::int32_t row, std::int32_t col, std::int16_t button, std::int16_t shift) {
        w.grid->user_click(row, col, fakes::MouseDownOrder::after_cell_events, button, shift);
    }
    void scroll(widgets::Grid&, std::int32_t top_row) { w.grid->user_scroll_to(top_row); }
    void drag_split(widgets::Grid&, std::int32_t twips) { w.grid->user_drag_split(twips); }
    void focus_outside() { w.surface->raise_exit_focus(); }
    void repaint(widgets::Container&) { w.surface->paint(); }
    // The double shows its scroll bar when told: told here as a display would show it.
    void lay_out_rows(widgets::Grid& grid, std::int32_t rows) {
        grid.SetRows(rows);
        w.grid->set_vertical_scroll_bar(static_cast<float>(rows) * static_cast<float>(w.grid->row_height()) >
                                        w.grid->height());
    }

    bool cell_choice(std::int32_t row, std::int32_t col) { return w.grid->cell_choice(row, col); }
    bool tab_stop(widgets::Grid&) { return w.grid->tab_stop(); }
    std::u16string accessible_name(widgets::Grid&) { return w.grid->accessible_name(); }
    std::u16string column_name(int col) { return w.grid->column_name(col); }
    std::u16string accessible_name(widgets::TextBox&) { return w.text_editor->accessible_name(); }
    std::u16string accessible_name(widgets::DropDown& list) { return fake(list).accessible_name(); }
    bool list_open(widgets::DropDown& list) { return fake(list).list_shown(); }
    Place place(widgets::TextBox&) {
        const fakes::FakeTextBox& box = *w.text_editor;
        return {box.left(), box.top(), static_cast<double>(box.width()), static_cast<double>(box.height())};
    }
    Place place(widgets::DropDown& list) {
        const fakes::FakeDropDown& fake_list = fake(list);
        return {fake_list.left(), fake_list.top(), fake_list.width(), fake_list.height()};
    }

    fakes::FakeWidgets w;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Fakes, GridContract, FakeKit);
INSTANTIATE_TYPED_TEST_SUITE_P(Fakes, DropDownContract, FakeKit);
INSTANTIATE_TYPED_TEST_SUITE_P(Fakes, TextBoxContract, FakeKit);
INSTANTIATE_TYPED_TEST_SUITE_P(Fakes, SurfaceContract, FakeKit);
INSTANTIATE_TYPED_TEST_SUITE_P(Fakes, WindowProcContract, FakeKit);

}  // namespace
}  // namespace orvane::contract
