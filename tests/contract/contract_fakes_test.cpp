// The widget contract against the recording doubles of the control's unit tests.
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

    fakes::FakeWidgets w;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Fakes, GridContract, FakeKit);
INSTANTIATE_TYPED_TEST_SUITE_P(Fakes, DropDownContract, FakeKit);
INSTANTIATE_TYPED_TEST_SUITE_P(Fakes, TextBoxContract, FakeKit);
INSTANTIATE_TYPED_TEST_SUITE_P(Fakes, SurfaceContract, FakeKit);

}  // namespace
}  // namespace orvane::contract
